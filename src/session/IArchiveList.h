#pragma once

#include <QString>

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
    /// Reads the rows again; sCon is an extra condition (SQL, no "where"), or "" for none.
    virtual void DataRefresh(const QString& sCon) = 0;
    virtual void setSavedKey(const QString& key) = 0;
};

} // namespace tarvo
