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
