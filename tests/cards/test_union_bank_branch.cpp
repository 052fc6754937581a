#include "CardFixture.h"
#include "Eventually.h"

#include "AccountDatabase.h"
#include "BranchTable.h"
#include "ClassRegistry.h"
#include "IBranchDirectory.h"
#include "Pub.h"
#include "SuiteContext.h"

#include <QDialog>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTimer>

#include <functional>

using namespace tarvo;

namespace {

BranchEntry branch(const char* code, const char* name, const char* bankCode, const char* bankName,
                   const char* city, const char* province) {
    BranchEntry e;
    e.code = QString::fromLatin1(code);
    e.name = QString::fromUtf8(name);
    e.bankCode = QString::fromLatin1(bankCode);
    e.bankName = QString::fromUtf8(bankName);
    e.cityCode = e.code.mid(3, 4);
    e.city = QString::fromUtf8(city);
    e.province = QString::fromUtf8(province);
    return e;
}

const char* const kListed = "102331000017";
const char* const kNoBank = "999100000018";
const char* const kRetired = "103290000019";
const char* const kUnknown = "102331000099";
const char* const kListedName = "中国工商银行股份有限公司杭州虚构路支行";

struct BranchCard : BankAccountCard {
    BranchDirectoryPtr directory;

    void SetUp() override {
        BankAccountCard::SetUp();
        directory =
            createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
        ASSERT_TRUE(directory);
    }
    /// Stores a directory as the suite's import does: three branches, then one of them retired
    /// by a later file that no longer lists it.
    void storeDirectory() {
        const QVector<BranchEntry> listed = {
            branch(kListed, kListedName, "102", "中国工商银行", "杭州市", "浙江省"),
            branch(kRetired, "中国农业银行股份有限公司上海虚构支行", "103", "中国农业银行",
                   "上海市", "上海市"),
            branch(kNoBank, "虚构银行测试市样例支行", "999", "虚构银行", "测试市", "虚构省")};
        ClsCommonPtr srv = db;
        QString error;
        ASSERT_TRUE(directory->Store(srv, listed, {}, QDate(2026, 1, 1), error))
            << error.toStdString();
        ASSERT_TRUE(directory->Store(srv, {listed[0], listed[2]}, {QString::fromLatin1(kRetired)},
                                     QDate(2026, 6, 30), error))
            << error.toStdString();
    }
    QLabel* branchName() { return child<QLabel>("LblUnionBankName"); }
    /// Types the code into the field as the clerk does and moves on to the next field.
    void typeAndLeave(const QString& code) {
        retype(edit("EdtcUnionBankNo"), code);
        edit("EdtcOpenAccAddr")->setFocus();
    }
};

} // namespace

