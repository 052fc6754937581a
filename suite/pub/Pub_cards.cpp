// Card services of the public-services object: control positions and captions, input checks,
// which keys change a record, the match condition of a lookup edit, and leaving a card.
#include "ClsCommon.h"
#include "Edit.h"
#include "Pub.h"
#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>

namespace tarvo::suite {

namespace {

// Windows virtual-key codes and shift states, as the key hook reports them.
enum : int {
    VkBack = 8,
    VkSpace = 32,
    VkPrior = 33,
    VkNext = 34,
    VkEnd = 35,
    VkHome = 36,
    VkUp = 38,
    VkDown = 40,
    VkInsert = 45,
    VkDelete = 46,
    VkV = 86,
    VkX = 88,
};
enum : int { ShiftMask = 1, CtrlMask = 2, AltMask = 4 };

constexpr double kTwipsPerInch = 1440.0;

/// A key that types a character: space, digits, letters, the numeric pad and punctuation.
bool typesCharacter(int key, int shift) {
    if (shift & (CtrlMask | AltMask))
        return false;
    return key == VkSpace || (key >= 48 && key <= 57) || (key >= 65 && key <= 90) ||
           (key >= 96 && key <= 111) || (key >= 186 && key <= 192) || (key >= 219 && key <= 222);
}

bool changesText(int key, int shift) {
    if (typesCharacter(key, shift) || key == VkBack || key == VkDelete)
        return true;
    const bool ctrlOnly = (shift & (CtrlMask | AltMask)) == CtrlMask;
    if (ctrlOnly && (key == VkV || key == VkX))
        return true;
    // Shift+Insert pastes as Ctrl+V does.
    return key == VkInsert && (shift & (ShiftMask | CtrlMask | AltMask)) == ShiftMask;
}

bool changesChoice(int key, int shift) {
    if (typesCharacter(key, shift))
        return true;
    if (shift & AltMask) // Alt+Down only opens the list
        return false;
    switch (key) {
    case VkUp:
    case VkDown:
    case VkPrior:
    case VkNext:
    case VkHome:
    case VkEnd:
        return true;
    default:
        return false;
    }
}

/// The table a card's key names: "AA_Bank" is the table aa_bank itself, "Bank_NB" the table
/// bank with a suffix that tells its cards apart. Empty when no table fits.
QString tableOfKey(const DataDictionary& dict, const QString& key) {
    QString table = key.trimmed().toLower();
    while (!table.isEmpty() && !dict.hasTable(table)) {
        const qsizetype cut = table.lastIndexOf(u'_');
        table = cut > 0 ? table.left(cut) : QString();
    }
    return table;
}

QString escapedForLike(QString text) {
    text.replace(u'\\', QStringLiteral("\\\\"));
    text.replace(u'%', QStringLiteral("\\%"));
    text.replace(u'_', QStringLiteral("\\_"));
    text.replace(u'\'', QStringLiteral("''"));
    return text;
}

} // namespace

void Pub::SetConPosition(const ControlList& controls) {
    for (QWidget* control : controls) {
        if (!control)
            continue;
        const QVariant twips = control->property("tarvo.twips");
        if (!twips.isValid())
            continue;
        const QRect r = twips.toRect();
        const double dpiX = control->logicalDpiX();
        const double dpiY = control->logicalDpiY();
        const auto px = [](int t, double dpi) { return qRound(t * dpi / kTwipsPerInch); };
        control->setGeometry(px(r.x(), dpiX), px(r.y(), dpiY), px(r.width(), dpiX),
                             px(r.height(), dpiY));
    }
}

void Pub::UCtrlLayout(const ControlList& controls, const QString&) {
    // No layout of its own is kept for a card: its controls go where the card designed them.
    SetConPosition(controls);
}

void Pub::SetLabelCaption(ClsCommonPtr& db, const ControlList& controls, const QString& tableKey) {
    const auto* srv = dynamic_cast<ClsCommon*>(db.get());
    if (!srv || !srv->database())
        return;
    const DataDictionary& dict = srv->database()->dictionary();
    const QString table = tableOfKey(dict, tableKey);
    if (table.isEmpty())
        return;
    const QString language = sessionLanguage();
    for (QWidget* control : controls) {
        auto* label = qobject_cast<QLabel*>(control);
        if (!label || !label->objectName().startsWith(u"lbl", Qt::CaseInsensitive))
            continue;
        if (const DictField* f = dict.find(table, label->objectName().mid(3)))
            label->setText(f->caption(language));
    }
}

void Pub::CheckValid(QWidget* activeControl) {
    auto* edit = qobject_cast<QLineEdit*>(activeControl);
    if (!edit || !edit->validator() || edit->hasAcceptableInput())
        return;
    QString text = edit->text();
    edit->validator()->fixup(text);
    edit->setText(text);
}

bool Pub::ConKeyDown(QWidget* activeControl, int& keyCode, int& shift) {
    if (!activeControl || !activeControl->isEnabled())
        return false;
    // The suite's own edit reports every change as it happens, however the text arrives (an
    // input method, a paste, a drop); judging its keys would count refused input as a change.
    if (qobject_cast<Edit*>(activeControl))
        return false;
    if (auto* edit = qobject_cast<QLineEdit*>(activeControl))
        return !edit->isReadOnly() && changesText(keyCode, shift);
    if (qobject_cast<QCheckBox*>(activeControl) || qobject_cast<QRadioButton*>(activeControl))
        return keyCode == VkSpace && !(shift & (CtrlMask | AltMask));
    if (auto* combo = qobject_cast<QComboBox*>(activeControl))
        return changesChoice(keyCode, shift) ||
               (combo->isEditable() && changesText(keyCode, shift));
    return false;
}

bool Pub::FrmKeyDown(QWidget* window, int& keyCode, int& shift) {
    if (!window)
        return false;
    QWidget* focus = QApplication::focusWidget();
    if (!focus || !(focus == window || window->isAncestorOf(focus)))
        focus = window->focusWidget();
    return ConKeyDown(focus, keyCode, shift);
}

void Pub::CreateMatchStr(QWidget* edit, const QString& matchColumns, QString& result, QString&) {
    const auto* line = qobject_cast<QLineEdit*>(edit);
    const QString text = line ? line->text().trimmed() : QString();
    QStringList terms;
    if (!text.isEmpty()) {
        const QString pattern = escapedForLike(text);
        for (const QString& column : matchColumns.split(u',', Qt::SkipEmptyParts)) {
            if (!column.trimmed().isEmpty())
                terms << column.trimmed() + QStringLiteral(" like '%") + pattern +
                             QStringLiteral("%' ESCAPE '\\'");
        }
    }
    // The caller appends this after " and ": it stays one parenthesised condition.
    result = terms.isEmpty() ? QStringLiteral("(1=1)")
                             : u'(' + terms.join(QStringLiteral(" or ")) + u')';
}

bool Pub::isSaveRs(QWidget* cardWindow, bool* cancel, int*) {
    const auto* save =
        cardWindow ? cardWindow->findChild<QAction*>(QStringLiteral("SaveRs")) : nullptr;
    if (!save || !save->isEnabled())
        return true;
    const ResourceTable& texts = ResourceTable::forLanguage(sessionLanguage());
    QMessageBox box(QMessageBox::Question,
                    texts.text(QStringLiteral("Tarvo.SUITE.card.unsavedtitle")),
                    texts.text(QStringLiteral("Tarvo.SUITE.card.unsaved")),
                    QMessageBox::Yes | QMessageBox::No, cardWindow);
    box.setObjectName(QStringLiteral("PubMsgBox"));
    // Enter alone must not throw away the user's work.
    box.setDefaultButton(QMessageBox::No);
    if (box.exec() == QMessageBox::Yes)
        return true;
    if (cancel)
        *cancel = true;
    return false;
}

} // namespace tarvo::suite
