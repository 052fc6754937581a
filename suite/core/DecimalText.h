#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

#include <optional>

namespace tarvo::suite {

/// An amount held as its decimal digits, never through a double: a double keeps only 15 to 17
/// significant digits, and numeric(19,4) has 19.
class DecimalText {
public:
    /// Reads what an amount edit shows or a user types: an optional sign, digits with or without
    /// thousands separators in their places ("-1,234.50", "1234.5", ".5"); full-width digits
    /// and signs count as their ASCII forms. Nothing else is accepted (no exponent, no "inf").
    static std::optional<DecimalText> parse(const QString& text);
    /// A value as a record set holds it: text is parsed, a double taken at its shortest exact
    /// form ("0.1", not 0.1000000000000000055…). Empty when the value is no number.
    static std::optional<DecimalText> fromVariant(const QVariant& value);

    /// Whether it fits a numeric column of that many integer and fraction digits unchanged.
    bool fits(int integerDigits, int scale) const;
    int integerDigits() const { return m_integer == u"0" ? 0 : int(m_integer.size()); }
    int scale() const { return int(m_fraction.size()); }
    /// Digits from the first that is not zero to the last ("0.0012" has 2).
    int significantDigits() const;

    /// "-1234.5": no separators, no superfluous zeros; what a database takes as a literal.
    QString plain() const;
    /// Rounded half away from zero to the decimals, with thousands separators when asked
    /// ("1,234.50").
    QString formatted(int decimals, bool groupSeparators = true) const;
    /// The same rule for a number in the plain ASCII form a database or a record set stores
    /// ("-1234.5", "1234.5000", "7"), appended to out without a string in between: a long list
    /// formats an amount per row. False, with nothing appended, for anything else (separators,
    /// blanks, an exponent).
    static bool appendFormatted(QByteArrayView plain, int decimals, QByteArray& out,
                                bool groupSeparators = true);

private:
    bool m_negative = false;
    QString m_integer = QStringLiteral("0"); ///< no leading zeros
    QString m_fraction;                      ///< no trailing zeros
};

} // namespace tarvo::suite
