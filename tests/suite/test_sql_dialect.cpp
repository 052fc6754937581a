#include "SqlDialect.h"

#include <gtest/gtest.h>

using namespace tarvo::suite;

TEST(SqlDialect, TopBecomesLimitAndLikeIgnoresCaseOnTheServerOnly) {
    const QString sql = "select top 3 * from aa_bank where cBankName like '%like%' ;";
    EXPECT_EQ(translateQuery(sql, "sqlite"),
              "select * from aa_bank where cBankName like '%like%' LIMIT 3");
    EXPECT_EQ(translateQuery(sql, "postgresql"),
              "select * from aa_bank where cBankName ILIKE '%like%' LIMIT 3");
    EXPECT_EQ(translateQuery("select x from t where a NOT Like 'b' or c like\n'd'", "postgresql"),
              "select x from t where a NOT ILIKE 'b' or c ILIKE\n'd'");
    const QString lookalikes = "select unlikely, like_col, \"like\" from t -- like\n";
    EXPECT_EQ(translateQuery(lookalikes, "postgresql"), lookalikes.trimmed());
}

TEST(SqlDialect, AFirstRowsQueryCutsAPlainSelectOnlyAndTranslatesLikeAnyOther) {
    EXPECT_EQ(translateQuery(firstRowsQuery("select a from t Order By a", 500), "postgresql"),
              "select a from t Order By a LIMIT 500");
    EXPECT_EQ(firstRowsQuery("  SELECT DISTINCT a from t", 5), "  SELECT DISTINCT top 5 a from t");
    // A statement that names its own count keeps it.
    EXPECT_EQ(firstRowsQuery("select top 3 a from t", 5), "");
    EXPECT_EQ(firstRowsQuery("select distinct top 3 a from t", 5), "");
    EXPECT_EQ(firstRowsQuery("with x as (select 1) select * from x", 5), "");
    EXPECT_EQ(firstRowsQuery("selected", 5), "");
}

TEST(SqlDialect, OnlyMarksOutsideLiteralsNamesAndCommentsArePlaceholders) {
    EXPECT_EQ(numberPlaceholders("select '?', 'it''s ?', \"a?\" from t /* ? */ where a = ? "
                                 "-- ?\n and b=?"),
              "select '?', 'it''s ?', \"a?\" from t /* ? */ where a = $1 -- ?\n and b=$2");
    EXPECT_EQ(numberPlaceholders("select 'unterminated ?"), "select 'unterminated ?");
}

TEST(SqlDialect, FoldedNamesGetTheSpellingTheStatementGaveThem) {
    const auto names = writtenNames("select count(*) as nBanks, 'cBankName' from AA_Bank "
                                    "where cBankCode = 'x'");
    EXPECT_EQ(names.value("nbanks"), "nBanks");
    EXPECT_EQ(names.value("aa_bank"), "AA_Bank");
    EXPECT_EQ(names.value("cbankcode"), "cBankCode");
    EXPECT_FALSE(names.contains("cbankname")) << "a literal is no name";
}

TEST(SqlDialect, QuotedTextsAfterTheWhereOfASelectBecomeParameters) {
    const LiftedQuery key =
        liftLiterals("select 'a' as x from bank where cBCode='O''Neil' and cName like '%甲%'");
    EXPECT_EQ(key.sql, "select 'a' as x from bank where cBCode=? and cName like ?");
    EXPECT_EQ(key.values, QVariantList({"O'Neil", "%甲%"}));

    const LiftedQuery kept = liftLiterals("select * from t where a=N'x' and \"it's\"='y' -- 'z'\n"
                                          "/* 'w' */ and b=''");
    EXPECT_EQ(kept.sql, "select * from t where a=N'x' and \"it's\"=? -- 'z'\n/* 'w' */ and b=?");
    EXPECT_EQ(kept.values, QVariantList({"y", ""}));

    for (const QString whole : {"update t set a='x' where b='y'",
                                "select * from t where a=? "
                                "and b='y'",
                                "select 'x' from t", "select * from t where a='open"}) {
        const LiftedQuery q = liftLiterals(whole);
        EXPECT_EQ(q.sql, whole);
        EXPECT_TRUE(q.values.isEmpty()) << whole.toStdString();
    }
}