TEST_F(BranchCard, AListedCodeFillsOnlyTheEmptyFieldsAndNamesTheBranch) {
    storeDirectory();
    open();
    card->Emptyallfields();
    edit("EdtcBName")->setText("客户自填的开户行");
    QSignalSpy changed(card.get(), &CardControl::ActiveSaveBtn);
    typeAndLeave(kListed);
    EXPECT_EQ(edit("EdtcBName")->text(), "客户自填的开户行") << "what the clerk wrote stays";
    EXPECT_EQ(ref("EdtcBankCode")->Value(), "102") << "the head bank by its three digits";
    EXPECT_EQ(ref("EdtcBankCode")->text(), "中国工商银行");
    EXPECT_EQ(ref("EdtcProvinceName")->text(), "浙江省");
    EXPECT_EQ(ref("EdtcCountyName")->text(), "杭州市");
    EXPECT_FALSE(changed.isEmpty()) << "the fill counts as a change of the record";
    EXPECT_TRUE(branchName()->isVisible());
    EXPECT_EQ(branchName()->toolTip(), kListedName);
    EXPECT_TRUE(messages().isEmpty());

    // Leaving the same code again fills nothing anew, and the clerk's later choice holds.
    ref("EdtcProvinceName")->setValue("上海市");
    edit("EdtcUnionBankNo")->setFocus();
    edit("EdtcOpenAccAddr")->setFocus();
    EXPECT_EQ(ref("EdtcProvinceName")->text(), "上海市");

    edit("EdtcBCode")->setText("B1");
    edit("EdtcBAccount")->setText("6222");
    ref("EdtcCurrencyName")->setValue("人民币");
    bool ok = false;
    const QString xml = card->GetSaveXml(ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(xml.contains(QStringLiteral("<cUnionBankNo>%1</cUnionBankNo>").arg(kListed)));
    EXPECT_TRUE(recording->callsOf("MsgBox").isEmpty()) << "a listed code asks nothing";
}

TEST_F(BranchCard, AHeadBankOrRegionWithoutAMatchLeavesItsFieldEmpty) {
    storeDirectory();
    open();
    card->Emptyallfields();
    typeAndLeave(kNoBank);
    EXPECT_EQ(edit("EdtcBName")->text(), "虚构银行测试市样例支行");
    EXPECT_EQ(ref("EdtcBankCode")->text(), "");
    EXPECT_EQ(ref("EdtcBankCode")->Value(), "");
    EXPECT_EQ(ref("EdtcProvinceName")->text(), "");
    EXPECT_EQ(ref("EdtcCountyName")->text(), "");
}

TEST_F(BranchCard, RegionsTheDirectoryWritesWithoutTheirEndingAreFoundAsTheImportFindsThem) {
    ClsCommonPtr srv = db;
    QString error;
    ASSERT_TRUE(directory->Store(srv,
                                 {branch("102331000025", "中国工商银行股份有限公司杭州虚构东路支行",
                                         "102", "中国工商银行", "杭州", "浙江")},
                                 {}, QDate(2026, 1, 1), error))
        << error.toStdString();
    open();
    card->Emptyallfields();
    typeAndLeave(QStringLiteral("102331000025"));
    EXPECT_EQ(ref("EdtcProvinceName")->text(), "浙江省");
    EXPECT_EQ(ref("EdtcCountyName")->text(), "杭州市");
}

TEST_F(BranchCard, UnknownAndRetiredCodesAreNamedBesideTheFieldAndConfirmedOnceOnSave) {
    storeDirectory();
    open();
    fill("01");
    EXPECT_EQ(branchName()->toolTip(), "res:Tarvo.AA.ARCHIVE.COMMON.cunionbankno_notlisted")
        << "a stored code the directory lacks is pointed out too";
    EXPECT_TRUE(messages().isEmpty());

    typeAndLeave(kUnknown);
    EXPECT_EQ(branchName()->toolTip(), "res:Tarvo.AA.ARCHIVE.COMMON.cunionbankno_notlisted");
    EXPECT_TRUE(messages().isEmpty()) << "leaving the field shows no box";
    recording->msgBoxAnswer = 7;
    bool ok = true;
    EXPECT_EQ(card->GetSaveXml(ok), "");
    EXPECT_FALSE(ok);
    const QStringList asked = recording->callsOf("MsgBox");
    ASSERT_EQ(asked.size(), 1);
    EXPECT_TRUE(asked[0].startsWith(
        QStringLiteral("MsgBox(res:Tarvo.AA.ARCHIVE.COMMON.cunionbankno_unknown|%1,52,")
            .arg(kUnknown)))
        << asked[0].toStdString();
    EXPECT_TRUE(edit("EdtcUnionBankNo")->hasFocus());
    recording->msgBoxAnswer = 6;
    EXPECT_TRUE(card->GetSaveXml(ok).contains(kUnknown));
    EXPECT_TRUE(ok);

    recording->calls.clear();
    typeAndLeave(kRetired);
    EXPECT_EQ(branchName()->toolTip(), "res:Tarvo.AA.ARCHIVE.COMMON.cunionbankno_retiredon|"
                                       "2026-06-30|中国农业银行股份有限公司上海虚构支行");
    EXPECT_NE(card->GetSaveXml(ok), "");
    EXPECT_EQ(recording->callsOf("MsgBox").size(), 1);
    EXPECT_TRUE(recording->callsOf("MsgBox").value(0).contains("cunionbankno_retired|"));
}

TEST_F(BranchCard, AStoredRecordShowsItsBranchAndSavesItsOwnCodeWithoutAsking) {
    storeDirectory();
    exec("update bank set cUnionBankNo=? where cBCode='01'", {QString::fromLatin1(kRetired)});
    open();
    fill("01");
    EXPECT_TRUE(branchName()->isVisible());
    EXPECT_TRUE(branchName()->toolTip().contains("2026-06-30"));
    EXPECT_EQ(edit("EdtcBName")->text(), "中国工商银行北京海淀支行") << "showing fills nothing";
    bool ok = false;
    EXPECT_NE(card->GetSaveXml(ok), "");
    EXPECT_TRUE(recording->callsOf("MsgBox").isEmpty()) << "a code stored before is not asked";
}

TEST_F(BranchCard, WithoutADirectoryNothingIsSaidOrFilled) {
    open();
    card->Emptyallfields();
    typeAndLeave(kListed);
    EXPECT_FALSE(branchName()->isVisible());
    EXPECT_EQ(edit("EdtcBName")->text(), "");
    edit("EdtcBCode")->setText("B1");
    edit("EdtcBAccount")->setText("6222");
    ref("EdtcCurrencyName")->setValue("人民币");
    edit("EdtcBName")->setText("某支行");
    ref("EdtcBankCode")->setValue("102");
    bool ok = false;
    EXPECT_NE(card->GetSaveXml(ok), "");
    EXPECT_TRUE(recording->callsOf("MsgBox").isEmpty());
}

TEST_F(BranchCard, InEnglishTheBranchNameAndWarningAreEnglish) {
    storeDirectory();
    const auto restore = qScopeGuard([] { suite::setSessionLanguage("zh-CN"); });
    suite::setSessionLanguage("en-US");
    open("NB", std::make_shared<suite::Pub>());
    card->Emptyallfields();
    typeAndLeave(kListed);
    EXPECT_EQ(branchName()->toolTip(), kListedName);
    EXPECT_EQ(ref("EdtcProvinceName")->text(), "浙江省");
    typeAndLeave(kUnknown);
    EXPECT_EQ(branchName()->toolTip(), "Not in the branch directory");
}

namespace {

/// Runs steps on the pick list once it is up and its rows are read; closes it if they fail.
void onPickList(std::function<void(QDialog&)> steps) {
    QTimer::singleShot(0, [steps = std::move(steps)] {
        auto* list = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!list || list->objectName() != "BranchPickList") {
            if (list)
                list->reject();
            return;
        }
        if (QTest::qWaitFor([list] {
                return list->findChild<QTableView*>("GrdBranches")->model()->rowCount() > 0;
            }))
            steps(*list);
        if (list->isVisible())
            list->reject();
    });
}

/// Types the search into the pick list and gives the codes it finds.
QStringList searchFor(QDialog& list, const QString& text) {
    auto* search = list.findChild<QLineEdit*>("EdtBranchSearch");
    search->clear();
    // Letters and digits as keys, Chinese as an input method commits it, one at a time.
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(search, c.toLatin1());
        else
            commitText(search, QString(c));
    }
    const QAbstractItemModel* rows = list.findChild<QTableView*>("GrdBranches")->model();
    QStringList codes;
    for (int r = 0; r < rows->rowCount(); ++r)
        codes << rows->index(r, 0).data().toString();
    return codes;
}

} // namespace

