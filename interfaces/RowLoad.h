#pragma once

#include "Recordset.h"

#include <QString>

#include <memory>

namespace tarvo {

/// A query's rows read on a thread and a connection of their own, so that the window that asked
/// keeps handling its events however long the list. Asked from the thread that started it;
/// nothing here blocks but letting the last reference go, which cancels a load still reading
/// and waits for its thread.
class RowLoad {
public:
    enum class State { Reading, Done, Cancelled, Failed };

    virtual ~RowLoad() = default;

    virtual State state() const = 0;
    /// Rows read so far.
    virtual int rowsRead() const = 0;
    /// The first rows of the result once they are read (null before, and for a result so short
    /// that it is done first): something to show while the rest comes.
    virtual RecordsetPtr firstRows() const = 0;
    /// Once the load has ended: every row (Done), the rows read before the cancel (Cancelled),
    /// null when it failed.
    virtual RecordsetPtr rows() const = 0;
    /// Why the load failed, in the server's or the engine's words.
    virtual QString error() const = 0;
    /// Stops reading, whether the statement runs already or not yet; the state becomes
    /// Cancelled soon after, unless the load ended first.
    virtual void cancel() = 0;
};

using RowLoadPtr = std::shared_ptr<RowLoad>;

} // namespace tarvo
