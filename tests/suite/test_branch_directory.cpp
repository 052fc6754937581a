// The branch directory as the card and the list read it: a database without one answers as
// for an empty directory, and a store stands or falls whole.
#include "BranchTable.h"
#include "ClsBranchDirectory.h"
#include "ClsCommon.h"
#include "Eventually.h"
#include "TempDatabase.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

BranchEntry branch(const QString& code, const QString& name) {
    BranchEntry e;
    e.code = code;
    e.name = name;
    e.bankCode = code.left(3);
    e.bankName = QStringLiteral("示例银行");
    e.cityCode = code.mid(3, 4);
    e.city = QStringLiteral("虚构市");
    e.province = QStringLiteral("虚构省");
    return e;
}

struct BranchDirectory : ::testing::Test {
    TempDatabase temp;
    std::shared_ptr<suite::ClsCommon> db = std::make_shared<suite::ClsCommon>();
    ClsCommonPtr common = db;
    suite::ClsBranchDirectory directory;
    const QDate today = QDate(2026, 12, 10);

    void SetUp() override {
        db->Init(temp.name());
        ASSERT_TRUE(db->Status());
    }
    void store(const QVector<BranchEntry>& listed, const QStringList& retire = {},
               const QDate& on = {}) {
        QString err;
        ASSERT_TRUE(directory.Store(common, listed, retire, on.isValid() ? on : today, err))
            << err.toStdString();
    }
    QStringList codes(int stopAfter = -1) {
        QStringList out;
        QString err;
        EXPECT_TRUE(directory.ForEach(
            common,
            [&](const BranchEntry& e) {
                out << e.code;
                return out.size() != stopAfter;
            },
            err))
            << err.toStdString();
        return out;
    }
    /// Makes the server refuse one code, as a constraint the store does not know of would.
    void refuseCode(const QString& code) {
        suite::SqlBackend& sql = db->database()->sql();
        if (temp.onServer())
            sql.execScript(
                QStringLiteral("CREATE FUNCTION refuse_branch() RETURNS trigger LANGUAGE plpgsql "
                               "AS $$ BEGIN IF NEW.cBranchNo = '%1' THEN RAISE EXCEPTION "
                               "'refused'; END IF; RETURN NEW; END $$; CREATE TRIGGER refuse "
                               "BEFORE INSERT ON tarvo_branch FOR EACH ROW EXECUTE FUNCTION "
                               "refuse_branch()")
                    .arg(code));
        else
            sql.execScript(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tarvo_branch "
                                          "WHEN NEW.cBranchNo = '%1' BEGIN SELECT "
                                          "RAISE(ABORT, 'refused'); END")
                               .arg(code));
    }
};

} // namespace

TEST_F(BranchDirectory, ADatabaseWithoutOneAnswersAsForAnEmptyDirectoryAndMakesNoTable) {
    EXPECT_FALSE(directory.Present(common));
    BranchEntry found;
    EXPECT_FALSE(directory.Find(common, QStringLiteral("102100000001"), found));
    EXPECT_TRUE(codes().isEmpty());
    // Storing nothing does not make an empty directory.
    store({});
    EXPECT_FALSE(directory.Present(common));
    EXPECT_FALSE(db->database()->sql().tableExists(QStringLiteral("tarvo_branch")));
}

TEST_F(BranchDirectory, AStoredBranchIsFoundWithAllItsFieldsAndListedInCodeOrder) {
    BranchEntry sparse;
    sparse.code = QStringLiteral("103100000002");
    sparse.name = QStringLiteral("示例银行虚构支行");
    store({branch(QStringLiteral("105100000009"), QStringLiteral("示例银行某某市虚构支行")), sparse,
           branch(QStringLiteral("102100000001"), QStringLiteral("示例银行虚构分行"))});
    EXPECT_TRUE(directory.Present(common));

    BranchEntry found;
    ASSERT_TRUE(directory.Find(common, QStringLiteral("105100000009"), found));
    EXPECT_EQ(found.name, QStringLiteral("示例银行某某市虚构支行"));
    EXPECT_EQ(found.bankCode, QStringLiteral("105"));
    EXPECT_EQ(found.bankName, QStringLiteral("示例银行"));
    EXPECT_EQ(found.cityCode, QStringLiteral("1000"));
    EXPECT_EQ(found.city, QStringLiteral("虚构市"));
    EXPECT_EQ(found.province, QStringLiteral("虚构省"));
    EXPECT_TRUE(found.retiredOn.isNull());
    // Fields a file leaves out come back empty.
    ASSERT_TRUE(directory.Find(common, QStringLiteral("103100000002"), found));
    EXPECT_TRUE(found.bankName.isEmpty());
    EXPECT_TRUE(found.province.isEmpty());
    // A code is matched whole, not as a prefix or pattern.
    EXPECT_FALSE(directory.Find(common, QStringLiteral("10510000000"), found));
    EXPECT_FALSE(directory.Find(common, QStringLiteral("1051000000%"), found));

    EXPECT_EQ(codes(), QStringList({QStringLiteral("102100000001"), QStringLiteral("103100000002"),
                                    QStringLiteral("105100000009")}));
    EXPECT_EQ(codes(2).size(), 2) << "a reader that has had enough stops the walk";
}

