#include "ScreenshotTaker.h"

#include <QApplication>
#include <QPixmap>
#include <QTimer>
#include <QWidget>

#include <cstdio>

ScreenshotTaker::ScreenshotTaker(QString path, QObject* parent)
    : QObject(parent), m_path(std::move(path)) {
    QTimer::singleShot(300, this, &ScreenshotTaker::poll);
}

void ScreenshotTaker::poll() {
    QWidget* target = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        if (w->objectName() == u"PortalWindow")
            target = w;
        else if (!target && w->objectName() == u"FrmMain")
            target = w;
    }
    if (!target) {
        // Nothing opened (a refused start-up shows a message): give up after about 10 s.
        if (++m_attempts < 40)
            QTimer::singleShot(250, this, &ScreenshotTaker::poll);
        return;
    }
    // Let the first query and the layout settle before taking the picture.
    QTimer::singleShot(400, this, [this, target] {
        m_saved = target->grab().save(m_path, "PNG");
        std::fprintf(stderr, "%s %s\n", m_saved ? "screenshot saved:" : "could not save",
                     qPrintable(m_path));
        target->close();
    });
}
