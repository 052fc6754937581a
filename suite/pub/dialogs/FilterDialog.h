#pragma once

#include "FilterCondition.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace tarvo::suite {

/// The list's filter (过滤): lines of field, operator, value and 并且/或者, turned into a
/// condition the list adds to its query. Every call starts empty.
class FilterDialog : public QDialog {
    Q_OBJECT
public:
    /// Shows the dialog modally; returns a condition in SQL syntax (no WHERE) over the fields,
    /// or "" when the user cancels or leaves every line empty. The first line starts on the
    /// field the user stands on in the list (when the filter offers it), ready for its value.
    static QString ask(QWidget* parent, const QString& title, const QVector<FilterField>& fields,
                       const QString& currentField = {}, QString* description = nullptr);

    /// Refuses a value that does not fit its field with a message, and stays open.
    void accept() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum Column { FieldCol, OperatorCol, ValueCol, JoinCol, ColumnCount };

    FilterDialog(QWidget* parent, const QString& title, const QVector<FilterField>& fields);
    void startOn(const QString& field);
    void addRow();
    void removeRow();
    void clearRows();
    /// Offers the operators and the value editor that fit the line's field.
    void fieldChanged(int row);
    void operatorChanged(int row);
    QWidget* valueEditor(FilterKind kind);
    QString value(int row) const;
    QVector<FilterRow> filterRows() const;
    void watch(QWidget* cell);
    /// The line and column of a cell editor (or of a widget inside one); false when none.
    bool cellOf(const QObject* object, int& row, int& col) const;
    void focusCellAfter(int row, int col);

    QVector<FilterField> m_fields;
    QTableWidget* m_table;
    QPushButton* m_ok;
    QString m_condition;
};

} // namespace tarvo::suite
