#pragma once

#include "ColumnCollection.h"

#include <QDialog>

class QPushButton;
class QTableWidget;

namespace tarvo::suite {

/// Column set-up (栏目设置): which of a list's columns are shown, in what order, with what
/// caption, width and sort direction.
class ColumnSetupDialog : public QDialog {
    Q_OBJECT
public:
    /// Edits a copy of the layout modally; true when the user pressed OK and changed something,
    /// and columns then holds the new layout. The key field's column always stays shown: the
    /// list finds its records by it.
    static bool edit(QWidget* parent, QVector<ColumnItem>& columns,
                     const QVector<ColumnItem>& defaults, const QString& keyField);

    /// Refuses an empty caption or one with a character the layout cannot store, and stays
    /// open on that caption.
    void accept() override;

private:
    enum Column { ShownCol, CaptionCol, WidthCol, OrderCol, ColumnCount };

    ColumnSetupDialog(QWidget* parent, const QVector<ColumnItem>& columns,
                      const QVector<ColumnItem>& defaults, const QString& keyField);
    void fill(const QVector<ColumnItem>& columns);
    void writeRow(int row, const ColumnItem& column);
    ColumnItem readRow(int row) const;
    QVector<ColumnItem> layout() const;
    void move(int by);
    void updateMoveButtons();
    bool isKey(const QString& field) const;

    QVector<ColumnItem> m_defaults;
    QString m_keyField;
    QTableWidget* m_table;
    QPushButton* m_up;
    QPushButton* m_down;
};

} // namespace tarvo::suite
