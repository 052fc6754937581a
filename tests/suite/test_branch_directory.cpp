// The branch directory as the card and the list read it: a database without one answers as
// for an empty directory, and a store stands or falls whole.
#include "BranchTable.h"
#include "ClsBranchDirectory.h"
#include "ClsCommon.h"
#include "Eventually.h"
#include "TempDatabase.h"

#include <gtest/gtest.h>

#include <functional>

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

namespace {

/// What may happen between the account's branch asked ahead with its record and the taking of
/// the answer: after anything at all, the answer brought before is not taken.
struct Meanwhile {
    const char* what;
    bool serverOnly;
    std::function<void(BranchDirectory&, suite::AccountDatabase& other)> happen;
};

qlonglong serverProcess(suite::AccountDatabase& db) {
    return db.sql().query(QStringLiteral("SELECT pg_backend_pid()")).rows[0][0].toLongLong();
}

/// Ends the server's process of db's connection, from other, and waits until db can tell.
void cutConnection(suite::AccountDatabase& db, suite::AccountDatabase& other) {
    const qlonglong pid = serverProcess(db);
    other.sql().query(QStringLiteral("SELECT pg_terminate_backend(?::int)"), {pid});
    EXPECT_EVENTUALLY(db.sql().announcedChanges().contains(QStringLiteral("*")));
}

} // namespace

/// The account's branch asked ahead comes with the account's record, and is taken instead of
/// asking while nothing says it may be out of date: a change of tables or a connection lost
/// drops it, and an account given another code meanwhile has that code looked up.
TEST_F(BranchDirectory, AnAccountsBranchAskedAheadIsTakenOnlyWhileItStillHolds) {
    const QString first = QStringLiteral("102100000001");
    const QString second = QStringLiteral("102100000002");
    store({branch(first, QStringLiteral("示例银行甲支行")),
           branch(second, QStringLiteral("示例银行乙支行"))});
    const auto other = suite::AccountDatabase::open(temp.name());
    const Meanwhile cases[] = {
        {"nothing", false, {}},
        {"the schema changed", false,
         [](BranchDirectory& t, suite::AccountDatabase& o) {
             const int before = t.db->database()->schemaGeneration();
             o.sql().announceSchemaChange();
             EXPECT_EVENTUALLY(t.db->database()->schemaGeneration() != before);
         }},
        {"the connection was lost", true,
         [](BranchDirectory& t, suite::AccountDatabase& o) {
             cutConnection(*t.db->database(), o);
         }},
    };
    const auto rename = [&](const char* name) {
        other->sql().exec(
            QStringLiteral("UPDATE tarvo_branch SET cBranchName = ? WHERE cBranchNo = ?"),
            {QString::fromUtf8(name), first});
    };
    const auto recode = [&](const QString& code) {
        other->sql().exec(QStringLiteral("UPDATE bank SET cUnionBankNo = ? WHERE cBCode = '01'"),
                          {code});
    };
    for (const Meanwhile& c : cases) {
        if (c.serverOnly && !temp.onServer())
            continue;
        SCOPED_TRACE(c.what);
        for (const bool recoded : {false, true}) {
            SCOPED_TRACE(recoded ? "given another code" : "keeping its code");
            rename("示例银行甲支行");
            recode(first);
            ASSERT_TRUE(directory.Present(common));
            directory.ExpectAccount(common, QStringLiteral("01"));
            QString record = QStringLiteral("select * from bank where cBCode=?");
            const RecordsetPtr read = db->OpenXBound(record, {QStringLiteral("01")});
            ASSERT_TRUE(read && read->RecordCount() == 1);
            EXPECT_EQ(read->Value(QStringLiteral("cUnionBankNo")).toString(), first);
            // Behind the session's back, unannounced: only the server asked now knows it.
            rename("示例银行甲支行新址");
            if (recoded)
                recode(second);
            if (c.happen)
                c.happen(*this, *other);
            BranchEntry found;
            ASSERT_TRUE(directory.FindForAccount(common, QStringLiteral("01"),
                                                 recoded ? second : first, found));
            const bool ahead = temp.onServer() && !c.happen;
            EXPECT_EQ(found.code, recoded ? second : first);
            EXPECT_EQ(found.name, recoded  ? QStringLiteral("示例银行乙支行")
                                  : ahead ? QStringLiteral("示例银行甲支行")
                                          : QStringLiteral("示例银行甲支行新址"));
        }
    }
    BranchEntry found;
    EXPECT_FALSE(directory.FindForAccount(common, QStringLiteral("01"),
                                          QStringLiteral("102100000099"), found))
        << "a code the directory does not list";
}

/// The directory's mark moves with every store, through this connection or another, and on a
/// server with the connection lost; it stays while nothing happened, and on a server while
/// other tables change.
TEST_F(BranchDirectory, TheMarkMovesWhenTheDirectoryMayHaveChangedAndOnlyThen) {
    store({branch(QStringLiteral("102100000001"), QStringLiteral("示例银行甲支行"))});
    const auto other = suite::AccountDatabase::open(temp.name());
    const QString start = directory.Mark(common);
    ASSERT_FALSE(start.isEmpty());
    EXPECT_EQ(directory.Mark(common), start);
    EXPECT_NE(suite::BranchTable(*other).mark(), start) << "marks of two connections differ";

    store({branch(QStringLiteral("102100000002"), QStringLiteral("示例银行乙支行"))});
    const QString stored = directory.Mark(common);
    EXPECT_NE(stored, start);

    suite::BranchTable(*other).store(
        {branch(QStringLiteral("102100000003"), QStringLiteral("示例银行丙支行"))}, {}, today);
    EXPECT_EVENTUALLY(directory.Mark(common) != stored);

    if (!temp.onServer())
        return;
    const QString heard = directory.Mark(common);
    other->sql().exec(
        QStringLiteral("UPDATE aa_bank SET cBankName = cBankName WHERE cBankCode = '102'"));
    suite::SqlBackend& mine = db->database()->sql();
    EXPECT_EVENTUALLY(mine.announcedChanges().contains(QStringLiteral("aa_bank")));
    EXPECT_EQ(directory.Mark(common), heard);

    cutConnection(*db->database(), *other);
    EXPECT_NE(directory.Mark(common), heard) << "what the lost connection missed is not known";
}
