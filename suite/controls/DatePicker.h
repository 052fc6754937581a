#pragma once

#include "IDatePicker.h"

#include <QDate>

namespace tarvo::suite {

/// The calendar pop-up: a month calendar shown at a place within a window; a click or Enter on
/// a day picks it, Esc or a click elsewhere leaves without a choice.
class DatePicker : public IDatePicker {
public:
    /// The ProgID-like class identity under which the suite registers the picker.
    static QString classId() { return QStringLiteral("{0E7BC185-D60F-11D1-A073-000021893167}"); }

    void setLeft(int twips) override { m_left = twips; }
    void setTop(int twips) override { m_top = twips; }
    int Top() const override { return m_top; }
    int Height() const override;
    /// Every date can be picked here, whatever the mode.
    void Setup(const QString&) override {}
    QString Show(QWidget*& window) override;

    /// The date a shown picker starts on (today when unset).
    void setStartDate(const QDate& date);

private:
    int m_left = 0;
    int m_top = 0;
    QDate m_start;
};

} // namespace tarvo::suite
