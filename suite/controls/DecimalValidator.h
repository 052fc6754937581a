#pragma once

#include <QRegularExpressionValidator>

namespace tarvo::suite {

/// Accepts amounts with up to a given number of decimals, with or without thousands
/// separators ("-1,234.50", "1234.5"). While the user types, a number may stand unfinished
/// ("-", "12.", "1,23"); such text is Intermediate, and fixup() finishes it ("", "12", "123").
/// More whole digits than an amount column holds cannot be typed.
class DecimalValidator : public QRegularExpressionValidator {
public:
    /// numeric(19,4) keeps 15 digits before the point.
    static constexpr int kIntegerDigits = 15;
    DecimalValidator(int decimals, QObject* parent);

    /// Characters the user may not bring in, though the amount's own shape has them (a comma
    /// groups digits): what the program showed, such as a formatted amount, stays editable.
    /// The validator must belong to its line edit.
    void setRefused(const QString& characters);

    State validate(QString& input, int& pos) const override;
    void fixup(QString& input) const override;

private:
    QString m_refused;
    /// The edit's text before the change validated: the edit shows the new text already.
    QString m_shown;

    /// Whether input holds more of a refused character than the edit's text did.
    bool bringsRefused(const QString& input) const;
};

} // namespace tarvo::suite
