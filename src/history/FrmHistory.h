#pragma once

#include "ComVar.h"
#include "IListWindow.h"
#include "IPrintControl.h"

#include <QVariant>
#include <QWidget>

#include <memory>

class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QToolBar;

namespace tarvo {
namespace suite {
class Grid;
}
class HistoryRows;

/// The history of an archive's records, read only: when, who, what, which field, the value
/// before and after. Opened for one record from the card or for the whole archive from the
/// list; narrowed by field, operator, kind of change, dates and text; printed and exported
/// like the list.
class FrmHistory : public QWidget, public IListWindow {
    Q_OBJECT
public:
    /// Grid columns after the row numbers.
    enum Column { When = 1, Who, Session, What, Key, Field, Before, After, ColumnCount };

    /// A null key shows the whole archive.
    FrmHistory(ComVarPtr var, QVariant key);
    ~FrmHistory() override;

    /// Reads the history through the suite's history service; false, having said why, when
    /// it cannot be read.
    bool load();
    /// Shows the window modally over owner; returns when it has closed.
    void showModal(QWidget* owner);
    /// Print, Preview, SaveFile or Exit.
    void DoCommand(const QString& key);

    suite::Grid* grid() const { return Grid; }
    /// Rows read, before the filter.
    int rowCount() const;

    QVector<ListField> listFields() const override;
    QString archiveName() const override;
    QString currentField() const override { return {}; }
    void showFilter(const QString&) override {}

Q_SIGNALS:
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    ComVarPtr m_ComVar;
    QVariant m_key;
    std::shared_ptr<HistoryRows> m_rows;

    QToolBar* Tlb;
    QComboBox* cboField;
    QComboBox* cboUser;
    QComboBox* cboAction;
    QDateEdit* dtFrom;
    QDateEdit* dtTo;
    QLineEdit* txtFind;
    suite::Grid* Grid;
    QLabel* Stb;
    PrintControlPtr Prn;

    void BuildToolbar();
    QWidget* BuildFilterRow();
    void SetUpGrid();
    void FillFilterChoices();
    void ApplyFilter();
    void PrintAll(const QString& key);
    QString printStyleName() const;
};

} // namespace tarvo
