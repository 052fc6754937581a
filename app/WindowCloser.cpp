#include "WindowCloser.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace {
/// Ticks a window that refused to close is left before it is asked again.
constexpr int kTicksBeforeAskingAgain = 40;
} // namespace

WindowCloser::WindowCloser(QObject* parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &WindowCloser::tick);
    m_timer.start(50);
}

void WindowCloser::closeLater(QWidget* w) {
    m_closing = w;
    m_waited = 0;
    QTimer::singleShot(0, w, [w] { w->close(); });
}

void WindowCloser::tick() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        return;
    }
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        // Leaving a card the lookup marked as changed: leave it without saving.
        if (QAbstractButton* yes = box->button(QMessageBox::Yes))
            yes->click();
        else
            box->close();
        return;
    }
    if (m_closing && m_closing->isVisible() && ++m_waited < kTicksBeforeAskingAgain)
        return;
    if (QWidget* modal = QApplication::activeModalWidget()) {
        closeLater(modal);
        return;
    }
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            closeLater(w);
            return;
        }
    }
}
