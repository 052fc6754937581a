#pragma once

#include "IBranchDirectory.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <memory>
#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace tarvo {

class BranchIndexLoad;
class BranchSearchIndex;

/// The branches a search found, as rows of the pick list: only the rows shown are turned into
/// texts, however many were found.
class BranchRowsModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Code, Name, Bank, City, Province, Retired, kColumns };

    void show(std::shared_ptr<const BranchSearchIndex> index, std::vector<int> rows);
    /// The branch of a row shown.
    BranchEntry entry(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::shared_ptr<const BranchSearchIndex> m_index;
    std::vector<int> m_rows;
};

/// The pick list of the interbank code field (F2): the directory searched as the clerk types,
/// by code, name, pinyin initials, or bank and city together. It waits for the session's index
/// while it is read.
class BranchPickList : public QDialog {
    Q_OBJECT
public:
    BranchPickList(BranchIndexLoad& load, const QString& typed, QWidget* parent = nullptr);

    /// The branch picked; none after Cancel.
    std::optional<BranchEntry> picked() const { return m_picked; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void accept() override;

private:
    BranchIndexLoad& m_load;
    BranchRowsModel m_rows;
    QLineEdit* m_search;
    QTableView* m_table;
    QLabel* m_count;
    QPushButton* m_ok;
    std::optional<BranchEntry> m_picked;
    /// The last search and the rows it found, for a search that narrows it.
    QString m_searched;
    std::vector<int> m_found;
    bool m_searchedOnce = false;

    void indexEnded();
    void search(const QString& text);
};

} // namespace tarvo
