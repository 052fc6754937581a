#include "ListGridSource.h"

#include "AdoTypes.h"
#include "DecimalText.h"
#include "ShownValues.h"

#include <QDate>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace tarvo {

namespace {

QByteArrayList utf8Of(const QStringList& texts) {
    QByteArrayList out;
    for (const QString& t : texts)
        out << t.toUtf8();
    return out;
}

/// Whether ASCII text, lowered, is `lower`.
bool lowerEquals(QByteArrayView text, QByteArrayView lower) {
    if (text.size() != lower.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? char(c + 32) : c) != lower[i])
            return false;
    }
    return true;
}

bool isHiddenField(const QString& name) {
    return name.compare(u"iWhFundQuota", Qt::CaseInsensitive) == 0 ||
           name.compare(u"iWHProperty", Qt::CaseInsensitive) == 0;
}

/// Whether a field type takes a stored text as it is (a record set turns only these types'
/// texts into other values).
bool keepsText(int type) {
    return type != ado::adBoolean && type != ado::adSmallInt && type != ado::adInteger &&
           type != ado::adDouble && type != ado::adDBTimeStamp;
}

int digitsAt(const char* p, int count) {
    int value = 0;
    for (int i = 0; i < count; ++i) {
        if (p[i] < '0' || p[i] > '9')
            return -1;
        value = value * 10 + (p[i] - '0');
    }
    return value;
}

/// A stored yyyy-mm-dd that names a real date, which a date field shows just as stored.
bool isIsoDate(QByteArrayView b) {
    if (b.size() != 10 || b[4] != '-' || b[7] != '-')
        return false;
    const int y = digitsAt(b.data(), 4);
    const int m = digitsAt(b.data() + 5, 2);
    const int d = digitsAt(b.data() + 8, 2);
    return y > 0 && m >= 0 && d >= 0 && QDate(y, m, d).isValid();
}

void appendNumber(QByteArray& out, qint64 n) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    out.append(digits, end - digits);
}

/// A currency or double field's number as its text shows it: the shorter of the number's
/// shortest exact fixed and exponent forms, fixed on a tie, which the standard library writes
/// as the text does. Minus zero shows as zero; what is not finite is left to the text.
bool appendReal(QByteArray& out, double d) {
    if (!std::isfinite(d))
        return false;
    char digits[40];
    const auto end = std::to_chars(digits, digits + sizeof digits, d == 0 ? 0.0 : d).ptr;
    out.append(digits, end - digits);
    return true;
}

} // namespace

ListGridSource::ListGridSource(RecordsetPtr rs, QStringList yesNoText, QStringList signFlagText,
                               QStringList accPropertyText)
    : m_rs(std::move(rs)), m_yesNoText(std::move(yesNoText)),
      m_signFlagText(std::move(signFlagText)), m_accPropertyText(std::move(accPropertyText)),
      m_shown(m_rs->FieldCount() + 1, Shown::AsIs), m_decimals(m_rs->FieldCount() + 1, 0),
      m_accPropertyUtf8(utf8Of(m_accPropertyText)),
      m_noUtf8(m_yesNoText.value(0).toUtf8()),
      m_yesUtf8(m_yesNoText.value(1).toUtf8()), m_signFlagUtf8{m_signFlagText.value(0).toUtf8(),
                                                               m_signFlagText.value(1).toUtf8()} {
    for (int f = 0; f < m_rs->FieldCount(); ++f)
        m_hiddenField << isHiddenField(m_rs->FieldAt(f).name);
}

QVariant ListGridSource::displayValue(const QVariant& value, const QString& fieldName) {
    if (value.isNull())
        return QString();
    if (isHiddenField(fieldName))
        return QVariant();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value;
}

void ListGridSource::showAsList(IPub* pub, const ComVar* comVar) {
    for (int j = 1; j <= m_rs->FieldCount(); ++j) {
        const FieldInfo& field = m_rs->FieldAt(j - 1);
        if (field.type == ado::adBoolean)
            setShown(j, Shown::YesNo);
        else if (field.name.toLower() == u"isignflag")
            setShown(j, Shown::SignFlag);
        else if (field.name.toLower() == u"iaccproperty")
            setShown(j, Shown::AccProperty);
        else if (ado::isAmount(field.type) && pub && comVar &&
                 IsStyledAmount(*pub, *comVar, field.name))
            setAmount(j, StyledDecimals(*pub, *comVar, field.name));
    }
}

void ListGridSource::showAs(const ListGridSource& other) {
    m_shown = other.m_shown;
    m_decimals = other.m_decimals;
}

void ListGridSource::setShown(int col, Shown shown) {
    if (col < 1 || col >= m_shown.size())
        return;
    // Only a number with decimals is an amount: a flag or a code is no sum of money.
    if (shown == Shown::Amount && !ado::isAmount(m_rs->FieldAt(col - 1).type))
        shown = Shown::AsIs;
    m_shown[col] = shown;
}

void ListGridSource::setAmount(int col, int decimals) {
    setShown(col, Shown::Amount);
    if (col > 0 && col < m_decimals.size())
        m_decimals[col] = decimals;
}

int ListGridSource::rowCount() const {
    return m_rs->storedRowCount();
}

QString ListGridSource::text(int row, int col) const {
    if (col < 1 || col >= m_shown.size())
        return {};
    const QVariant value = m_rs->valueAt(row, col - 1);
    if (m_shown[col] == Shown::Amount && !m_hiddenField[col - 1]) {
        // A text another program stored that is no number shows as it is.
        if (const auto amount = suite::DecimalText::fromVariant(value))
            return amount->formatted(m_decimals[col]);
    }
    return shownText(displayValue(value, m_rs->FieldAt(col - 1).name).toString(), col);
}

