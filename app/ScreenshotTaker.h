#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

class QWidget;

/// Waits until the window a host opened has loaded, saves a picture of it and closes it. With a
/// card command ("Add" or "Modify") it opens the card window from the list first and takes the
/// picture of the card; with "Preview", of the print preview.
class ScreenshotTaker : public QObject {
    Q_OBJECT
public:
    ScreenshotTaker(QString path, QString cardCommand, QObject* parent = nullptr);
    bool saved() const { return m_saved; }

private:
    void poll();
    void take(QWidget* target);
    QString m_path;
    QString m_cardCommand;
    QTimer m_timer;
    int m_attempts = 0;
    bool m_cardOpened = false;
    bool m_saved = false;
    bool m_taking = false;
    bool m_refused = false;
};
