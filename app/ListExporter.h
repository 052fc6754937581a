#pragma once

#include <QObject>
#include <QTimer>

/// Exports the list a host opened, for scripts and scheduled jobs: once the list window has
/// loaded it runs its output command (the print control writes to the file the suite was
/// told of, without asking) and closes the window.
class ListExporter : public QObject {
    Q_OBJECT
public:
    explicit ListExporter(QObject* parent = nullptr);
    bool ran() const { return m_ran; }

private:
    void poll();
    QTimer m_timer;
    int m_attempts = 0;
    bool m_ran = false;
};
