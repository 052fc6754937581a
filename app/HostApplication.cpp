#include "HostApplication.h"

#include <QMessageBox>

#include <cstdio>
#include <exception>

QString hostText(const char* source) {
    return QCoreApplication::translate("Host", source);
}

HostApplication::HostApplication(int& argc, char** argv)
    : QApplication(argc, argv), m_headless(platformName() == u"offscreen") {}

bool HostApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        m_failed = true;
        const QString text = QString::fromUtf8(e.what());
        std::fprintf(stderr, "%s\n", qPrintable(text));
        if (!m_headless)
            QMessageBox::critical(nullptr, applicationDisplayName(), text);
        return false;
    }
}
