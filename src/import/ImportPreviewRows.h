#pragma once

#include <QString>
#include <QStringList>

namespace tarvo {

/// What the import preview shows of a file on its way in: its rows with their cells and, once
/// checked, each row's verdict and why. Each import answers for its own rows; the preview asks
/// only for the rows it paints.
class ImportPreviewRows {
public:
    /// What storing would do with a row; the preview colours rows by it.
    enum Kind { Added, Modified, Unchanged, Refused, Retired };

    virtual ~ImportPreviewRows() = default;

    /// The captions of the columns the cells stand in.
    virtual QStringList headers() const = 0;
    virtual int size() const = 0;
    /// The row's number in the file; 0 for a row that stands for something the file left out.
    virtual int line(int row) const = 0;
    virtual QString cell(int row, int column) const = 0;
    /// The row has a verdict; before the check none has, or only those the file's reading
    /// refused.
    virtual bool checked(int row) const = 0;
    virtual Kind kind(int row) const = 0;
    virtual QString verdictText(int row) const = 0;
    virtual QString reasonText(int row) const = 0;
    /// The caption of the column of row numbers.
    virtual QString lineCaption() const = 0;
};

} // namespace tarvo
