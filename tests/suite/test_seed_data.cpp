#include "AccountDatabase.h"
#include "HelperProcess.h"
#include "SuiteLogin.h"
#include "TempDatabase.h"

#include <memory>
#include <vector>

#include <gtest/gtest.h>

using namespace tarvo::suite;

namespace {

long long count(AccountDatabase& db, const char* sql) {
    return db.sql().query(QString::fromUtf8(sql)).rows.value(0).value(0).toLongLong();
}

} // namespace

TEST(SeedData, ANewDatabaseHoldsTheReferenceData) {
    TempDatabase temp;
    auto db = AccountDatabase::open(temp.name());
    EXPECT_GE(count(*db, "select count(*) from foreigncurrency"), 150);
    EXPECT_EQ(count(*db, "select count(*) from foreigncurrency where cexch_code='CNY' and "
                         "cexch_name='人民币'"),
              1);
    EXPECT_EQ(count(*db, "select count(*) from hr_ct007 where ilevels=0"), 34);
    EXPECT_GT(count(*db, "select count(*) from hr_ct007 c join hr_ct007 p on "
                         "c.cpCodeId=p.ccodeId where c.ilevels=2"),
              2000);
    EXPECT_EQ(count(*db, "select count(*) from hr_ct007 where ilevels>0 and cpCodeId not in "
                         "(select ccodeId from hr_ct007)"),
              0)
        << "every city and county has its parent";
    EXPECT_EQ(count(*db, "select count(*) from code where cCode in ('1001','1002','1012')"), 3);
    EXPECT_EQ(count(*db, "select bEnd from code where cCode='1002'"), 0);
    EXPECT_GT(count(*db, "select count(*) from code where cCode like '1002%' and bEnd=1"), 0);
    EXPECT_EQ(count(*db, "select count(*) from aa_bank where cBankName='中国建设银行'"), 1);
    EXPECT_EQ(count(*db, "select count(*) from AccInformation where cSysID='AA' and cID='20' "
                         "and cName='iStrsPriDecDgt'"),
              1);
}

TEST(SeedData, AnEmbeddingHostsLoginMakesADatabaseWithoutTheDemoCompany) {
    TempDatabase temp(TempDatabase::Content::Empty);
    QString error;
    EXPECT_EQ(tarvo::suite::logIn(temp.name(), QStringLiteral("nobody"), error), nullptr);
    EXPECT_TRUE(error.contains(u"nobody")) << error.toStdString();

    const auto login = tarvo::suite::logIn(temp.name(), QStringLiteral("demo"), error);
    ASSERT_NE(login, nullptr) << error.toStdString();
    EXPECT_EQ(login->cUserId(), u"demo");
    EXPECT_FALSE(login->cUserName().isEmpty());
    auto db = AccountDatabase::open(temp.name());
    EXPECT_EQ(count(*db, "select count(*) from aa_bank where cBankName='中国建设银行'"), 1);
    EXPECT_EQ(count(*db, "select count(*) from bank"), 0);
    EXPECT_EQ(count(*db, "select count(*) from Person"), 0);
}

TEST(SeedData, EveryArchiveColumnIsInTheDictionaryAndBack) {
    TempDatabase temp;
    auto db = AccountDatabase::open(temp.name());
    for (const char* table : {"aa_bank", "bank", "code", "foreigncurrency", "hr_ct007",
                              "AccInformation", "Person", "Department"}) {
        const auto r = db->sql().query(
            QStringLiteral("select * from %1 limit 0").arg(QString::fromLatin1(table)));
        EXPECT_EQ(r.columns.size(), db->dictionary().fields(QString::fromLatin1(table)).size())
            << table;
        for (const auto& c : r.columns)
            EXPECT_NE(db->dictionary().find(QString::fromLatin1(table), c.name), nullptr)
                << table << "." << c.name.toStdString();
    }
}

TEST(SeedData, OpeningTheSameFileAgainDoesNotSeedTwice) {
    TempDatabase temp;
    auto first = AccountDatabase::open(temp.name());
    const auto before = count(*first, "select count(*) from aa_bank");
    auto second = AccountDatabase::open(temp.name());
    EXPECT_EQ(count(*second, "select count(*) from aa_bank"), before);
}

TEST(SeedData, ProcessesStartingTogetherOnANewDatabaseCreateAndSeedItOnce) {
    TempDatabase temp(TempDatabase::Content::Empty);
    std::vector<std::unique_ptr<HelperProcess>> starters;
    for (int i = 0; i < 3; ++i)
        starters.push_back(std::make_unique<HelperProcess>(QStringList{"open", temp.name()}));
    for (auto& p : starters)
        EXPECT_EQ(p->readLine(), "25");
    auto db = AccountDatabase::open(temp.name());
    EXPECT_EQ(count(*db, "select count(*) from aa_bank"), 25);
    EXPECT_EQ(count(*db, "select count(*) from tarvo_meta"), 1);
}
