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

TEST(QuickSearchIndex, ReadASliceAtATimeItFindsTheRowsEachSliceBrings) {
    const RecordsetPtr rs = accounts();
    QuickSearchIndex index(QuickSearchIndex::fieldsOf(*rs, "cBCode"));
    index.addRows(*rs, 2);
    ASSERT_EQ(index.rowCount(), 2);
    std::vector<char> yh = index.match("yh");
    EXPECT_EQ(yh, (std::vector<char>{1, 1}));
    std::vector<char> hsbc = index.match("hsbc");
    EXPECT_EQ(hsbc, (std::vector<char>{0, 0})) << "HSBC is not read yet";

    index.addRows(*rs, 100);
    EXPECT_EQ(index.rowCount(), 5) << "no further than the stored rows";
    index.finish();
    index.matchMore("hsbc", hsbc);
    EXPECT_EQ(hsbc, (std::vector<char>{0, 0, 0, 1, 0})) << "the rows read since are looked at";
    yh[0] = 0; // a row the shorter query left out is never looked at again
    EXPECT_EQ(index.match("yhb", &yh), (std::vector<char>{0, 0, 0, 0, 0}));
    EXPECT_EQ(index.match("xmfh", &yh), (std::vector<char>{0, 0, 0, 1, 0}))
        << "a narrowing of the first slice leaves the rows after it open";
    EXPECT_EQ(index.match("zhihang"), (std::vector<char>{1, 1, 1, 0, 0}))
        << "a name met again in a later slice keeps its pinyin";

    std::vector<char> some;
    index.matchMore("yinhang", some, &yh, 3);
    EXPECT_EQ(some, (std::vector<char>{0, 1, 1})) << "searched as far as asked";
    index.matchMore("yinhang", some, &yh);
    EXPECT_EQ(some, (std::vector<char>{0, 1, 1, 1, 0}));
}

namespace {

/// Bank accounts as a long list has them: each its own name, a few hundred branches, a few
/// banks; every third account number typed with blanks.
RecordsetPtr manyAccounts(int n) {
    auto rs = std::make_shared<Recordset>(QVector<FieldInfo>{
        {"cBCode", ado::adVarWChar, 10},
        {"cBAccount", ado::adVarWChar, 50},
        {"cAccName", ado::adVarWChar, 60},
        {"cBName", ado::adVarWChar, 60},
        {"cBankName", ado::adVarWChar, 60},
    });
    const QString pool = QStringLiteral("安宝北昌诚达东丰福富广国海和恒华惠吉嘉建江金锦京康乐利"
                                        "联隆茂美民明南宁鹏平浦齐启庆荣瑞润森山上盛顺泰天通同万伟");
    const QStringList banks = {"中国工商银行", "中国农业银行", "中国银行", "中国建设银行"};
    const int k = int(pool.size());
    for (int i = 0; i < n; ++i) {
        const QString account = QStringLiteral("62220%1").arg(i, 12, 10, QLatin1Char('0'));
        rs->appendRow({QStringLiteral("B%1").arg(i, 7, 10, QLatin1Char('0')),
                       i % 3 ? account : account.left(4) + ' ' + account.mid(4),
                       QStringLiteral("示例") + pool[i % k] + pool[i / k % k] +
                           pool[i / k / k % k] + QStringLiteral("公司户"),
                       banks[i % banks.size()] + QStringLiteral("第%1支行").arg(i % 500),
                       banks[i % banks.size()]});
    }
    return rs;
}

} // namespace

TEST(QuickSearchIndex, AnAccountCostsAtMostAHundredBytes) {
    const int n = 20000;
    const RecordsetPtr rs = manyAccounts(n);
    const QuickSearchIndex index(*rs, QuickSearchIndex::fieldsOf(*rs, "cBCode"));
    EXPECT_LE(index.bytes(), 100 * n) << index.bytes() / n << " bytes per account";
    const std::vector<char> last = index.match("shilitongtonganzhanghu");
    EXPECT_EQ(std::count(last.cbegin(), last.cend(), 1), 0) << "no such name was made";
    const std::vector<char> hits = index.match("示例和安北");
    ASSERT_EQ(hits.size(), size_t(n));
    EXPECT_EQ(std::count(hits.cbegin(), hits.cend(), 1), 1);
    const auto row = size_t(std::find(hits.cbegin(), hits.cend(), 1) - hits.cbegin());
    EXPECT_EQ(index.match("shiliheanbeigongsihu")[row], 1) << "the same one by its pinyin";
    EXPECT_EQ(index.match("0000 0001 9999")[19999], 1);
    EXPECT_EQ(index.match("62220000000019998")[19998], 1) << "typed without the blank stored";
    EXPECT_EQ(index.match("b0019998")[19998], 1);
}

TEST(QuickSearchIndex, NamesOfManyDistinctCharactersKeepEachCharacter) {
    // More characters than a 16-bit number per character holds, from the supplementary
    // private use area: each name is four of them.
    auto rs = std::make_shared<Recordset>(
        QVector<FieldInfo>{{"cBCode", ado::adVarWChar, 10}, {"cAccName", ado::adVarWChar, 60}});
    const char32_t first = 0xf0000;
    const int names = 10000;
    for (int i = 0; i < names; ++i) {
        char32_t chars[4];
        for (int c = 0; c < 4; ++c)
            chars[c] = first + char32_t(4 * i + c);
        rs->appendRow({QString::number(i), QString::fromUcs4(chars, 4)});
    }
    const QuickSearchIndex index(*rs, QuickSearchIndex::fieldsOf(*rs, "cBCode"));
    for (const int i : {0, 8191, 8192, 9999}) {
        const char32_t middle[2] = {first + char32_t(4 * i + 1), first + char32_t(4 * i + 2)};
        const std::vector<char> hits = index.match(QString::fromUcs4(middle, 2));
        EXPECT_EQ(std::count(hits.cbegin(), hits.cend(), 1), 1) << i;
        EXPECT_EQ(hits[size_t(i)], 1) << i;
    }
}
