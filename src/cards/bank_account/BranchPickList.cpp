#include "BranchPickList.h"

#include "BranchIndexLoad.h"
#include "RowStepKeys.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

#include <numeric>

namespace tarvo {

void BranchRowsModel::show(std::shared_ptr<const BranchSearchIndex> index, std::vector<int> rows) {
    beginResetModel();
    m_index = std::move(index);
    m_rows = std::move(rows);
    endResetModel();
}

BranchEntry BranchRowsModel::entry(int row) const {
    return m_index->entry(m_rows[size_t(row)]);
}

int BranchRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int BranchRowsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant BranchRowsModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const int row = m_rows[size_t(index.row())];
    switch (index.column()) {
    case Code:
        return m_index->code(row);
    case Name:
        return m_index->name(row);
    default:
        break;
    }
    const BranchEntry e = m_index->entry(row);
    switch (index.column()) {
    case Bank:
        return e.bankName;
    case City:
        return e.city;
    case Province:
        return e.province;
    default:
        return e.retiredOn.isValid() ? e.retiredOn.toString(Qt::ISODate) : QString();
    }
}

QVariant BranchRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case Code:
        return tr("联行号");
    case Name:
        return tr("行名");
    case Bank:
        return tr("所属银行");
    case City:
        return tr("城市");
    case Province:
        return tr("省份");
    default:
        return tr("撤销日期");
    }
}

BranchPickList::BranchPickList(BranchIndexLoad& load, const QString& typed, QWidget* parent)
    : QDialog(parent), m_load(load) {
    setObjectName(QStringLiteral("BranchPickList"));
    setWindowTitle(tr("联行号目录"));
    setModal(true);

    auto* findLabel = new QLabel(tr("查找(&F)："), this);
    m_search = new QLineEdit(this);
    m_search->setObjectName(QStringLiteral("EdtBranchSearch"));
    m_search->setPlaceholderText(
        tr("行号开头、行名的一部分、拼音首字母，或银行和城市，如“工商 杭州”"));
    m_search->setClearButtonEnabled(true);
    m_search->setText(typed);
    findLabel->setBuddy(m_search);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(m_search, 1);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("GrdBranches"));
    m_table->setModel(&m_rows);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Rows of one height: a search may find all two hundred thousand.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    const QFontMetrics fm = fontMetrics();
    const int widths[] = {fm.horizontalAdvance(QStringLiteral("000000000000")) + 24,
                          fm.horizontalAdvance(QString(20, QChar(0x884C))) + 16,
                          fm.horizontalAdvance(QString(8, QChar(0x884C))) + 16,
                          fm.horizontalAdvance(QString(5, QChar(0x884C))) + 16,
                          fm.horizontalAdvance(QString(5, QChar(0x884C))) + 16};
    for (int c = 0; c < int(std::size(widths)); ++c)
        m_table->setColumnWidth(c, widths[c]);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("LblBranchCount"));
    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(tr("确定"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    buttons->addButton(tr("取消"), QDialogButtonBox::RejectRole)
        ->setObjectName(QStringLiteral("CancelButton"));
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(m_count, 1);
    bottomRow->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottomRow);
    resize(std::accumulate(std::begin(widths), std::end(widths), 0) + 160, 480);

    connect(buttons, &QDialogButtonBox::accepted, this, &BranchPickList::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            accept();
    });
    connect(m_search, &QLineEdit::textChanged, this, &BranchPickList::search);
    m_search->installEventFilter(this);
    m_search->setFocus();

    connect(&m_load, &BranchIndexLoad::ended, this, &BranchPickList::indexEnded);
    m_load.start();
    if (m_load.reading()) {
        m_count->setText(tr("正在读取联行号目录…"));
        m_ok->setEnabled(false);
    } else {
        indexEnded();
    }
}

void BranchPickList::indexEnded() {
    if (!m_load.index()) {
        m_count->setText(tr("没能读取联行号目录：%1").arg(m_load.error()));
        m_ok->setEnabled(false);
        return;
    }
    search(m_search->text());
    // A code the directory does not list leaves the whole directory to search from.
    if (m_rows.rowCount() == 0)
        m_search->clear();
}

void BranchPickList::search(const QString& text) {
    const std::shared_ptr<const BranchSearchIndex> index = m_load.index();
    if (!index)
        return;
    const bool narrower = m_searchedOnce && BranchSearchIndex::narrows(text, m_searched);
    m_found = index->search(text, narrower ? &m_found : nullptr);
    m_searched = text;
    m_searchedOnce = true;
    m_rows.show(index, m_found);
    const int found = m_rows.rowCount();
    m_count->setText(found == index->size()
                         ? tr("共 %1 个网点").arg(found)
                         : tr("找到 %1 个网点，共 %2 个").arg(found).arg(index->size()));
    m_ok->setEnabled(found > 0);
    if (found > 0) {
        const QModelIndex first = m_rows.index(0, 0);
        m_table->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect |
                                                              QItemSelectionModel::Rows);
        m_table->scrollTo(first);
    }
}

bool BranchPickList::eventFilter(QObject* watched, QEvent* event) {
    return suite::stepRowsFromSearchBox(watched, event, m_search, m_table) ||
           QDialog::eventFilter(watched, event);
}

void BranchPickList::accept() {
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    if (!m_load.index() || !current.isValid())
        return;
    m_picked = m_rows.entry(current.row());
    QDialog::accept();
}

} // namespace tarvo
