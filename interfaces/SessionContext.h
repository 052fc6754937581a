#pragma once

#include <QString>

#include <utility>

namespace tarvo {

/// The session a piece of work runs in, as the suite's objects read it on the thread they run
/// on: the texts' language, the operator that saves and prints are recorded under, and whether
/// anyone watches the screen. Every thread has one of its own; a thread started for work beside
/// the window gets the session of the thread that started the work (see carryingSession) and
/// never the defaults of a fresh thread, which would speak Chinese for whoever runs the program.
struct SessionContext {
    /// Empty until somebody logs in.
    QString user;
    /// "zh-CN" or "en-US".
    QString language = QStringLiteral("zh-CN");
    /// Nobody watches the screen (a script's export or import).
    bool unattended = false;
    /// Where an unattended export goes; empty: the clerk is asked.
    QString exportPath;

    /// The calling thread's session.
    static SessionContext& current();
};

/// Puts a session on the calling thread for as long as it lives; the thread's own comes back
/// after, so that a thread that runs one piece of work after another never keeps the last one's.
class SessionScope {
public:
    explicit SessionScope(SessionContext session);
    ~SessionScope();
    SessionScope(const SessionScope&) = delete;
    SessionScope& operator=(const SessionScope&) = delete;

private:
    SessionContext m_before;
};

/// Work to hand to another thread, taking the calling thread's session along: called there, it
/// runs in that session and leaves the thread's own as it was.
template <typename Work> auto carryingSession(Work work) {
    return [session = SessionContext::current(), work = std::move(work)]() mutable {
        const SessionScope scope(session);
        return work();
    };
}

} // namespace tarvo
