#include "BranchSearchIndex.h"

#include <gtest/gtest.h>

using tarvo::BranchEntry;
using tarvo::BranchSearchIndex;

namespace {

BranchEntry branch(const char* code, const char* name, const char* bankName, const char* city,
                   const char* province) {
    BranchEntry e;
    e.code = QString::fromLatin1(code);
    e.name = QString::fromUtf8(name);
    e.bankCode = e.code.left(3);
    e.bankName = QString::fromUtf8(bankName);
    e.cityCode = e.code.mid(3, 4);
    e.city = QString::fromUtf8(city);
    e.province = QString::fromUtf8(province);
    return e;
}

/// Four made-up branches in the order of their codes, as the directory hands them over.
BranchSearchIndex sample() {
    BranchSearchIndex index;
    index.add(
        branch("102331000017", "中国工商银行杭州虚构路支行", "中国工商银行", "杭州市", "浙江省"));
    index.add(branch("102331000025", "中国工商银行杭州样例ATM点（西湖）", "中国工商银行", "杭州市",
                     "浙江省"));
    index.add(
        branch("103290000019", "中国农业银行上海虚构支行", "中国农业银行", "上海市", "上海市"));
    BranchEntry retired =
        branch("331000000102", "虚构村镇银行测试分理处", "虚构村镇银行", "测试市", "虚构省");
    retired.retiredOn = QDate(2026, 6, 30);
    index.add(retired);
    index.finish();
    return index;
}

std::vector<int> rows(std::initializer_list<int> list) {
    return list;
}

} // namespace

TEST(BranchSearchIndex, DigitsFindTheStartOfACodeOnly) {
    const BranchSearchIndex index = sample();
    EXPECT_EQ(index.search("102"), rows({0, 1}));
    EXPECT_EQ(index.search("10233100001"), rows({0}));
    EXPECT_EQ(index.search("3310"), rows({3})) << "not the city code inside 102331000017";
    EXPECT_EQ(index.search("102331000017"), rows({0}));
    EXPECT_TRUE(index.search("1023310000170").empty());
}

TEST(BranchSearchIndex, WordsFindAnyPartOfTheNameBankCityOrProvinceAndInitials) {
    const BranchSearchIndex index = sample();
    EXPECT_EQ(index.search("虚构"), rows({0, 2, 3}));
    EXPECT_EQ(index.search("atm"), rows({1})) << "letters in a name in either case";
    EXPECT_EQ(index.search("浙江"), rows({0, 1})) << "the province";
    EXPECT_EQ(index.search("农业"), rows({2})) << "the bank";
    EXPECT_EQ(index.search("gsyh"), rows({0, 1})) << "pinyin initials of the name";
    EXPECT_EQ(index.search("hzyl"), rows({1}));
    EXPECT_EQ(index.search("ylatmdxh"), rows({1})) << "initials skip the brackets";
    EXPECT_TRUE(index.search("gsyhsh").empty());
}

TEST(BranchSearchIndex, EveryWordMustFindTheBranch) {
    const BranchSearchIndex index = sample();
    EXPECT_EQ(index.search("工商 杭州"), rows({0, 1}));
    EXPECT_EQ(index.search("  102   杭州 虚构 "), rows({0}));
    EXPECT_EQ(index.search("103 上海"), rows({2}));
    EXPECT_TRUE(index.search("工商 上海").empty());
    EXPECT_EQ(index.search(" "), rows({0, 1, 2, 3})) << "blanks find everything";
}

TEST(BranchSearchIndex, ABranchIsFoundByItsCodeAndGivenBackAsAdded) {
    const BranchSearchIndex index = sample();
    EXPECT_EQ(index.find("102331000017"), 0);
    EXPECT_EQ(index.find("331000000102"), 3);
    EXPECT_EQ(index.find("102331000018"), -1);
    EXPECT_EQ(index.find("10233100001"), -1) << "a code's start is not the code";
    EXPECT_EQ(BranchSearchIndex().find("102331000017"), -1);
    const BranchEntry e = index.entry(3);
    EXPECT_EQ(e.name, "虚构村镇银行测试分理处");
    EXPECT_EQ(e.bankName, "虚构村镇银行");
    EXPECT_EQ(e.city, "测试市");
    EXPECT_EQ(e.province, "虚构省");
    EXPECT_EQ(e.bankCode, "331");
    EXPECT_EQ(e.retiredOn, QDate(2026, 6, 30));
    EXPECT_FALSE(index.entry(0).retiredOn.isValid());
}

TEST(BranchSearchIndex, ANarrowerQuerySearchedWithinTheEarlierFindsFindsTheSame) {
    const BranchSearchIndex index = sample();
    const std::pair<const char*, const char*> typed[] = {
        {"虚", "虚构"}, {"工商", "工商 杭"}, {"工商 杭", "工商 杭州虚构"},
        {"g", "gsyh"},  {"10", "1023"},      {"102 ", "102 杭州"}};
    for (const auto& [earlier, now] : typed) {
        SCOPED_TRACE(now);
        ASSERT_TRUE(BranchSearchIndex::narrows(now, earlier));
        const std::vector<int> before = index.search(earlier);
        EXPECT_EQ(index.search(now, &before), index.search(now));
    }
    EXPECT_FALSE(BranchSearchIndex::narrows("102a", "102"))
        << "digits and a letter are a part of a name, not a code's start";
    EXPECT_FALSE(BranchSearchIndex::narrows("工", "工商")) << "taking back widens";
    EXPECT_FALSE(BranchSearchIndex::narrows("工商", "")) << "from nothing the buffer-wide way";
}
