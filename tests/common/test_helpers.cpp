#include "AccountSettings.h"
#include "ArchiveDescriptor.h"
#include "ArchiveSession.h"
#include "ClsCommon.h"
#include "RecordingPub.h"
#include "TempDatabase.h"
#include "XmlTags.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

/// A session with a recording public-services object and a real database, for the helpers.
struct Helpers : ::testing::Test {
    TempDatabase temp;
    std::shared_ptr<RecordingPub> pub = std::make_shared<RecordingPub>();
    void SetUp() override {
        ArchiveSession& s = ArchiveSession::current();
        s.oPub = pub;
        auto db = std::make_shared<suite::ClsCommon>();
        db->Init(temp.name());
        s.SrvDB = db;
    }
    void TearDown() override { ArchiveSession::current() = ArchiveSession(); }
    void setDecimals(const QString& value) {
        QString sql = value.isNull() ? QStringLiteral("update AccInformation set cValue=NULL where "
                                                      "cName='iStrsPriDecDgt'")
                                     : QStringLiteral("update AccInformation set cValue='%1' where "
                                                      "cName='iStrsPriDecDgt'")
                                           .arg(value);
        auto* cc = static_cast<suite::ClsCommon*>(ArchiveSession::current().SrvDB.get());
        cc->database()->sql().exec(sql);
    }
};

} // namespace

TEST(Decimals, TheLeadingNumberRoundedHalfToEven) {
    EXPECT_EQ(DecimalsFromSetting("4"), 4);
    EXPECT_EQ(DecimalsFromSetting("2.5"), 2);
    EXPECT_EQ(DecimalsFromSetting("3.5"), 4);
    EXPECT_EQ(DecimalsFromSetting("3abc"), 3);
    EXPECT_EQ(DecimalsFromSetting(" 6"), 6);
    EXPECT_EQ(DecimalsFromSetting("abc"), 0);
    EXPECT_EQ(DecimalsFromSetting(""), 0);
    const QList<std::tuple<QString, qint16, bool>> settings{{"99999", kMaxBalanceDecimals, true},
                                                            {"1e308", kMaxBalanceDecimals, true},
                                                            {"1e400", kMaxBalanceDecimals, true},
                                                            {"-1e308", 0, true},
                                                            {"-3", 0, true},
                                                            {"10", 10, false},
                                                            {"0", 0, false},
                                                            {"inf", 0, false}};
    for (const auto& [text, decimals, outside] : settings) {
        bool clamped = !outside;
        EXPECT_EQ(DecimalsFromSetting(text, &clamped), decimals) << text.toStdString();
        EXPECT_EQ(clamped, outside) << text.toStdString();
    }
}

TEST_F(Helpers, AnOutOfRangeDecimalsSettingIsClampedWithAWarning) {
    ComVar c;
    for (const char* wild : {"99999", "1e308", "-1e308"}) {
        setDecimals(wild);
        const auto before = pub->callsOf("MsgBox").size();
        EXPECT_NO_THROW(LoadAccountSettings(c)) << wild;
        const qint16 expected = wild[0] == '-' ? 0 : kMaxBalanceDecimals;
        EXPECT_EQ(ArchiveSession::current().iBalanceDecimals, expected) << wild;
        EXPECT_EQ(c.m_EleStyle.firstChildElement("fcurbalance").text(), QString::number(expected));
        EXPECT_EQ(pub->callsOf("MsgBox").size(), before + 1) << wild;
        EXPECT_TRUE(pub->callsOf("MsgBox").value(before).contains("超出范围")) << wild;
    }
}

