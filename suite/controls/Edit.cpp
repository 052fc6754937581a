#include "Edit.h"

#include <QValidator>

namespace tarvo::suite {

Edit::Edit(QWidget* parent, const QString& name) : QLineEdit(parent) {
    setObjectName(name);
    connect(this, &QLineEdit::textChanged, this, &Edit::Change);
    connect(this, &QLineEdit::textEdited, this, &Edit::UserChange);
}

void Edit::setUTooltipText(const QString& text) {
    m_tooltip = text;
    setToolTip(text);
}

namespace {

/// Refuses any text holding one of the characters.
class RefusedCharacters : public QValidator {
public:
    RefusedCharacters(const QString& characters, QObject* parent)
        : QValidator(parent), m_characters(characters) {}
    State validate(QString& input, int&) const override {
        for (const QChar c : input)
            if (m_characters.contains(c))
                return Invalid;
        return Acceptable;
    }

private:
    QString m_characters;
};

} // namespace

void Edit::setBadstr(const QString& characters) {
    m_badstr = characters;
    setValidator(characters.isEmpty() ? nullptr : new RefusedCharacters(characters, this));
}

} // namespace tarvo::suite
