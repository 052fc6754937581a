#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace tarvo::suite {

/// The suite's check box: Value 0 or 1. Setting the value, by the user or the program, raises
/// Click, as the cards expect of a check box.
class CheckBox : public QCheckBox {
    Q_OBJECT
public:
    explicit CheckBox(QWidget* parent = nullptr, const QString& name = {});
    int Value() const { return isChecked() ? 1 : 0; }
    void setValue(int value);

Q_SIGNALS:
    void Click();
};

/// One of a group of option buttons.
class OptionButton : public QRadioButton {
    Q_OBJECT
public:
    explicit OptionButton(QWidget* parent = nullptr, const QString& name = {});
    bool Value() const { return isChecked(); }
    void setValue(bool on) { setChecked(on); }
};

/// The suite's drop-down list: ListIndex -1 when nothing is chosen.
class ComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit ComboBox(QWidget* parent = nullptr, const QString& name = {});
    int ListIndex() const { return currentIndex(); }
    void setListIndex(int index) { setCurrentIndex(index); }
};

/// A titled frame around a group of fields.
class Frame : public QGroupBox {
    Q_OBJECT
public:
    explicit Frame(QWidget* parent = nullptr, const QString& name = {},
                   const QString& caption = {});
};

/// A field's caption. Tag "1" marks the caption of a must-input field.
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(QWidget* parent = nullptr, const QString& name = {}, const QString& caption = {},
                   const QString& tag = {});
    QString Tag() const { return m_tag; }

private:
    QString m_tag;
};

} // namespace tarvo::suite
