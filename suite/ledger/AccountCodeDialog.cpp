#include "AccountCodeDialog.h"

#include "ResourceTable.h"
#include "SuiteContext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace tarvo::suite {

namespace {

QString text(const char* key) {
    return ResourceTable::forLanguage(sessionLanguage()).text(QString::fromLatin1(key));
}

enum Column { CodeColumn, NameColumn };
constexpr int kEndRole = Qt::UserRole;

} // namespace

AccountCodeDialog::AccountCodeDialog(const QList<LedgerAccount>& accounts, const QString& start,
                                     QWidget* parent)
    : QDialog(parent), m_find(new QLineEdit(this)), m_tree(new QTreeWidget(this)) {
    setObjectName(QStringLiteral("AccountCodeReference"));
    setWindowTitle(text("Tarvo.SUITE.kmref.title"));
    setModal(true);
    m_find->setObjectName(QStringLiteral("AccountCodeFind"));
    m_find->setPlaceholderText(text("Tarvo.SUITE.kmref.findhint"));
    m_find->setClearButtonEnabled(true);
    m_tree->setObjectName(QStringLiteral("AccountCodeTree"));
    m_tree->setHeaderLabels({text("Tarvo.SUITE.kmref.code"), text("Tarvo.SUITE.kmref.name")});
    m_tree->setUniformRowHeights(true);

    // Accounts come ordered by code, so a parent always stands before its children.
    QList<QTreeWidgetItem*> path;
    for (const LedgerAccount& a : accounts) {
        while (!path.isEmpty() &&
               (path.size() >= a.grade || !a.code.startsWith(path.last()->text(CodeColumn))))
            path.removeLast();
        auto* item =
            path.isEmpty() ? new QTreeWidgetItem(m_tree) : new QTreeWidgetItem(path.last());
        item->setText(CodeColumn, a.code);
        item->setText(NameColumn, a.name);
        item->setData(CodeColumn, kEndRole, a.end);
        if (!a.end) {
            item->setFlags(item->flags() & ~Qt::ItemIsSelectable);
            item->setForeground(CodeColumn, palette().color(QPalette::PlaceholderText));
            item->setForeground(NameColumn, palette().color(QPalette::PlaceholderText));
        }
        path << item;
    }
    m_tree->header()->setSectionResizeMode(CodeColumn, QHeaderView::ResizeToContents);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setText(text("Tarvo.SUITE.refer.ok"));
    buttons->button(QDialogButtonBox::Cancel)->setText(text("Tarvo.SUITE.refer.cancel"));
    auto* layout = new QVBoxLayout(this);
    auto* findLabel = new QLabel(text("Tarvo.SUITE.refer.find"), this);
    findLabel->setBuddy(m_find);
    layout->addWidget(findLabel);
    layout->addWidget(m_find);
    layout->addWidget(m_tree, 1);
    layout->addWidget(buttons);
    resize(520, 480);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_find, &QLineEdit::textEdited, this, &AccountCodeDialog::findAccount);
    connect(m_tree, &QTreeWidget::currentItemChanged, this, &AccountCodeDialog::updateOk);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (item->data(CodeColumn, kEndRole).toBool())
            accept();
    });
    m_find->setText(start);
    findAccount(start);
    updateOk();
    m_find->setFocus();
}

void AccountCodeDialog::findAccount(const QString& typed) {
    const QString t = typed.trimmed();
    if (t.isEmpty())
        return;
    QTreeWidgetItem* byName = nullptr;
    for (QTreeWidgetItemIterator it(m_tree); *it; ++it) {
        QTreeWidgetItem* item = *it;
        if (item->text(CodeColumn).startsWith(t) || item->text(NameColumn) == t) {
            byName = item;
            break;
        }
        if (!byName && item->text(NameColumn).contains(t, Qt::CaseInsensitive))
            byName = item;
    }
    if (!byName)
        return;
    m_tree->setCurrentItem(byName);
    m_tree->scrollToItem(byName);
}

void AccountCodeDialog::updateOk() {
    const QTreeWidgetItem* item = m_tree->currentItem();
    m_ok->setEnabled(item && item->data(CodeColumn, kEndRole).toBool());
}

LedgerAccount AccountCodeDialog::chosen() const {
    const QTreeWidgetItem* item = m_tree->currentItem();
    if (result() != Accepted || !item || !item->data(CodeColumn, kEndRole).toBool())
        return {};
    return {item->text(CodeColumn), item->text(NameColumn), 0, true};
}

} // namespace tarvo::suite