TEST_F(BranchDirectory, AWalkOfManyBranchesHandsOnEachOnceInOrder) {
    QVector<BranchEntry> listed;
    for (int i = 2500; i-- > 0;)
        listed << branch(QStringLiteral("1021%1").arg(i, 8, 10, QLatin1Char('0')),
                         QStringLiteral("示例银行第%1虚构支行").arg(i));
    store(listed);
    QStringList walked = codes();
    ASSERT_EQ(walked.size(), 2500);
    EXPECT_TRUE(std::is_sorted(walked.begin(), walked.end()));
    EXPECT_EQ(walked.removeDuplicates(), 0);
}

TEST_F(BranchDirectory, RetiringKeepsTheBranchWithItsDayAndListingItAgainClearsIt) {
    const BranchEntry a = branch(QStringLiteral("102100000001"), QStringLiteral("示例银行甲支行"));
    const BranchEntry b = branch(QStringLiteral("102100000002"), QStringLiteral("示例银行乙支行"));
    store({a, b});
    store({a}, {b.code}, QDate(2026, 1, 5));
    BranchEntry found;
    ASSERT_TRUE(directory.Find(common, b.code, found)) << "a retired branch is never deleted";
    EXPECT_EQ(found.retiredOn, QDate(2026, 1, 5));
    EXPECT_EQ(codes().size(), 2);

    // Missing from a later file again, it keeps the day it first went.
    store({a}, {b.code}, QDate(2026, 3, 1));
    ASSERT_TRUE(directory.Find(common, b.code, found));
    EXPECT_EQ(found.retiredOn, QDate(2026, 1, 5));

    BranchEntry renamed = b;
    renamed.name = QStringLiteral("示例银行乙支行（新址）");
    store({a, renamed});
    ASSERT_TRUE(directory.Find(common, b.code, found));
    EXPECT_TRUE(found.retiredOn.isNull());
    EXPECT_EQ(found.name, renamed.name);
}

TEST_F(BranchDirectory, AStoreThatFailsPartWayStoresNothing) {
    const BranchEntry kept =
        branch(QStringLiteral("102100000001"), QStringLiteral("示例银行甲支行"));
    store({kept});
    refuseCode(QStringLiteral("102199999999"));
    QVector<BranchEntry> listed;
    for (int i = 0; i < 250; ++i)
        listed << branch(QStringLiteral("1022%1").arg(i, 8, 10, QLatin1Char('0')),
                         QStringLiteral("示例银行虚构支行"));
    listed << branch(QStringLiteral("102199999999"), QStringLiteral("示例银行被拒支行"));
    QString err;
    EXPECT_FALSE(directory.Store(common, listed, {kept.code}, today, err));
    EXPECT_TRUE(err.contains(QStringLiteral("refused"))) << err.toStdString();
    BranchEntry found;
    EXPECT_FALSE(directory.Find(common, listed.first().code, found));
    ASSERT_TRUE(directory.Find(common, kept.code, found));
    EXPECT_TRUE(found.retiredOn.isNull());
    EXPECT_EQ(codes().size(), 1);
}

TEST_F(BranchDirectory, AnotherConnectionThatAskedSeesADirectoryStoredLaterWithoutConnectingAgain) {
    auto other = std::make_shared<suite::ClsCommon>();
    other->Init(temp.name());
    ClsCommonPtr otherCommon = other;
    EXPECT_FALSE(directory.Present(otherCommon));
    EXPECT_FALSE(directory.Present(otherCommon));
    store({branch(QStringLiteral("102100000001"), QStringLiteral("示例银行甲支行"))});
    EXPECT_TRUE(directory.Present(common));
    // A file is asked each time; a server's sessions hear of the table the first store made.
    EXPECT_EVENTUALLY(directory.Present(otherCommon));
    BranchEntry found;
    EXPECT_TRUE(directory.Find(otherCommon, QStringLiteral("102100000001"), found));
    EXPECT_EQ(found.name, QStringLiteral("示例银行甲支行"));
}

TEST_F(BranchDirectory, OnAServerTheStartsOwnRoundTripAnswersWhetherThereIsOne) {
    if (!temp.onServer())
        GTEST_SKIP() << "a file is asked when asked";
    const auto other = suite::AccountDatabase::open(temp.name());
    suite::BranchTable(*other).store(
        {branch(QStringLiteral("102100000001"), QStringLiteral("示例银行甲支行"))}, {}, today);
    // A connection made after the store: it has no news of it to hear, which would drop the
    // answer the start brings.
    db.reset();
    common.reset();
    auto session = std::make_shared<suite::ClsCommon>();
    session->Init(temp.name());
    ClsCommonPtr sessionCommon = session;
    session->ExpectStart(QStringLiteral("bank"), {});
    QString count = QStringLiteral("select count(*) as n from bank");
    ASSERT_TRUE(session->OpenX(count));
    // Taken away by hand behind the session's back, unannounced: the answer the start's round
    // trip brought is the one taken, which shows that asking cost none of its own.
    other->sql().execScript(QStringLiteral("DROP TABLE tarvo_branch"));
    EXPECT_TRUE(directory.Present(sessionCommon));
    EXPECT_TRUE(directory.Present(sessionCommon)) << "kept for the connection";

    auto fresh = std::make_shared<suite::ClsCommon>();
    session.reset();
    sessionCommon.reset();
    fresh->Init(temp.name());
    ClsCommonPtr freshCommon = fresh;
    EXPECT_FALSE(directory.Present(freshCommon));
}
