#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace tarvo::suite {

/// One account of the chart of accounts, as the reference shows it.
struct LedgerAccount {
    QString code;
    QString name;
    int grade = 1;
    bool end = false;
};

/// The account-code reference: the chart of accounts as a tree by grade; typing finds an
/// account by the beginning of its code or a part of its name; only end-level accounts can be
/// chosen.
class AccountCodeDialog : public QDialog {
public:
    AccountCodeDialog(const QList<LedgerAccount>& accounts, const QString& start,
                      QWidget* parent = nullptr);

    /// The chosen account; its code is empty when none was chosen.
    LedgerAccount chosen() const;

private:
    QLineEdit* m_find;
    QTreeWidget* m_tree;
    QPushButton* m_ok;

    void findAccount(const QString& text);
    void updateOk();
};

} // namespace tarvo::suite
