#pragma once

#include "ColumnStore.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <memory>
#include <stdexcept>

namespace tarvo {

/// A run-time error raised by a record set (unknown field, cursor past the end, bad filter).
/// Callers that report errors show description() to the user.
class RecordsetError : public std::runtime_error {
public:
    explicit RecordsetError(const QString& description)
        : std::runtime_error(description.toStdString()), m_description(description) {}
    const QString& description() const { return m_description; }

private:
    QString m_description;
};

struct FieldInfo {
    QString name;
    int type = 0;        ///< ado::Type code
    int definedSize = 0; ///< characters for text, bytes for the others
};

class FilterExpression;
class Recordset;
using RecordsetPtr = std::shared_ptr<Recordset>;

/// A forward-and-backward record set over rows read into memory: named fields looked up
/// without regard to case, Null values (a null QVariant), a cursor, a Filter in the record
/// set filter syntax ("cSysID='AA' and (cID='20' or cID like '2*')"), and clones that share
/// the rows but keep their own cursor and filter.
///
/// The rows are kept column-wise as the engine delivered them (ColumnStore); a value takes
/// the form its field's type asks for when it is read: Booleans, whole numbers, doubles, dates
/// (or date-times, or the text when it is no date) and texts.
class Recordset {
public:
    Recordset();
    explicit Recordset(QVector<FieldInfo> fields);
    /// Over cells read straight from a query; the store has one column per field.
    Recordset(QVector<FieldInfo> fields, ColumnStore cells);
    ~Recordset();

    /// Adds one row; its values are in field order. Used by whoever produces the record set.
    void appendRow(const QVector<QVariant>& values);

    int FieldCount() const;
    const FieldInfo& FieldAt(int index) const;
    const FieldInfo& Field(const QString& name) const;
    /// Index of the named field, or -1.
    int fieldIndex(const QString& name) const;

    /// Value of a field in the current row; throws when there is no current row.
    QVariant Value(int index) const;
    QVariant Value(const QString& name) const;

    /// Rows visible through the current filter.
    long RecordCount() const;
    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveNext();
    void MovePrevious();
    void MoveLast();
    /// 1-based position of the current row among the visible rows; 0 at BOF or EOF.
    long AbsolutePosition() const;

    QString Filter() const { return m_filter; }
    /// Sets the filter and moves to the first visible row; an empty text removes it. A text
    /// that does not parse, or names an unknown field, throws and leaves the old filter.
    void setFilter(const QString& filter);

    /// A record set over the same rows, with its own cursor (on the first row) and no filter.
    RecordsetPtr Clone() const;

    /// Index among all stored rows (whatever the filter) of the current row; -1 at BOF or EOF.
    int currentRow() const;
    /// Rows stored, whatever the filter.
    int storedRowCount() const { return m_data->cells.rowCount(); }
    /// Value of a field in a stored row, by the row's index among all stored rows.
    QVariant valueAt(int row, int field) const;
    /// The stored rows, shared with the clones: for moving a long list out of memory.
    ColumnStore& cells() { return m_data->cells; }
    const ColumnStore& cells() const { return m_data->cells; }

private:
    struct Data {
        QVector<FieldInfo> fields;
        ColumnStore cells;
    };
    std::shared_ptr<Data> m_data;
    QString m_filter;
    std::shared_ptr<const FilterExpression> m_expr;
    QVector<int> m_visible;
    long m_pos = 0; ///< index into the visible rows; -1 = BOF, size = EOF

    void rebuildVisible();
    int visibleCount() const;
    int rowAt(long pos) const;
    int requireField(const QString& name) const;
    QVector<QVariant> rowValues(int row) const;
};

} // namespace tarvo
