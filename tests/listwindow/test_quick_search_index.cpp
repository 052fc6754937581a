#include "AdoTypes.h"
#include "Pinyin.h"
#include "QuickSearchIndex.h"

#include <gtest/gtest.h>

using namespace tarvo;

namespace {

/// Bank accounts as the list reads them: code, account number, account name, opening bank
/// and the bank of the bank archive.
RecordsetPtr accounts() {
    auto rs = std::make_shared<Recordset>(QVector<FieldInfo>{
        {"cBCode", ado::adVarWChar, 10},
        {"cBAccount", ado::adVarWChar, 50},
        {"cAccName", ado::adVarWChar, 60},
        {"cBName", ado::adVarWChar, 60},
        {"cBankName", ado::adVarWChar, 60},
        {"cOpenAccAddr", ado::adVarWChar, 100},
    });
    rs->appendRow({"01", "6222 0202-0000 1111", "示例公司基本户", "中国工商银行北京海淀支行",
                   "中国工商银行", "长沙市"});
    rs->appendRow({"02", "4367-4200-0000", "长沙银行往来户", "长沙银行岳麓支行", "长沙银行",
                   QVariant()});
    rs->appendRow({"03", "ABC-77", "重庆农村商业银行专户", "重庆农村商业银行渝中支行",
                   "重庆农村商业银行", QVariant()});
    rs->appendRow({"04", "100000000044", "HSBC美元户", "汇丰银行(中国) 厦门分行", "汇丰银行",
                   QVariant()});
    rs->appendRow({"X5", "99", QVariant(), QVariant(), QVariant(), QVariant()});
    return rs;
}

QStringList found(const QString& query) {
    const RecordsetPtr rs = accounts();
    const QuickSearchIndex index(*rs, QuickSearchIndex::fieldsOf(*rs, "cBCode"));
    const std::vector<char> hits = index.match(query);
    QStringList codes;
    for (size_t r = 0; r < hits.size(); ++r)
        if (hits[r])
            codes << rs->valueAt(int(r), 0).toString();
    return codes;
}

} // namespace

TEST(QuickSearchIndex, FindsChineseNamesByPinyinInitialsAndWholeSyllables) {
    EXPECT_EQ(found("gsyh"), QStringList{"01"});
    EXPECT_EQ(found("zggsyh"), QStringList{"01"});
    EXPECT_EQ(found("GSYH"), QStringList{"01"}) << "letter case does not matter";
    EXPECT_EQ(found("gongshang"), QStringList{"01"});
    EXPECT_EQ(found("zhongguogongshangyinhang"), QStringList{"01"});
    EXPECT_EQ(found("zhongguogs"), QStringList{"01"}) << "whole syllables, then initials";
    EXPECT_EQ(found("gongsh"), QStringList{"01"}) << "a syllable still being typed";
    EXPECT_EQ(found("haidianzh"), QStringList{"01"});
    EXPECT_EQ(found("gong shang"), QStringList{"01"}) << "blanks between syllables";
    EXPECT_EQ(found("gsyhx"), QStringList{}) << "every letter must be spelled";
    EXPECT_EQ(found("sgyh"), QStringList{}) << "in the order of the characters";
}

TEST(QuickSearchIndex, ReadsPolyphonicCharactersOfBankAndPlaceNamesAsTheyAreSaid) {
    EXPECT_EQ(found("yinhang").size(), 4) << "行 in 银行 is hang";
    EXPECT_EQ(found("yinxing"), QStringList{}) << "and never xing";
    EXPECT_EQ(found("changsha"), QStringList{"02"});
    EXPECT_EQ(found("zhangsha"), QStringList{});
    EXPECT_EQ(found("cs"), (QStringList{"02", "03"})) << "长沙, and 农村商业 (c, s)";
    EXPECT_EQ(found("chongqing"), QStringList{"03"});
    EXPECT_EQ(found("cqnc"), QStringList{"03"});
    EXPECT_EQ(found("xiamenfenhang"), QStringList{"04"});
    EXPECT_EQ(found("zhihang").size(), 3);

    EXPECT_EQ(Pinyin::syllables("中国银行长沙分行"),
              (QVector<QByteArray>{"zhong", "guo", "yin", "hang", "chang", "sha", "fen", "hang"}));
    EXPECT_EQ(Pinyin::syllables("行政"), (QVector<QByteArray>{"xing", "zheng"}))
        << "行 alone keeps its common reading";
}

