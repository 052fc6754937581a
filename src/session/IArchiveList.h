#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace tarvo {
namespace suite {
class Grid;
} // namespace suite

/// The list window as the windows it opens see it: the card walks the rows of its grid, has it
/// read them again, and tells it the key of each record it saved, so that the list can stand
/// on it afterwards. The session holds the list shown last through this.
class IArchiveList {
public:
    virtual ~IArchiveList() = default;
    /// The window itself: owner of the windows opened from it, source of their help context.
    virtual QWidget* listWidget() = 0;
    virtual suite::Grid* grid() const = 0;
    /// Starts reading the rows again; sCon is an extra condition (SQL, no "where"), or "" for
    /// none. The rows come in while the windows go on handling their events.
    virtual void DataRefresh(const QString& sCon) = 0;
    /// Rows are being read, or are to be read again right after.
    virtual bool isReading() const = 0;
    /// Does work now, or once the rows being read are in the grid, however the reading ends.
    virtual void whenRead(std::function<void()> work) = 0;
    virtual void setSavedKey(const QString& key) = 0;
};

} // namespace tarvo
