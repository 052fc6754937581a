#pragma once

#include "FilterCondition.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace tarvo::suite {

/// The list's filter (过滤): lines of field, operator, value and 并且/或者, turned into a
/// condition the list adds to its query. It opens with the lines of the filter in force, if
/// any, and can clear that filter.
class FilterDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows the dialog modally; returns a condition in SQL syntax (no WHERE) over the fields,
    /// or "" when the user cancels, leaves every line empty or clears the filter. Without lines
    /// in force the first line starts on the field the user stands on in the list (when the
    /// filter offers it), ready for its value. lines, when given, holds the lines of the
    /// filter in force (empty: none), which the dialog opens with; it gets the lines that count
    /// of a condition returned, none when the user cleared the filter, and stays as it was
    /// when he cancelled.
    static QString ask(QWidget* parent, const QString& title, const QVector<FilterField>& fields,
                       const QString& currentField = {}, QString* description = nullptr,
                       QVector<FilterRow>* lines = nullptr);

    /// Refuses a value that does not fit its field with a message, and stays open.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Column { FieldCol, OperatorCol, ValueCol, JoinCol, ColumnCount };

    FilterDialog(QWidget* parent, const QString& title, const QVector<FilterField>& fields);
    void startOn(const QString& field);
    /// Fills the dialog with the lines of the filter in force; false when none of them is
    /// about a field the dialog offers.
    bool startWith(const QVector<FilterRow>& lines);
    void setLine(int row, const FilterRow& line);
    void addRow();
    void removeRow();
    void clearRows();
    /// Offers the operators and the value editor that fit the line's field.
    void fieldChanged(int row);
    void operatorChanged(int row);
    QWidget* valueEditor(FilterKind kind);
    QString value(int row) const;
    QVector<FilterRow> filterRows() const;
    /// The lines that say something (a value, or an operator that needs none).
    QVector<FilterRow> countedRows() const;
    void watch(QWidget* cell);
    /// The line and column of a cell editor (or of a widget inside one); false when none.
    bool cellOf(const QObject* object, int& row, int& col) const;
    void focusCellAfter(int row, int col);

    QVector<FilterField> m_fields;
    QTableWidget* m_table;
    QPushButton* m_ok;
    QPushButton* m_clearFilter;
    QString m_condition;
};

} // namespace tarvo::suite
