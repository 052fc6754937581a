#include "ExportColumns.h"

#include "AdoTypes.h"

#include <charconv>
#include <cmath>

namespace tarvo::suite {

namespace {

bool asciiSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

/// The grid's number text read the way parseNumber reads it, without building strings for the
/// plain ASCII texts a grid shows; anything else goes the long way round.
std::optional<double> readNumber(QStringView text) {
    char digits[64];
    int n = 0;
    for (const QChar c : text) {
        if (c.unicode() >= 0x80 || n == int(sizeof digits))
            return parseNumber(text.toString());
        if (c != u',')
            digits[n++] = char(c.unicode());
    }
    int from = 0;
    while (from < n && asciiSpace(char16_t(digits[from])))
        ++from;
    while (n > from && asciiSpace(char16_t(digits[n - 1])))
        --n;
    if (from < n - 1 && digits[from] == '+' && digits[from + 1] != '-' && digits[from + 1] != '+')
        ++from;
    if (from == n)
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(digits + from, digits + n, value);
    if (error == std::errc::result_out_of_range)
        return parseNumber(text.toString());
    if (error != std::errc() || end != digits + n || !std::isfinite(value))
        return std::nullopt;
    return value;
}

int digitsAt(QStringView text, qsizetype at, int count) {
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

/// A date as the grid shows one (yyyy-mm-dd, perhaps with a midnight time); anything else is
/// left to the ISO reader.
QDate readDate(QStringView text) {
    if (text.size() < 10)
        return {};
    const QStringView tail = text.mid(10);
    if (!tail.isEmpty() && tail.trimmed() != u"00:00:00")
        return {};
    const int y = digitsAt(text, 0, 4);
    const int m = digitsAt(text, 5, 2);
    const int d = digitsAt(text, 8, 2);
    if (y >= 0 && m >= 0 && d >= 0 && text[4] == u'-' && text[7] == u'-')
        return QDate(y, m, d);
    return QDate::fromString(text.left(10).toString(), Qt::ISODate);
}

} // namespace

QVector<ExportColumn> exportColumns(const ExportJob& job) {
    QVector<ExportColumn> columns;
    for (qsizetype i = 0; i < job.style->columns.size(); ++i) {
        const int type = job.types->types.value(i);
        ExportColumn c;
        c.kind = ado::isNumeric(type) ? ExportColumn::Number
                 : ado::isDate(type)  ? ExportColumn::Date
                                      : ExportColumn::Text;
        c.decimals = std::min(job.style->columns[i].decimals, kMaxDecimals);
        columns << c;
    }
    return columns;
}

CellValue cellValue(ExportColumn::Kind kind, QStringView text) {
    CellValue value;
    if (text.isEmpty())
        return value;
    value.kind = CellValue::Text;
    if (kind == ExportColumn::Number) {
        if (const auto v = readNumber(text)) {
            value.kind = CellValue::Number;
            value.number = *v;
        }
    } else if (kind == ExportColumn::Date) {
        value.date = readDate(text);
        if (value.date.isValid())
            value.kind = CellValue::Date;
    }
    return value;
}

char* formatCsvNumber(char* out, double value, int decimals) {
    const auto [end, error] =
        decimals < 0 ? std::to_chars(out, out + kNumberChars, value, std::chars_format::general, 17)
                     : std::to_chars(out, out + kNumberChars, value, std::chars_format::fixed,
                                     decimals);
    return error == std::errc() ? end : out;
}

} // namespace tarvo::suite