TEST_F(BranchCard, F2SearchesTheDirectoryFourWaysAndAPickFills) {
    storeDirectory();
    open();
    card->Emptyallfields();
    QStringList byCode, byName, byInitials, byBankAndCity, byHeadBankAndCity, none;
    onPickList([&](QDialog& list) {
        byCode = searchFor(list, "1023");
        byName = searchFor(list, "虚构路");
        byInitials = searchFor(list, "gsyh");
        byBankAndCity = searchFor(list, "工商 杭州");
        byHeadBankAndCity = searchFor(list, "103 上海");
        none = searchFor(list, "工商 上海");
        searchFor(list, "hzxgl");
        QTest::keyClick(list.findChild<QLineEdit*>("EdtBranchSearch"), Qt::Key_Return);
    });
    auto* code = edit("EdtcUnionBankNo");
    code->setFocus();
    QTest::keyClick(code, Qt::Key_F2);
    EXPECT_EQ(byCode, QStringList{kListed});
    EXPECT_EQ(byName, QStringList{kListed});
    EXPECT_EQ(byInitials, QStringList{kListed});
    EXPECT_EQ(byBankAndCity, QStringList{kListed});
    EXPECT_EQ(byHeadBankAndCity, QStringList{kRetired}) << "retired branches are found too";
    EXPECT_TRUE(none.isEmpty());
    EXPECT_EQ(code->text(), kListed);
    EXPECT_EQ(edit("EdtcBName")->text(), kListedName);
    EXPECT_EQ(ref("EdtcCountyName")->text(), "杭州市");
    EXPECT_EQ(branchName()->toolTip(), kListedName);
}