TEST(QuickSearchIndex, MixesLatinAndChineseInNamesAndQueries) {
    EXPECT_EQ(found("hsbc"), QStringList{"04"});
    EXPECT_EQ(found("hsbcmy"), QStringList{"04"}) << "Latin letters, then pinyin initials";
    EXPECT_EQ(found("工商yh"), QStringList{"01"});
    EXPECT_EQ(found("汇丰yinhang"), QStringList{"04"});
    EXPECT_EQ(found("(中国)"), QStringList{"04"}) << "punctuation as written";
    EXPECT_EQ(Pinyin::syllables("A银"), (QVector<QByteArray>{"", "yin"}));
}

TEST(QuickSearchIndex, MatchesCodesAndAccountNumbersWhateverTheSeparators) {
    EXPECT_EQ(found("x5"), QStringList{"X5"}) << "codes without regard to case";
    EXPECT_EQ(found("62220202"), QStringList{"01"});
    EXPECT_EQ(found("6222-0202 0000"), QStringList{"01"});
    EXPECT_EQ(found("0202-00001"), QStringList{"01"});
    EXPECT_EQ(found("43674200"), QStringList{"02"});
    EXPECT_EQ(found("abc77"), QStringList{"03"});
    EXPECT_EQ(found("长沙市"), QStringList{}) << "addresses are not searched";
    EXPECT_EQ(found("99"), QStringList{"X5"}) << "a row of Nulls is searched by what it has";
    EXPECT_EQ(found("   ").size(), 5) << "blanks narrow nothing";
    EXPECT_EQ(found("zzzz"), QStringList{});
}

TEST(QuickSearchIndex, NarrowsALongerQueryWithinTheRowsOfTheShorterOne) {
    const RecordsetPtr rs = accounts();
    const QuickSearchIndex index(*rs, QuickSearchIndex::fieldsOf(*rs, "cBCode"));
    const std::vector<char> first = index.match("yh");
    EXPECT_EQ(first, (std::vector<char>{1, 1, 1, 1, 0}));
    std::vector<char> within = first;
    within[0] = 0; // a row the shorter query left out is never looked at again
    EXPECT_EQ(index.match("yhb", &within), (std::vector<char>{0, 0, 0, 0, 0}));
    EXPECT_EQ(index.match("gsyh", &first), (std::vector<char>{1, 0, 0, 0, 0}));
}

TEST(QuickSearchIndex, ALetterLongerInSmallLettersDoesNotShiftTheRowsAfterIt) {
    auto rs = std::make_shared<Recordset>(QVector<FieldInfo>{{"cBCode", ado::adVarWChar, 10},
                                                             {"cBName", ado::adVarWChar, 60}});
    rs->appendRow({"01", "İSTANBUL ŞUBESİ"}); // İ is two characters in small letters
    rs->appendRow({"02", "中国银行"});
    rs->appendRow({"03", "Bank"});
    const QuickSearchIndex index(*rs, QuickSearchIndex::fieldsOf(*rs, "cbcode"));
    EXPECT_EQ(index.match("03"), (std::vector<char>{0, 0, 1}));
    EXPECT_EQ(index.match("bank"), (std::vector<char>{0, 0, 1}));
    EXPECT_EQ(index.match("zgyh"), (std::vector<char>{0, 1, 0}));
    EXPECT_EQ(index.match("İstanbul şubesi"), (std::vector<char>{1, 0, 0}));
}
