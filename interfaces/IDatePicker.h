#pragma once

#include "HostObject.h"

#include <QString>

class QWidget;

namespace tarvo {

/// The suite's calendar pop-up. Positions and sizes are twips within the window it is shown
/// over.
class IDatePicker : public HostObject {
public:
    virtual void setLeft(int twips) = 0;
    virtual void setTop(int twips) = 0;
    virtual int Top() const = 0;
    virtual int Height() const = 0;
    /// Sets the picker up; the cards pass "-".
    virtual void Setup(const QString& mode) = 0;
    /// Shows the calendar over the window until the user picks a date or leaves; the date as
    /// "yyyy-MM-dd", or a null text when nothing was picked.
    virtual QString Show(QWidget*& window) = 0;
};

} // namespace tarvo
