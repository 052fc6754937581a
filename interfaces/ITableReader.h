#pragma once

#include "HostObject.h"
#include "WorkProgress.h"

#include <QString>
#include <QStringList>
#include <QVector>

namespace tarvo {

/// The suite's reader of table files (".csv", ".xlsx"), for imports.
class ITableReader : public HostObject {
public:
    /// The cells of the file's first sheet as texts, row by row, the first row as the file
    /// holds it (the captions, in a file the list exported). False, with the reason in errText,
    /// when the file cannot be read as a table. progress hears how far the read got; when it
    /// asks to stop, the result is False with rows and errText empty.
    virtual bool Read(const QString& path, QVector<QStringList>& rows, QString& errText,
                      const WorkProgress& progress = {}) = 0;
};

using TableReaderPtr = std::shared_ptr<ITableReader>;

} // namespace tarvo
