#pragma once

#include "ColumnCollection.h"
#include "HostObject.h"

#include <QString>
#include <QVariant>

namespace tarvo {

/// The suite's column-set object: the per-user layout of a list's columns.
class IColSet : public HostObject {
public:
    virtual void Init(const QString& dbName, const QString& userId) = 0;
    /// Empty while no column set has been chosen.
    virtual QString getColInfo() const = 0;
    /// Chooses the column set; False when the user has no right to it.
    virtual bool setColMode(const QString& colSetName, int mode) = 0;
    /// What setColMode will ask for the column set goes to the server ahead, with the next
    /// question the session's connection sends.
    virtual void ExpectColMode(const QString& colSetName) { (void)colSetName; }
    /// The chosen layout's columns; the list writes iColWidth back into them.
    virtual ColumnCollectionPtr GetColProperties() = 0;
    virtual int iCols() const = 0;
    virtual int GetFixedCols() const = 0;
    /// True when the column widths are locked.
    virtual bool IsLock() const = 0;
    /// The select list, in the same order as the columns.
    virtual QString GetSqlString() const = 0;
    /// Stores the widths written into the collection returned by GetColProperties.
    virtual void SaveColWidth() = 0;
    /// Shows the column set-up; True when the user changed it. May answer Null.
    virtual QVariant setCol() = 0;
};

using ColSetPtr = std::shared_ptr<IColSet>;

} // namespace tarvo