TEST_F(Helpers, AccountSettingsGiveTheBalanceDecimalsAndTheStyle) {
    ComVar c;
    setDecimals("4");
    LoadAccountSettings(c);
    EXPECT_EQ(ArchiveSession::current().iBalanceDecimals, 4);
    EXPECT_EQ(c.m_EleStyle.tagName(), "style");
    EXPECT_EQ(c.m_EleStyle.firstChildElement("fcurbalance").text(), "4");

    setDecimals("3.5");
    LoadAccountSettings(c);
    EXPECT_EQ(ArchiveSession::current().iBalanceDecimals, 4);

    setDecimals(QString());
    LoadAccountSettings(c);
    EXPECT_EQ(ArchiveSession::current().iBalanceDecimals, 2) << "a Null setting";
    EXPECT_EQ(c.m_EleStyle.firstChildElement("fcurbalance").text(), "2");

    auto* cc = static_cast<suite::ClsCommon*>(ArchiveSession::current().SrvDB.get());
    cc->database()->sql().exec("delete from AccInformation where cName='iStrsPriDecDgt'");
    setDecimals("4");
    LoadAccountSettings(c);
    EXPECT_EQ(ArchiveSession::current().iBalanceDecimals, 2) << "no setting at all";
    EXPECT_EQ(ArchiveSession::current().YesNoText,
              QStringList({"res:Tarvo.AA.ARCHIVE.COMMON.no", "res:Tarvo.AA.ARCHIVE.COMMON.yes"}));
    EXPECT_EQ(ArchiveSession::current().SignFlagText,
              QStringList({"res:Tarvo.AA.ARCHIVE.COMMON.isignflag0",
                           "res:Tarvo.AA.ARCHIVE.COMMON.isignflag1"}));
    EXPECT_TRUE(pub->callsOf("MsgBox").isEmpty());
}

TEST_F(Helpers, AccountSettingsRaiseWhenTheQueryFails) {
    ArchiveSession::current().SrvDB = std::make_shared<suite::ClsCommon>();
    ComVar c;
    EXPECT_THROW(LoadAccountSettings(c), std::exception);
}

TEST_F(Helpers, XmlTagValues) {
    EXPECT_EQ(GetXmlTagValue("<aa_bank><helpcontextid>1234</helpcontextid></aa_bank>",
                             "HelpContextId", "0"),
              "1234");
    EXPECT_TRUE(pub->calls.isEmpty());

    EXPECT_EQ(GetXmlTagValue("", "HelpContextId", "0"), "0");
    EXPECT_EQ(GetXmlTagValue("<a>1</a>", "", "d"), "d");
    EXPECT_TRUE(pub->calls.isEmpty()) << "empty input answers without a message";

    EXPECT_EQ(GetXmlTagValue("<aa_bank><HelpContextId>1234</HelpContextId></aa_bank>",
                             "HelpContextId", "0"),
              "0");
    EXPECT_EQ(pub->calls.last(), "MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.noparamhelpcontextid,64,"
                                 "res:Tarvo.AA.ARCHIVE.COMMON.information)");

    EXPECT_EQ(GetXmlTagValue("<x></helpcontextid><helpcontextid>1</x>", "helpcontextid", "0"), "");
    EXPECT_TRUE(pub->calls.last().startsWith("MsgBox(无效的过程调用或参数"));

    EXPECT_EQ(GetXmlTagValue("<helpcontextid></helpcontextid>", "helpcontextid", "0"), "");
}

TEST_F(Helpers, DescriptorRows) {
    ComVar c;
    c.m_ArchiveEnName = "bank";
    ASSERT_TRUE(ChooseArchiveDescriptor(c, "", *pub));
    EXPECT_EQ(c.m_ColSetArchiveEnName, "bank");
    EXPECT_EQ(c.m_ArchiveChName, "res:Tarvo.AA.ARCHIVE.bankarch");
    ASSERT_TRUE(ChooseArchiveDescriptor(c, "NB", *pub));
    EXPECT_EQ(c.m_ColSetArchiveEnName, "Bank_NB");
    c.m_ArchiveEnName = "aa_bank";
    ASSERT_TRUE(ChooseArchiveDescriptor(c, "NB", *pub));
    EXPECT_EQ(c.m_ColSetArchiveEnName, "aa_bank");
    c.m_ArchiveEnName = "person";
    EXPECT_FALSE(ChooseArchiveDescriptor(c, "", *pub));
}
