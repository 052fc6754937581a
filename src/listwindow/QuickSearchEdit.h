#pragma once

#include <QLineEdit>

namespace tarvo {

/// The list's search box: Esc empties it (and only when there is something to empty, so the
/// key still reaches the window otherwise); Down and Enter hand the keyboard to the list.
class QuickSearchEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit QuickSearchEdit(QWidget* parent = nullptr);

Q_SIGNALS:
    void focused();
    void leaveToList();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
};

} // namespace tarvo
