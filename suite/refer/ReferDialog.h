#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class QSortFilterProxyModel;
class QTableView;

namespace tarvo::suite {

class ReferRowsModel;

/// The modal pick list of the reference client: the rows in a table, a filter that narrows
/// them as the user types, OK and Cancel.
class ReferDialog : public QDialog {
public:
    /// The dialog shows the model's rows; it does not own the model.
    ReferDialog(ReferRowsModel* rows, const QString& tableCaption, QWidget* parent = nullptr);

    /// Rows of the model the user chose, in the model's order; empty when none.
    QList<int> chosenRows() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ReferRowsModel* m_rows;
    QSortFilterProxyModel* m_visible;
    QLineEdit* m_filter;
    QTableView* m_table;
    QLabel* m_count;
    QPushButton* m_ok;

    void applyFilter(const QString& text);
    void selectFirstVisibleRowIfNoneSelected();
    void updateCountAndOk();
    void sizeColumns();
};

} // namespace tarvo::suite