QString ListGridSource::shownText(const QString& t, int col) const {
    switch (m_shown[col]) {
    case Shown::YesNo: {
        const QString lower = t.toLower();
        const bool yes = lower == u"true" || lower == m_yesNoText.value(1);
        return m_yesNoText.value(yes ? 1 : 0);
    }
    case Shown::SignFlag:
        return SignFlagShown(t, m_signFlagText);
    case Shown::AccProperty:
        return AccPropertyShown(t, m_accPropertyText);
    case Shown::AsIs:
    case Shown::Amount:
        break;
    }
    return t;
}

bool ListGridSource::appendDisplayUtf8(int row, int field, QByteArray& out) const {
    const FieldInfo& info = m_rs->FieldAt(field);
    const ColumnStore& cells = std::as_const(*m_rs).cells();
    if (m_hiddenField[field])
        return true;
    switch (cells.kind(row, field)) {
    case ColumnStore::Kind::Null:
        return true;
    case ColumnStore::Kind::Integer: {
        const qint64 n = cells.integer(row, field);
        if (info.type == ado::adBoolean) {
            out += n != 0 ? "True" : "False";
            return true;
        }
        if (info.type == ado::adCurrency || info.type == ado::adDouble)
            return appendReal(out, double(n));
        const bool whole = info.type == ado::adSmallInt || info.type == ado::adInteger;
        if (!(whole && n == qint32(n)) && !keepsText(info.type))
            return false;
        appendNumber(out, n);
        return true;
    }
    case ColumnStore::Kind::Text: {
        if (!keepsText(info.type) && info.type != ado::adDBTimeStamp)
            return false;
        // Bytes another program stored that are not UTF-8 show as the string marks them.
        const qsizetype at = out.size();
        cells.appendBytes(row, field, out);
        const QByteArrayView stored = QByteArrayView(out).sliced(at);
        if (stored.isValidUtf8() && (keepsText(info.type) || isIsoDate(stored)))
            return true;
        out.truncate(at);
        return false;
    }
    case ColumnStore::Kind::Real:
        if (info.type == ado::adCurrency || info.type == ado::adDouble)
            return appendReal(out, cells.real(row, field));
        break;
    }
    return false;
}

bool ListGridSource::appendAmountUtf8(int row, int field, QByteArray& out) const {
    const ColumnStore& cells = std::as_const(*m_rs).cells();
    // Room for any amount's digits; a longer text is no amount.
    char number[400];
    const char* end = number;
    switch (cells.kind(row, field)) {
    case ColumnStore::Kind::Null:
        return true;
    case ColumnStore::Kind::Integer:
        end = std::to_chars(number, number + sizeof number, cells.integer(row, field)).ptr;
        break;
    case ColumnStore::Kind::Real: {
        // The shortest fixed form, as the text of the value gives it; the two write the digits
        // beyond the 17th of a larger number differently, and no amount has that many.
        const double d = cells.real(row, field);
        if (!(std::fabs(d) < 1e15))
            return false;
        end = std::to_chars(number, number + sizeof number, d, std::chars_format::fixed).ptr;
        break;
    }
    case ColumnStore::Kind::Text: {
        // Read by way of out, whose room is there already; a text longer than any number is
        // left to text().
        const qsizetype at = out.size();
        cells.appendBytes(row, field, out);
        const qsizetype size = out.size() - at;
        if (size <= qsizetype(sizeof number))
            std::memcpy(number, out.constData() + at, size_t(size));
        out.truncate(at);
        if (size > qsizetype(sizeof number))
            return false;
        end = number + size;
        break;
    }
    }
    return suite::DecimalText::appendFormatted(QByteArrayView(number, end - number),
                                               m_decimals[field + 1], out);
}

void ListGridSource::appendUtf8(int row, int col, QByteArray& out) const {
    if (col < 1 || col >= m_shown.size())
        return;
    if (m_shown[col] == Shown::Amount && !m_hiddenField[col - 1]) {
        if (!appendAmountUtf8(row, col - 1, out))
            appendUtf8Of(text(row, col), out);
        return;
    }
    const qsizetype at = out.size();
    if (appendDisplayUtf8(row, col - 1, out)) {
        if (m_shown[col] == Shown::AsIs)
            return;
        // The display text t decides the text shown, as in shownText(), but read where it
        // lies: a column of flags asks no string of any cell.
        const QByteArrayView t = QByteArrayView(out).sliced(at);
        const QByteArray* shown = nullptr;
        switch (m_shown[col]) {
        case Shown::YesNo: {
            if (std::any_of(t.begin(), t.end(), [](char c) { return uchar(c) >= 0x80; }))
                break;
            const bool yes = lowerEquals(t, "true") || lowerEquals(t, m_yesUtf8);
            shown = yes ? &m_yesUtf8 : &m_noUtf8;
            break;
        }
        case Shown::SignFlag:
            shown = &m_signFlagUtf8[SignFlagTextIndex(t == "1")];
            break;
        case Shown::AccProperty: {
            int code = -1;
            const auto [end, error] = std::from_chars(t.begin(), t.end(), code);
            if (t.isEmpty() || (t[0] != '-' && error == std::errc() && end == t.end() &&
                                code >= m_accPropertyUtf8.size()))
                return;
            if (t[0] == '-' || error != std::errc() || end != t.end())
                break;
            shown = &m_accPropertyUtf8[code];
            break;
        }
        case Shown::AsIs:
        case Shown::Amount:
            return;
        }
        out.truncate(at);
        if (shown) {
            out += *shown;
            return;
        }
    }
    appendUtf8Of(text(row, col), out);
}

} // namespace tarvo
