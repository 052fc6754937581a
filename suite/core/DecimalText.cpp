#include "DecimalText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace tarvo::suite {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

/// Adds one unit in the last place of a string of decimal digits.
void increment(QVarLengthArray<char, 64>& digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != '9') {
            ++digits[i];
            return;
        }
        digits[i] = '0';
    }
    digits.insert(digits.begin(), '1');
}

} // namespace

std::optional<DecimalText> DecimalText::parse(const QString& text) {
    // [0-9], not \d: \d takes digits of every script, which no database reads as a number.
    static const QRegularExpression number(
        QStringLiteral("\\A([+-]?)([0-9]{1,3}(?:,[0-9]{3})+|[0-9]*)(?:\\.([0-9]*))?\\z"));
    const auto m = number.match(text.normalized(QString::NormalizationForm_KC).trimmed());
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0))
        return std::nullopt;
    DecimalText d;
    QString integer = m.captured(2).remove(u',');
    qsizetype lead = 0;
    while (lead < integer.size() && integer[lead] == u'0')
        ++lead;
    d.m_integer = lead == integer.size() ? QStringLiteral("0") : integer.mid(lead);
    QString fraction = m.captured(3);
    while (fraction.endsWith(u'0'))
        fraction.chop(1);
    d.m_fraction = fraction;
    d.m_negative = m.captured(1) == u"-" && (d.m_integer != u"0" || !d.m_fraction.isEmpty());
    return d;
}

std::optional<DecimalText> DecimalText::fromVariant(const QVariant& value) {
    if (value.isNull() || !value.isValid())
        return std::nullopt;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float: {
        const double v = value.toDouble();
        if (!std::isfinite(v))
            return std::nullopt;
        return parse(QString::number(v, 'f', QLocale::FloatingPointShortest));
    }
    case QMetaType::Int:
    case QMetaType::LongLong:
        return parse(QString::number(value.toLongLong()));
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return parse(QString::number(value.toULongLong()));
    default:
        return parse(value.toString());
    }
}

bool DecimalText::fits(int integerDigits, int scale) const {
    return this->integerDigits() <= integerDigits && this->scale() <= scale;
}

int DecimalText::significantDigits() const {
    if (m_integer != u"0")
        return int(m_integer.size() + m_fraction.size());
    qsizetype zeros = 0;
    while (zeros < m_fraction.size() && m_fraction[zeros] == u'0')
        ++zeros;
    return int(m_fraction.size() - zeros);
}

QString DecimalText::plain() const {
    QString out = m_negative ? QStringLiteral("-") : QString();
    out += m_integer;
    if (!m_fraction.isEmpty())
        out += u'.' + m_fraction;
    return out;
}

QString DecimalText::formatted(int decimals, bool groupSeparators) const {
    QByteArray out;
    appendFormatted(plain().toLatin1(), decimals, out, groupSeparators);
    return QString::fromLatin1(out);
}

bool DecimalText::appendFormatted(QByteArrayView plain, int decimals, QByteArray& out,
                                  bool groupSeparators) {
    decimals = std::max(0, decimals);
    qsizetype i = 0;
    const bool minus = !plain.isEmpty() && plain[0] == '-';
    if (!plain.isEmpty() && (plain[0] == '-' || plain[0] == '+'))
        ++i;
    qsizetype from = i;
    while (i < plain.size() && isDigit(plain[i]))
        ++i;
    QByteArrayView integer = plain.sliced(from, i - from);
    QByteArrayView fraction;
    if (i < plain.size() && plain[i] == '.') {
        from = ++i;
        while (i < plain.size() && isDigit(plain[i]))
            ++i;
        fraction = plain.sliced(from, i - from);
    }
    if (i != plain.size() || (integer.isEmpty() && fraction.isEmpty()))
        return false;
    while (!integer.isEmpty() && integer[0] == '0')
        integer = integer.sliced(1);

    QVarLengthArray<char, 64> digits;
    if (integer.isEmpty())
        digits.append('0');
    else
        digits.append(integer.data(), integer.size());
    for (int k = 0; k < decimals; ++k)
        digits.append(k < fraction.size() ? fraction[k] : '0');
    if (fraction.size() > decimals && fraction[decimals] >= '5')
        increment(digits);

    // What rounds to zero shows no sign.
    if (minus && std::any_of(digits.begin(), digits.end(), [](char c) { return c != '0'; }))
        out += '-';
    const qsizetype whole = digits.size() - decimals;
    for (qsizetype k = 0; k < whole; ++k) {
        if (groupSeparators && k > 0 && (whole - k) % 3 == 0)
            out += ',';
        out += digits[k];
    }
    if (decimals > 0) {
        out += '.';
        out.append(digits.data() + whole, decimals);
    }
    return true;
}

} // namespace tarvo::suite
