#include "LoadedListRunner.h"

#include "FrmMain.h"
#include "WindowCloser.h"

#include <QApplication>

LoadedListRunner::LoadedListRunner(std::function<void(tarvo::FrmMain&)> job, QObject* parent)
    : QObject(parent), m_job(std::move(job)) {
    connect(&m_timer, &QTimer::timeout, this, &LoadedListRunner::poll);
    m_timer.start(100);
}

void LoadedListRunner::poll() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* list = qobject_cast<tarvo::FrmMain*>(w);
        if (!list)
            list = w->findChild<tarvo::FrmMain*>();
        // The job acts on the whole list: not while rows are still read.
        if (!list || !list->isLoaded() || list->isReading())
            continue;
        m_timer.stop();
        m_ran = true;
        // The list runs modally: run the job from the event loop, not from inside this poll.
        QTimer::singleShot(0, list, [this, list] {
            m_job(*list);
            // An output goes on beside the window: it closes once the file is written.
            if (list->isPrinting())
                connect(list, &tarvo::FrmMain::outputEnded, this, [this] { new WindowCloser(this); });
            else
                new WindowCloser(this);
        });
        return;
    }
    // A refused start-up has said why on the error output by now.
    if (++m_attempts > 600) {
        m_timer.stop();
        new WindowCloser(this);
    }
}
