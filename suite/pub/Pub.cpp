#include "Pub.h"

#include "DecimalText.h"

#include "DecimalValidator.h"
#include "Edit.h"
#include "FunctionLock.h"

#include "ResourceTable.h"
#include "SessionFont.h"
#include "SuiteContext.h"

#include <QApplication>
#include <QDomElement>
#include <QIcon>
#include <QLineEdit>
#include <QLocale>
#include <QMessageBox>
#include <QRegularExpressionValidator>

#include <cstdio>

namespace tarvo::suite {

namespace {

// Button and icon codes of the classic message box, and the answers it gives.
enum {
    OkOnly = 0,
    OkCancel = 1,
    AbortRetryIgnore = 2,
    YesNoCancel = 3,
    YesNo = 4,
    RetryCancel = 5
};
enum { Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum { AnsOk = 1, AnsCancel = 2, AnsAbort = 3, AnsRetry = 4, AnsIgnore = 5, AnsYes = 6, AnsNo = 7 };

QMessageBox::StandardButtons buttonsFor(int code) {
    switch (code & 7) {
    case OkCancel:
        return QMessageBox::Ok | QMessageBox::Cancel;
    case AbortRetryIgnore:
        return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case RetryCancel:
        return QMessageBox::Retry | QMessageBox::Cancel;
    default:
        return QMessageBox::Ok;
    }
}

QMessageBox::Icon iconFor(int code) {
    switch (code & 0x70) {
    case Critical:
        return QMessageBox::Critical;
    case Question:
        return QMessageBox::Question;
    case Exclamation:
        return QMessageBox::Warning;
    case Information:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int answerFor(int button) {
    switch (button) {
    case QMessageBox::Cancel:
        return AnsCancel;
    case QMessageBox::Abort:
        return AnsAbort;
    case QMessageBox::Retry:
        return AnsRetry;
    case QMessageBox::Ignore:
        return AnsIgnore;
    case QMessageBox::Yes:
        return AnsYes;
    case QMessageBox::No:
        return AnsNo;
    default:
        return AnsOk;
    }
}

} // namespace

Pub::Pub() {
    showQtTextsInSessionLanguage();
}

Pub::~Pub() = default;

QString Pub::GetResString(const QString& key) {
    return ResourceTable::forLanguage(sessionLanguage()).text(key);
}

QString Pub::GetResFormatString(const QString& key, const ResParamList& values) {
    return ResourceTable::forLanguage(sessionLanguage()).format(key, values);
}

int Pub::MsgBox(QString& prompt, int buttons, const QString& title) {
    if (isUnattended()) {
        std::fprintf(stderr, "%s\n", qPrintable(prompt));
        // The cautious answer: a question nobody can see declines.
        return (buttons & 7) == YesNo || (buttons & 7) == YesNoCancel ? AnsNo : AnsOk;
    }
    QMessageBox box(iconFor(buttons), title, prompt, buttonsFor(buttons),
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("PubMsgBox"));
    return answerFor(box.exec());
}

QString Pub::M_LocaleId() const {
    return sessionLanguage();
}

void Pub::UtoLCase(QString& text) {
    text = text.toLower();
}

QVariant Pub::GetRes(int resourceNumber) {
    // 101: the picture of a reference button, a magnifier.
    if (resourceNumber == 101)
        return QIcon::fromTheme(QStringLiteral("edit-find"),
                                QIcon(QStringLiteral(":/suite/icons/reference.svg")));
    return {};
}

QString Pub::FontName() const {
    return sessionFontFamilies().first();
}

double Pub::FontSize() const {
    return 9.0;
}

int Pub::FontCharSet() const {
    return 134;
} // the simplified Chinese character set

quint32 Pub::MustInputColor() const {
    return 0x0033CC;
}

void Pub::SetIntLen(QWidget* edit, int maxLength) {
    auto* line = qobject_cast<QLineEdit*>(edit);
    if (!line)
        return;
    line->setMaxLength(maxLength);
    line->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("\\d{0,%1}").arg(maxLength)), line));
}

void Pub::SetDblLen(QWidget* edit, const QVariant&, int decimals) {
    auto* line = qobject_cast<QLineEdit*>(edit);
    if (!line)
        return;
    auto* amount = new DecimalValidator(decimals, line);
    // The amount's validator takes the place of the edit's, not of what the edit refuses.
    if (auto* edit = qobject_cast<Edit*>(line))
        amount->setRefused(edit->badstr());
    line->setValidator(amount);
}

QVariant Pub::GetEleVal(const QDomElement& style, const QString& element) {
    const QDomElement e = style.firstChildElement(element);
    return e.isNull() ? QVariant() : QVariant(e.text());
}

QString Pub::FormatNum(const QVariant& value, int decimals) {
    if (value.isNull() || value.toString().trimmed().isEmpty())
        return {};
    // Exact digits: an amount of numeric(19,4) has more than a double holds.
    const auto number = DecimalText::fromVariant(value);
    return number ? number->formatted(decimals) : value.toString();
}

bool Pub::isHooked(const QWidget* window) const {
    for (const auto& w : m_hooked)
        if (w == window)
            return true;
    return false;
}

} // namespace tarvo::suite
