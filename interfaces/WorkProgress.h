#pragma once

#include <QtGlobal>

#include <functional>

namespace tarvo {

/// What long work in the data layer or a file reader is handed by whoever waits for it: where
/// to say how far it got, and how to learn that it should stop. The work never turns an event
/// loop itself; the window that wants to stay alive runs it on a thread beside it.
struct WorkProgress {
    /// Told the steps done so far (rows read, records checked); may be empty. Called on the
    /// working thread, often: keep it cheap (store a count; let a timer of the window show it).
    std::function<void(qint64 done)> progressed;
    /// Asked between steps; true ends the work at once, keeping nothing it would have stored.
    /// Once true, it stays true.
    std::function<bool()> stopAsked;

    /// Reports the steps done; false when the work should end here.
    bool goOn(qint64 done) const {
        if (progressed)
            progressed(done);
        return !(stopAsked && stopAsked());
    }
};

} // namespace tarvo
