#pragma once

#include <QObject>
#include <QString>

/// Waits until the window a host opened has loaded, saves a picture of it and closes it.
class ScreenshotTaker : public QObject {
    Q_OBJECT
public:
    explicit ScreenshotTaker(QString path, QObject* parent = nullptr);
    bool saved() const { return m_saved; }

private:
    void poll();
    QString m_path;
    int m_attempts = 0;
    bool m_saved = false;
};
