#include "DecimalValidator.h"

#include <QLineEdit>

#include <algorithm>

namespace tarvo::suite {

namespace {

bool isWholeNumber(const QString& text) {
    static const QRegularExpression whole(
        QStringLiteral("\\A-?(\\d{1,3}(,\\d{3})+|\\d+)(\\.\\d+)?\\z"));
    return text.isEmpty() || whole.match(text).hasMatch();
}

} // namespace

DecimalValidator::DecimalValidator(int decimals, QObject* parent)
    : QRegularExpressionValidator(parent) {
    const QString fraction =
        decimals > 0 ? QStringLiteral("(\\.\\d{0,%1})?").arg(decimals) : QString();
    setRegularExpression(
        QRegularExpression(QStringLiteral("-?(\\d{1,3}(,\\d{3})*|\\d*)") + fraction));
}

void DecimalValidator::setRefused(const QString& characters) {
    m_refused = characters;
    auto* line = qobject_cast<QLineEdit*>(parent());
    if (!line)
        return;
    m_shown = line->text();
    // Only a change the edit took reaches textChanged; a refused one leaves m_shown as it was.
    connect(line, &QLineEdit::textChanged, this, [this](const QString& text) { m_shown = text; });
}

bool DecimalValidator::bringsRefused(const QString& input) const {
    for (const QChar c : m_refused)
        if (input.count(c) > m_shown.count(c))
            return true;
    return false;
}

QValidator::State DecimalValidator::validate(QString& input, int& pos) const {
    if (bringsRefused(input))
        return Invalid;
    const State state = QRegularExpressionValidator::validate(input, pos);
    const QString whole = input.section(u'.', 0, 0);
    if (std::count_if(whole.begin(), whole.end(), [](QChar c) { return c.isDigit(); }) >
        kIntegerDigits)
        return Invalid;
    if (state == Acceptable && !isWholeNumber(input))
        return Intermediate;
    return state;
}

void DecimalValidator::fixup(QString& input) const {
    QString text = input.trimmed();
    if (text.endsWith(u'.'))
        text.chop(1);
    if (text == u"-")
        text.clear();
    if (text.startsWith(QStringLiteral("-.")))
        text.insert(1, u'0');
    else if (text.startsWith(u'.'))
        text.prepend(u'0');
    // Separators the user left in the wrong places ("1,23") mean nothing; the digits stand.
    if (!isWholeNumber(text))
        text.remove(u',');
    input = text;
}

} // namespace tarvo::suite
