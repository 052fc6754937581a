#include "DecimalText.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace tarvo::suite {

namespace {

/// Adds one unit in the last place of a string of decimal digits.
QString incremented(QString digits) {
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        if (digits[i] != u'9') {
            digits[i] = QChar(digits[i].unicode() + 1);
            return digits;
        }
        digits[i] = u'0';
    }
    return u'1' + digits;
}

QString grouped(const QString& integer) {
    QString out;
    out.reserve(integer.size() + integer.size() / 3);
    for (qsizetype i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0)
            out += u',';
        out += integer[i];
    }
    return out;
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
    decimals = std::max(0, decimals);
    QString fraction = m_fraction.left(decimals).leftJustified(decimals, u'0');
    QString digits = m_integer + fraction;
    if (m_fraction.size() > decimals && m_fraction[decimals] >= u'5')
        digits = incremented(digits);
    const QString integer = digits.left(digits.size() - decimals);
    fraction = digits.right(decimals);
    const bool zero = std::all_of(digits.begin(), digits.end(), [](QChar c) { return c == u'0'; });
    QString out = m_negative && !zero ? QStringLiteral("-") : QString();
    out += groupSeparators ? grouped(integer) : integer;
    if (decimals > 0)
        out += u'.' + fraction;
    return out;
}

} // namespace tarvo::suite
