#include "ListExporter.h"

#include "FrmMain.h"

#include <QApplication>

ListExporter::ListExporter(QObject* parent) : QObject(parent) {
    connect(&m_timer, &QTimer::timeout, this, &ListExporter::poll);
    m_timer.start(100);
}

void ListExporter::poll() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* list = qobject_cast<tarvo::FrmMain*>(w);
        if (!list)
            list = w->findChild<tarvo::FrmMain*>();
        if (!list || !list->isLoaded())
            continue;
        m_timer.stop();
        m_ran = true;
        // The list runs modally: export from the event loop, not from inside this poll.
        QTimer::singleShot(0, list, [list] {
            list->DoCommand(QStringLiteral("SaveFile"));
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top->isVisible())
                    top->close();
        });
        return;
    }
    // A refused start-up has said why on the error output by now.
    if (++m_attempts > 600) {
        m_timer.stop();
        for (QWidget* w : QApplication::topLevelWidgets())
            w->close();
    }
}
