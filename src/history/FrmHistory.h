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
class BesideWork;
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
    Q_PROPERTY(bool reading READ reading)
public:
    /// Grid columns after the row numbers.
    enum Column { When = 1, Who, Session, What, Key, Field, Before, After, ColumnCount };

    /// A null key shows the whole archive.
    FrmHistory(ComVarPtr var, QVariant key);
    ~FrmHistory() override;

    /// Shows the window modally over owner and reads the history beside it through the suite's
    /// history service, saying meanwhile that it reads; returns when the window has closed.
    /// When the history cannot be read, the window says why and closes.
    void showModal(QWidget* owner);
    /// The history is being read: the window shows no rows yet and holds its commands back.
    bool reading() const;
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
    BesideWork* m_read = nullptr;

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
    void ReadBeside();
    void ReadEnded(const QString& error);
    void FillFilterChoices();
    void ApplyFilter();
    void PrintAll(const QString& key);
    QString printStyleName() const;
};

} // namespace tarvo
