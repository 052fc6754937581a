#include "BesideWork.h"

#include "SessionContext.h"

#include <QCoreApplication>

#include <exception>

namespace tarvo {

namespace {
/// How often progress is told: the window shows it, and no faster than a clerk reads.
constexpr int kProgressInterval = 50; // ms
} // namespace

BesideWork::BesideWork(Work work, QObject* parent) : QObject(parent) {
    m_progress.setInterval(kProgressInterval);
    connect(&m_progress, &QTimer::timeout, this, [this] {
        const qint64 done = m_done;
        if (done != m_shown)
            Q_EMIT progressed(m_shown = done);
    });
    m_progress.start();
    m_thread = std::thread(carryingSession([this, work = std::move(work)] {
        const WorkProgress progress{[this](qint64 done) { m_done = done; },
                                    [this] { return bool(m_stopAsked); }};
        QString error;
        try {
            work(progress);
        } catch (const std::exception& e) {
            error = QString::fromLocal8Bit(e.what());
        } catch (...) {
            error = QStringLiteral("?");
        }
        // Dropped unheard when the object is gone (or going) by then.
        QMetaObject::invokeMethod(this, [this, error] { finish(error); }, Qt::QueuedConnection);
    }));
}

BesideWork::~BesideWork() {
    stopAndWait();
}

void BesideWork::stop() {
    m_stopAsked = true;
}

void BesideWork::stopAndWait() {
    m_stopAsked = true;
    m_progress.stop();
    if (m_thread.joinable())
        m_thread.join();
    // What the thread posted on its way out is never delivered.
    QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
}

void BesideWork::finish(const QString& error) {
    if (!m_thread.joinable())
        return;
    m_thread.join();
    m_progress.stop();
    Q_EMIT ended(m_stopAsked, error);
}

} // namespace tarvo
