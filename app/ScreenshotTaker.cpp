#include "ScreenshotTaker.h"

#include "FrmMain.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <cstdio>

ScreenshotTaker::ScreenshotTaker(QString path, QString cardCommand, QObject* parent)
    : QObject(parent), m_path(std::move(path)), m_cardCommand(std::move(cardCommand)) {
    connect(&m_timer, &QTimer::timeout, this, &ScreenshotTaker::poll);
    m_timer.start(250);
}

void ScreenshotTaker::poll() {
    if (m_taking)
        return;
    QWidget* portal = nullptr;
    tarvo::FrmMain* list = nullptr;
    QWidget* card = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible())
            continue;
        if (w->objectName() == u"PortalWindow")
            portal = w;
        else if (w->objectName() == u"FrmZAM" || w->objectName() == u"PrnPreview")
            card = w;
        if (auto* l = w->findChild<tarvo::FrmMain*>(); l && w == portal)
            list = l;
        if (auto* l = qobject_cast<tarvo::FrmMain*>(w))
            list = l;
    }
    if (!m_cardCommand.isEmpty()) {
        if (card) {
            take(card);
            return;
        }
        if (list && list->isLoaded() && !m_cardOpened) {
            m_cardOpened = true;
            // The card runs modally: open it from the event loop, not from inside this poll.
            QTimer::singleShot(0, list,
                               [list, command = m_cardCommand] { list->DoCommand(command); });
        }
    } else if (list && list->isLoaded()) {
        take(portal ? portal : list);
        return;
    }
    // Nothing opened (a refused start-up shows a message): give up after about 15 s.
    if (++m_attempts > 60) {
        m_timer.stop();
        std::fprintf(stderr, "no window to take a picture of\n");
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
    }
}

void ScreenshotTaker::take(QWidget* target) {
    m_taking = true;
    // Let the first query and the layout settle before taking the picture.
    QTimer::singleShot(400, this, [this, target] {
        m_saved = target->grab().save(m_path, "PNG");
        std::fprintf(stderr, "%s %s\n", m_saved ? "screenshot saved:" : "could not save",
                     qPrintable(m_path));
        m_timer.stop();
        target->close();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
    });
}
