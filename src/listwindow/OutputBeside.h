#pragma once

#include "BesideWork.h"

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace tarvo {

/// The list's printing and export, one piece at a time, beside its window: while a piece runs
/// the window repaints and its timers fire, but it takes no input except Esc, which stops the
/// piece; its status bar says how far the piece got. What follows a piece runs in the window's
/// thread once it has ended.
class OutputBeside : public QObject {
    Q_OBJECT
public:
    /// What the status bar says while a piece runs, given the steps done so far (-1: none yet).
    using Status = std::function<void(qint64 done)>;
    /// After a piece: whether it was stopped, and what it threw.
    using Then = std::function<void(bool stopped, const QString& error)>;

    explicit OutputBeside(QWidget* window);
    ~OutputBeside() override;

    /// Runs work beside the window (in the session of the thread that asks); then follows.
    void run(BesideWork::Work work, Status status, Then then);
    /// A piece runs, or the window waits for the rest of the output.
    bool busy() const { return m_busy; }
    /// The output is under way from its first piece to its end.
    void begin();
    void end();
    /// Stops the piece under way; its then() still follows.
    void stop();
    /// Stops the piece under way and waits for its thread; nothing follows.
    void stopAndWait();

Q_SIGNALS:
    /// The output has ended, however it did.
    void ended();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
    QPointer<BesideWork> m_work;
    bool m_busy = false;
};

} // namespace tarvo
