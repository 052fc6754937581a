// The list's cells as UTF-8 straight from the record set are the texts the grid shows.
#include "AdoTypes.h"
#include "ListGridSource.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tarvo;

TEST(ListGridSource, EveryKindOfCellGivesAsUtf8TheTextItShows) {
    using Shown = ListGridSource::Shown;
    const int types[] = {ado::adVarWChar,       ado::adBoolean,     ado::adSmallInt,
                         ado::adInteger,        ado::adCurrency,    ado::adDouble,
                         ado::adBigInt,         ado::adDBTimeStamp, ado::adDate,
                         ado::adUnsignedTinyInt};
    const Shown shown[] = {Shown::AsIs, Shown::YesNo, Shown::SignFlag, Shown::AccProperty,
                           Shown::Amount};
    const int kinds = int(std::size(shown));
    QVector<FieldInfo> fields;
    for (int type : types)
        for (int s = 0; s < kinds; ++s)
            fields.push_back({QStringLiteral("f%1_%2").arg(type).arg(s), type, 20});
    fields.push_back({"iWHProperty", ado::adInteger, 4});
    const int n = int(fields.size());

    // Each row stores one value, of one kind, in every column.
    const QList<QByteArray> texts = {"",
                                     "abc",
                                     "中文 账户",
                                     "True",
                                     "false",
                                     "是",
                                     "1",
                                     "0",
                                     "2",
                                     "7",
                                     "007",
                                     "-1",
                                     " 3",
                                     "99999999999",
                                     "2024-02-29",
                                     "2023-02-29",
                                     "0000-01-01",
                                     "2024-01-31 00:00:00",
                                     "2024-1-31",
                                     "1.5",
                                     "1234567.8000",
                                     "-0.0040",
                                     "1,234.5",
                                     "\xFF\xFE",
                                     "\xED\xA0\x80",
                                     "\xEF\xBF\xBE"};
    const qint64 integers[] = {0,
                               1,
                               2,
                               -1,
                               5,
                               127,
                               40000,
                               3000000000LL,
                               -3000000000LL,
                               999999999999999LL,
                               1000000000000000LL};
    // Amounts, and numbers on both sides of where a number's text takes an exponent.
    const double reals[] = {
        0.5,          3.0,     1e20,     -0.1,     1250000.5, 1010.25,
        0.1 + 0.2,    1e-4,    9.9e-5,   -0.0,     1e15,      999999999999999.9,
        123456.789,   1e-300,  -7.25e14, 100000.0, 1.5e16,    1.7976931348623157e308,
        std::nan(""), INFINITY};
    ColumnStore cells(n);
    for (const QByteArray& t : texts) {
        for (int c = 0; c < n; ++c)
            cells.addText(c, t.constData(), t.size());
        cells.endRow();
    }
    for (qint64 v : integers) {
        for (int c = 0; c < n; ++c)
            cells.addInteger(c, v);
        cells.endRow();
    }
    for (double v : reals) {
        for (int c = 0; c < n; ++c)
            cells.addReal(c, v);
        cells.endRow();
    }
    for (int c = 0; c < n; ++c)
        cells.addNull(c);
    cells.endRow();

    auto rs = std::make_shared<Recordset>(fields, std::move(cells));
    ListGridSource source(rs, {"否", "是"}, {"收", "付"}, {"基本户", "一般户", "专用户"});
    for (int c = 1; c <= n; ++c) {
        const Shown kind = c == n ? Shown::AsIs : shown[(c - 1) % kinds];
        if (kind == Shown::Amount)
            source.setAmount(c, 2);
        else
            source.setShown(c, kind);
    }
    for (int row = 0; row < source.rowCount(); ++row) {
        for (int c = 0; c <= n; ++c) {
            QByteArray out = "前";
            source.appendUtf8(row, c, out);
            EXPECT_EQ(out, "前" + source.text(row, c).toUtf8())
                << "row " << row << " field " << fields.value(c - 1).name.toStdString();
        }
    }
}

TEST(ListGridSource, AmountsShowAsTheCardShowsThemWhateverTheEngineStoredAndOtherTextsAsTheyAre) {
    ColumnStore cells(1);
    cells.addReal(0, 1234567.8); // the embedded engine's number
    cells.endRow();
    const QByteArray server = "-1234567.8950"; // a server's exact decimal, as text
    cells.addText(0, server.constData(), server.size());
    cells.endRow();
    cells.addInteger(0, 1000);
    cells.endRow();
    const QByteArray other = "待核实"; // written by another program
    cells.addText(0, other.constData(), other.size());
    cells.endRow();
    cells.addNull(0);
    cells.endRow();
    auto rs = std::make_shared<Recordset>(QVector<FieldInfo>{{"fCurBalance", ado::adCurrency, 8}},
                                          std::move(cells));
    ListGridSource source(rs, {"否", "是"}, {"收", "付"}, {});
    const auto shown = [&](int decimals) {
        source.setAmount(1, decimals);
        QStringList texts;
        for (int row = 0; row < source.rowCount(); ++row)
            texts << source.text(row, 1);
        return texts;
    };
    EXPECT_EQ(shown(2), QStringList({"1,234,567.80", "-1,234,567.90", "1,000.00", "待核实", ""}));
    EXPECT_EQ(shown(0), QStringList({"1,234,568", "-1,234,568", "1,000", "待核实", ""}));
}
