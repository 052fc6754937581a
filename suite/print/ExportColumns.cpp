#include "ExportColumns.h"

#include "AdoTypes.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tarvo::suite {

namespace {

bool asciiSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// The readers below take a cell as the grid's text or as UTF-8 bytes; a byte text reaches
// them only when it is ASCII, so that a byte is a character.
char16_t unitAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}
char16_t unitAt(QByteArrayView text, qsizetype i) {
    return uchar(text[i]);
}
QString toText(QStringView text) {
    return text.toString();
}
QString toText(QByteArrayView text) {
    return QString::fromLatin1(text);
}

/// The grid's number text read the way parseNumber reads it, without building strings for the
/// plain ASCII texts a grid shows; anything else goes the long way round.
template <class View> std::optional<double> readNumber(View text) {
    char digits[64];
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = unitAt(text, i);
        if (c >= 0x80 && !mayBeInNumber(c))
            return std::nullopt;
        if (c >= 0x80 || n == int(sizeof digits))
            return parseNumber(toText(text));
        if (c != u',')
            digits[n++] = char(c);
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
        return parseNumber(toText(text));
    if (error != std::errc() || end != digits + n || !std::isfinite(value))
        return std::nullopt;
    return value;
}

/// Whether UTF-8 holds no character beyond ASCII that mayBeInNumber refuses; a sequence that
/// is no UTF-8 becomes a replacement character when read, which no number holds either.
bool mayBeNumberUtf8(QByteArrayView utf8) {
    const auto* bytes = reinterpret_cast<const uchar*>(utf8.data());
    const qsizetype n = utf8.size();
    for (qsizetype i = 0; i < n;) {
        const uchar lead = bytes[i];
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const int length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || i + length > n)
            return false;
        char32_t c = lead & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80)
                return false;
            c = (c << 6) | (bytes[i + k] & 0x3F);
        }
        if (!mayBeInNumber(c))
            return false;
        i += length;
    }
    return true;
}

template <class View> int digitsAt(View text, qsizetype at, int count) {
    int value = 0;
    for (qsizetype i = at; i < at + count; ++i) {
        const char16_t c = unitAt(text, i);
        if (c < u'0' || c > u'9')
            return -1;
        value = value * 10 + (c - u'0');
    }
    return value;
}

/// A date as the grid shows one (yyyy-mm-dd, perhaps with a midnight time); anything else is
/// left to the ISO reader.
template <class View> QDate readDate(View text) {
    if (text.size() < 10)
        return {};
    const View tail = text.sliced(10);
    if (!tail.isEmpty() && toText(tail.trimmed()) != u"00:00:00")
        return {};
    const int y = digitsAt(text, 0, 4);
    const int m = digitsAt(text, 5, 2);
    const int d = digitsAt(text, 8, 2);
    if (y >= 0 && m >= 0 && d >= 0 && unitAt(text, 4) == u'-' && unitAt(text, 7) == u'-')
        return QDate(y, m, d);
    return QDate::fromString(toText(text.first(10)), Qt::ISODate);
}

template <class View> CellValue valueOf(ExportColumn::Kind kind, View text) {
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
        c.grouped = job.style->columns[i].grouped;
        columns << c;
    }
    return columns;
}

CellValue cellValue(ExportColumn::Kind kind, QStringView text) {
    return valueOf(kind, text);
}

CellValue cellValue(ExportColumn::Kind kind, QByteArrayView utf8) {
    if (kind == ExportColumn::Text) {
        CellValue value;
        value.kind = utf8.isEmpty() ? CellValue::Blank : CellValue::Text;
        return value;
    }
    if (std::any_of(utf8.begin(), utf8.end(), [](char c) { return uchar(c) >= 0x80; })) {
        // A column of numbers may show words (an account's property): those stay texts
        // without being read as a string first.
        if (kind == ExportColumn::Number && !mayBeNumberUtf8(utf8)) {
            CellValue value;
            value.kind = CellValue::Text;
            return value;
        }
        return valueOf(kind, QStringView(QString::fromUtf8(utf8)));
    }
    return valueOf(kind, utf8);
}

char* formatCsvNumber(char* out, double value, int decimals) {
    const auto [end, error] =
        decimals < 0 ? std::to_chars(out, out + kNumberChars, value, std::chars_format::general, 17)
                     : std::to_chars(out, out + kNumberChars, value, std::chars_format::fixed,
                                     decimals);
    return error == std::errc() ? end : out;
}

} // namespace tarvo::suite
