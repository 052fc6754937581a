// A query for fields alone answered from the data dictionary must give what the database would
// have given, and leave every query it cannot answer so to the database.
#include "AccountDatabase.h"
#include "DictionaryShape.h"
#include "RecordsetBuilder.h"
#include "SqlDialect.h"
#include "TempDatabase.h"

#include <gtest/gtest.h>

using namespace tarvo;
using namespace tarvo::suite;

namespace {

struct DictionaryShapeTest : ::testing::Test {
    TempDatabase temp;
    AccountDatabasePtr db = AccountDatabase::open(temp.name());

    RecordsetPtr fromDictionary(const QString& sql, const QStringList& hidden = {}) {
        return dictionaryShape(sql, db->dictionary(), [&](const QString& table) {
            return !hidden.contains(table, Qt::CaseInsensitive);
        });
    }
    /// The same query as the engine answers it.
    RecordsetPtr fromDatabase(const QString& sql) {
        RecordsetBuilder builder(db->dictionary());
        return builder.build(db->sql().queryStored(translateQuery(sql, db->sql().kind())));
    }
    static QStringList described(const RecordsetPtr& rs) {
        QStringList fields;
        for (int f = 0; rs && f < rs->FieldCount(); ++f)
            fields << QStringLiteral("%1 %2 %3")
                          .arg(rs->FieldAt(f).name)
                          .arg(rs->FieldAt(f).type)
                          .arg(rs->FieldAt(f).definedSize);
        return fields;
    }
};

} // namespace

TEST_F(DictionaryShapeTest, AListsColumnsComeAsTheDatabaseGivesThem) {
    for (const QString& sql : {
             QStringLiteral("select top 0 cBCode,cBAccount,cAccName,dOpenAccDate,cCurrencyName,"
                            "cBName,Bank.cBankCode,AA_Bank.cBankName,fCurBalance,iSignFlag,"
                            "bPwdMng,bBflag from bank Left Join AA_Bank on "
                            "Bank.cBankCode=AA_Bank.cBankCode "),
             QStringLiteral("select top 0 cBCode, Code.ccode_name, iAccProperty from bank "
                            "Left Join AA_Bank on Bank.cBankCode=AA_Bank.cBankCode  "
                            "Left Join Code on Bank.cCode=Code.cCode"),
             QStringLiteral("SELECT TOP 0 cbankcode, CBANKNAME from aa_bank"),
             QStringLiteral("select top 0 * from bank,aa_bank"),
         }) {
        const RecordsetPtr answered = fromDictionary(sql);
        ASSERT_TRUE(answered) << sql.toStdString();
        EXPECT_EQ(answered->RecordCount(), 0);
        const QStringList fields = described(answered);
        EXPECT_EQ(fields, described(fromDatabase(sql))) << sql.toStdString();
    }
}

TEST_F(DictionaryShapeTest, WhatTheDictionaryCannotAnswerIsLeftToTheDatabase) {
    const QString joined =
        QStringLiteral(" from bank Left Join AA_Bank on Bank.cBankCode=AA_Bank.cBankCode");
    // A column both tables have, named bare, is one the database refuses as ambiguous.
    EXPECT_FALSE(fromDictionary("select top 0 cBCode, cBankCode" + joined));
    EXPECT_FALSE(fromDictionary("select top 0 cBCode, cNoSuchColumn" + joined));
    EXPECT_FALSE(fromDictionary("select top 0 Code.ccode_name" + joined))
        << "a table the query does not join";
    EXPECT_FALSE(fromDictionary("select top 0 count(*)" + joined));
    EXPECT_FALSE(fromDictionary("select top 0 cBCode as code" + joined));
    EXPECT_FALSE(fromDictionary("select top 0 cBCode" + joined + " where cBCode = 'B001'"));
    EXPECT_FALSE(fromDictionary("select top 0 cBCode from no_such_table"));
    EXPECT_FALSE(fromDictionary("select top 1 cBCode from bank"));
    EXPECT_FALSE(fromDictionary("select top 0 cBCode" + joined, {"aa_bank"}))
        << "a table no result has shown to be there";
    EXPECT_TRUE(fromDictionary("select top 0 cBCode" + joined));
}
