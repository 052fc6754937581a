#include "CardWidgets.h"

namespace tarvo::suite {

CheckBox::CheckBox(QWidget* parent, const QString& name) : QCheckBox(parent) {
    setObjectName(name);
    connect(this, &QCheckBox::clicked, this, &CheckBox::Click);
}

void CheckBox::setValue(int value) {
    const bool on = value != 0;
    if (on == isChecked())
        return;
    setChecked(on);
    Q_EMIT Click();
}

OptionButton::OptionButton(QWidget* parent, const QString& name) : QRadioButton(parent) {
    setObjectName(name);
}

ComboBox::ComboBox(QWidget* parent, const QString& name) : QComboBox(parent) {
    setObjectName(name);
}

Frame::Frame(QWidget* parent, const QString& name, const QString& caption)
    : QGroupBox(caption, parent) {
    setObjectName(name);
}

Label::Label(QWidget* parent, const QString& name, const QString& caption, const QString& tag)
    : QLabel(caption, parent), m_tag(tag) {
    setObjectName(name);
}

} // namespace tarvo::suite
