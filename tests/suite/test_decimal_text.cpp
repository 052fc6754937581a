#include "DecimalText.h"

#include <gtest/gtest.h>

using tarvo::suite::DecimalText;

TEST(DecimalText, ReadsWhatAnAmountEditShowsAndNothingElse) {
    const QList<std::pair<QString, QString>> read{
        {"1,234.50", "1234.5"},  {"-0.0001", "-0.0001"},
        {"+.5", "0.5"},          {"007.", "7"},
        {"-0.000", "0"},         {" 123,456,789,012,345.6789 ", "123456789012345.6789"},
        {"１２３．４", "123.4"}, {"－5", "-5"}};
    for (const auto& [typed, plain] : read) {
        const auto d = DecimalText::parse(typed);
        EXPECT_TRUE(d) << typed.toStdString();
        if (d) {
            EXPECT_EQ(d->plain(), plain) << typed.toStdString();
        }
    }
    for (const char* bad : {"", "-", ".", "1,23", "12,34.5", "1e5", "inf", "NaN", "0x10", "1.2.3",
                            "١٢٣", "1 000", "--1", "1-"})
        EXPECT_FALSE(DecimalText::parse(QString::fromUtf8(bad))) << bad;
}

TEST(DecimalText, FormatsEveryDigitAndRoundsHalvesAwayFromZero) {
    const auto f = [](const char* text, int decimals) {
        return DecimalText::parse(QString::fromUtf8(text))->formatted(decimals);
    };
    EXPECT_EQ(f("123456789012345.6789", 4), "123,456,789,012,345.6789");
    EXPECT_EQ(f("12345678901234.5678", 2), "12,345,678,901,234.57");
    EXPECT_EQ(f("999999999999999.9999", 2), "1,000,000,000,000,000.00");
    EXPECT_EQ(f("-2.5", 0), "-3");
    EXPECT_EQ(f("-0.004", 2), "0.00") << "no minus before a zero";
    EXPECT_EQ(f("1234", 0), "1,234");
    EXPECT_EQ(f("0.5", 6), "0.500000");
    EXPECT_EQ(DecimalText::parse("1234.5")->formatted(2, false), "1234.50");

    // A double is read at its shortest exact form, not its binary expansion.
    EXPECT_EQ(DecimalText::fromVariant(0.1)->formatted(20), "0.10000000000000000000");
    EXPECT_EQ(DecimalText::fromVariant(1e20)->plain(), "100000000000000000000");
    EXPECT_FALSE(DecimalText::fromVariant(std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(DecimalText::fromVariant(QVariant()));
}

TEST(DecimalText, TellsWhetherANumericColumnHoldsIt) {
    const auto d = [](const char* text) { return *DecimalText::parse(QString::fromUtf8(text)); };
    EXPECT_TRUE(d("999,999,999,999,999.9999").fits(15, 4));
    EXPECT_FALSE(d("1,000,000,000,000,000").fits(15, 4));
    EXPECT_FALSE(d("0.00001").fits(15, 4));
    EXPECT_TRUE(d("0.12340").fits(15, 4)) << "trailing zeros cost nothing";
    EXPECT_EQ(d("0.0012").significantDigits(), 2);
    EXPECT_EQ(d("12345678901234.5678").significantDigits(), 18);
}

TEST(DecimalText, FormatsAStoredNumbersBytesByTheSameRuleAndRefusesAnyOtherText) {
    const auto bytes = [](QByteArrayView stored, int decimals) {
        QByteArray out = "前";
        return DecimalText::appendFormatted(stored, decimals, out) ? out.mid(3) : "refused";
    };
    // As a database or a record set stores them: plain, with a server's trailing zeros, signed.
    for (const char* stored :
         {"1234567.8", "1234567.8000", "-1234567.8", "+5", "0.125", "999.995", "-0.004", "007",
          "5.", ".5", "0", "-0", "123456789012345.6789", "99999999999999999999999999"}) {
        for (int decimals : {0, 2, 4}) {
            const QString text = DecimalText::parse(stored)->formatted(decimals);
            EXPECT_EQ(bytes(stored, decimals), text.toLatin1()) << stored << " " << decimals;
        }
    }
    EXPECT_EQ(bytes("1234567.8000", 2), "1,234,567.80");
    EXPECT_EQ(bytes("999.995", 2), "1,000.00");
    // What only a person types, or no number at all, is left to the text's own reading.
    for (const char* other :
         {"", "-", ".", "1,234.5", " 12", "12 ", "1e5", "inf", "1.2.3", "--1", "１２", "0x10"})
        EXPECT_EQ(bytes(other, 2), "refused") << other;
}