TEST_F(BranchCard, CancellingThePickListChangesNothing) {
    storeDirectory();
    open();
    fill("01");
    QSignalSpy changed(card.get(), &CardControl::ActiveSaveBtn);
    int shown = 0;
    onPickList([&](QDialog& list) {
        shown = list.findChild<QTableView*>("GrdBranches")->model()->rowCount();
        searchFor(list, "gsyh");
        list.reject();
    });
    auto* code = edit("EdtcUnionBankNo");
    code->setFocus();
    QTest::keyClick(code, Qt::Key_F2);
    EXPECT_EQ(shown, 3) << "the whole directory for a stored code it does not list";
    EXPECT_EQ(code->text(), "102100000001");
    EXPECT_EQ(edit("EdtcBName")->text(), "中国工商银行北京海淀支行");
    EXPECT_TRUE(changed.isEmpty());
}

TEST_F(BranchCard, F2AfterAnImportByThisClerkOrAnotherSearchesTheDirectoryAsNowStored) {
    storeDirectory();
    open();
    card->Emptyallfields();
    auto* code = edit("EdtcUnionBankNo");
    const auto search = [&](const char* text) {
        QStringList found;
        onPickList([&](QDialog& list) { found = searchFor(list, text); });
        code->setFocus();
        QTest::keyClick(code, Qt::Key_F2);
        return found;
    };
    ASSERT_EQ(search("gsyh"), QStringList{kListed}) << "the index is read now";

    const auto elsewhere = suite::AccountDatabase::open(temp.name());
    struct Import {
        const char* clerk;
        const char* code;
        const char* name;
        std::function<void(const BranchEntry&)> store;
    };
    const Import imports[] = {
        {"this clerk", "102331000025", "中国工商银行股份有限公司杭州新开路支行",
         [&](const BranchEntry& e) {
             ClsCommonPtr srv = db;
             QString error;
             ASSERT_TRUE(directory->Store(srv, {e}, {}, QDate(2026, 7, 1), error))
                 << error.toStdString();
         }},
        {"another clerk", "102331000033", "中国工商银行股份有限公司杭州又开路支行",
         [&](const BranchEntry& e) {
             suite::BranchTable(*elsewhere).store({e}, {}, QDate(2026, 8, 1));
         }},
    };
    QStringList imported;
    for (const Import& i : imports) {
        SCOPED_TRACE(i.clerk);
        ClsCommonPtr srv = db;
        const QString before = directory->Mark(srv);
        i.store(branch(i.code, i.name, "102", "中国工商银行", "杭州市", "浙江省"));
        // Another clerk's import is heard of a moment after it is stored.
        EXPECT_EVENTUALLY(directory->Mark(srv) != before);
        imported << QString::fromLatin1(i.code);
        QStringList found = search("开路");
        found.sort();
        EXPECT_EQ(found, imported);
    }
}
