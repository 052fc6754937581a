#include "Edit.h"

#include "DecimalValidator.h"
#include "TextCharacters.h"

#include <QToolTip>
#include <QValidator>

namespace tarvo::suite {

Edit::Edit(QWidget* parent, const QString& name) : QLineEdit(parent) {
    setObjectName(name);
    connect(this, &QLineEdit::textChanged, this, &Edit::Change);
    connect(this, &QLineEdit::textEdited, this, &Edit::UserChange);
    connect(this, &QLineEdit::inputRejected, this, &Edit::explainRefusal);
    setBadstr({});
    // Setting the limit lays the text out anew and moves the cursor to its end: not while the
    // user is editing, only when the program sets a text.
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_ownLimit >= 0 && text.size() <= m_ownLimit && !isModified()) {
            setMaxLength(m_ownLimit);
            m_ownLimit = -1;
        }
    });
}

void Edit::fillText(const QString& value) {
    if (value.size() > maxLength()) {
        if (m_ownLimit < 0)
            m_ownLimit = maxLength();
        setMaxLength(int(value.size()));
    }
    if (value != text() || isUndoAvailable() || isRedoAvailable()) {
        // A stored value is shown as it stands: the checks of typing are not for it, and a
        // value they would refuse must not greet the clerk with a refusal while browsing.
        const QValidator* typing = validator();
        setValidator(nullptr);
        setText(value);
        setValidator(typing);
        return;
    }
    if (hasSelectedText())
        deselect();
    if (cursorPosition() != value.size())
        end(false);
    setModified(false);
}

void Edit::setUTooltipText(const QString& text) {
    m_tooltip = text;
    setToolTip(text);
}

namespace {

/// Refuses any text holding one of the characters, or a character no text may hold, and
/// remembers what it found.
class RefusedCharacters : public QValidator {
public:
    RefusedCharacters(const QString& characters, QObject* parent)
        : QValidator(parent), m_characters(characters) {}
    State validate(QString& input, int&) const override {
        m_found.clear();
        m_unsafe = TextCharacters::firstUnsafe(input);
        for (const QChar c : input)
            if (m_characters.contains(c) && !m_found.contains(c))
                m_found += c;
        return m_found.isEmpty() && !m_unsafe ? Acceptable : Invalid;
    }
    /// The refused characters of the last text refused.
    QString found() const { return m_found; }
    /// The first character of the last text refused that no text may hold.
    const std::optional<UnsafeCharacter>& unsafe() const { return m_unsafe; }

private:
    QString m_characters;
    mutable QString m_found;
    mutable std::optional<UnsafeCharacter> m_unsafe;
};

/// "< > ' ..." for a message.
QString spaced(const QString& characters) {
    QStringList list;
    for (const QChar c : characters)
        list << QString(c);
    return list.join(u' ');
}

} // namespace

QString Edit::refusalText() const {
    const auto* refused = dynamic_cast<const RefusedCharacters*>(validator());
    if (refused && refused->unsafe())
        return tr("不能输入 %1：文字中不能有控制字符、文字方向控制符或无效字符。")
            .arg(TextCharacters::describe(*refused->unsafe()));
    if (refused && !refused->found().isEmpty())
        return tr("不能输入 %1：此栏不接受 %2 这些字符。")
            .arg(spaced(refused->found()), spaced(m_badstr));
    if (text().size() >= maxLength())
        return tr("此栏最多 %1 个字符，多出的部分没有输入。").arg(maxLength());
    if (dynamic_cast<const DecimalValidator*>(validator()))
        return tr("此栏只能输入金额：数字、负号、小数点，小数位数有限。");
    if (validator() && !refused)
        return tr("此栏只能输入数字。");
    return {};
}

void Edit::explainRefusal() {
    const QString why = refusalText();
    if (why.isEmpty())
        return;
    // Below the edit, where the eye already is; it goes by itself after a few seconds.
    QToolTip::showText(mapToGlobal(QPoint(0, height())), why, this, QRect(), 4000);
}

void Edit::setBadstr(const QString& characters) {
    m_badstr = characters;
    setValidator(new RefusedCharacters(characters, this));
}

} // namespace tarvo::suite
