#pragma once

#include <QApplication>

/// The desktop host's application object. An error that escapes the component while it handles
/// an event is told to the user instead of ending the program; the host then ends with a
/// non-zero status.
class HostApplication : public QApplication {
public:
    HostApplication(int& argc, char** argv);
    /// Nobody sees the screen: the platform draws offscreen, or the run only takes a picture.
    /// Messages then go to the console alone.
    bool headless() const { return m_headless; }
    void setHeadless(bool headless) { m_headless = headless; }
    bool notify(QObject* receiver, QEvent* event) override;
    bool failed() const { return m_failed; }

private:
    bool m_headless = false;
    bool m_failed = false;
};

/// A text of the host in the session language.
QString hostText(const char* source);
