#include "ReferDialog.h"

#include "ReferRowsModel.h"
#include "ResourceTable.h"
#include "RowStepKeys.h"
#include "SuiteContext.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

namespace tarvo::suite {

namespace {

const ResourceTable& texts() {
    return ResourceTable::forLanguage(sessionLanguage());
}

QString text(const char* key) {
    return texts().text(QString::fromLatin1(key));
}

// Enough rows to judge a column's width by, without measuring thousands of regions.
constexpr int kRowsMeasured = 200;
constexpr int kMinColumnWidth = 60;
constexpr int kMaxColumnWidth = 320;

} // namespace

ReferDialog::ReferDialog(ReferRowsModel* rows, const QString& tableCaption, QWidget* parent)
    : QDialog(parent), m_rows(rows) {
    setObjectName(QStringLiteral("ReferDialog"));
    setWindowTitle(texts().format(QStringLiteral("Tarvo.SUITE.refer.title"), {tableCaption}));
    setModal(true);

    auto* findLabel = new QLabel(text("Tarvo.SUITE.refer.find"), this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("ReferFilter"));
    m_filter->setPlaceholderText(text("Tarvo.SUITE.refer.findhint"));
    m_filter->setClearButtonEnabled(true);
    findLabel->setBuddy(m_filter);
    auto* findRow = new QHBoxLayout;
    findRow->addWidget(findLabel);
    findRow->addWidget(m_filter, 1);

    m_visible = new QSortFilterProxyModel(this);
    m_visible->setSourceModel(rows);
    m_visible->setFilterKeyColumn(-1);
    m_visible->setFilterCaseSensitivity(Qt::CaseInsensitive);
    m_visible->setSortRole(Qt::UserRole);

    m_table = new QTableView(this);
    m_table->setObjectName(QStringLiteral("ReferRows"));
    m_table->setModel(m_visible);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setAlternatingRowColors(true);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // Rows of one height: sizing thousands of rows to their contents takes seconds.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setStretchLastSection(true);
    // The rows come in key order; a click on a header sorts, and until then no column claims
    // to be the sorted one.
    m_table->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_table->setSortingEnabled(true);

    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("ReferCount"));

    auto* buttons = new QDialogButtonBox(this);
    m_ok = buttons->addButton(text("Tarvo.SUITE.refer.ok"), QDialogButtonBox::AcceptRole);
    m_ok->setObjectName(QStringLiteral("OkButton"));
    m_ok->setDefault(true);
    QPushButton* cancel =
        buttons->addButton(text("Tarvo.SUITE.refer.cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("CancelButton"));
    auto* bottomRow = new QHBoxLayout;
    bottomRow->addWidget(m_count, 1);
    bottomRow->addWidget(buttons);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(findRow);
    layout->addWidget(m_table, 1);
    layout->addLayout(bottomRow);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid())
            accept();
    });
    connect(m_filter, &QLineEdit::textChanged, this, &ReferDialog::applyFilter);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &ReferDialog::updateCountAndOk);
    m_filter->installEventFilter(this);

    sizeColumns();
    selectFirstVisibleRowIfNoneSelected();
    updateCountAndOk();
    m_filter->setFocus();
}

QList<int> ReferDialog::chosenRows() const {
    QList<int> out;
    for (const QModelIndex& index : m_table->selectionModel()->selectedRows())
        out.push_back(m_visible->mapToSource(index).row());
    std::sort(out.begin(), out.end());
    return out;
}

bool ReferDialog::eventFilter(QObject* watched, QEvent* event) {
    return stepRowsFromSearchBox(watched, event, m_filter, m_table) ||
           QDialog::eventFilter(watched, event);
}

void ReferDialog::applyFilter(const QString& text) {
    m_visible->setFilterFixedString(text.trimmed());
    selectFirstVisibleRowIfNoneSelected();
    updateCountAndOk();
}

void ReferDialog::selectFirstVisibleRowIfNoneSelected() {
    if (m_visible->rowCount() == 0 || m_table->selectionModel()->hasSelection())
        return;
    const QModelIndex first = m_visible->index(0, 0);
    m_table->selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect |
                                                          QItemSelectionModel::Rows);
    m_table->scrollTo(first);
}

void ReferDialog::updateCountAndOk() {
    const int all = m_rows->rowCount();
    const int shown = m_visible->rowCount();
    const char* const context = "tarvo::suite::ReferDialog";
    m_count->setText(
        shown == all
            ? QCoreApplication::translate(context, "共 %n 条记录", nullptr, all)
            : QCoreApplication::translate(context, "显示 %1 条，共 %n 条记录", nullptr, all)
                  .arg(shown));
    m_ok->setEnabled(m_table->selectionModel()->hasSelection());
}

void ReferDialog::sizeColumns() {
    const QFontMetrics fm = m_table->fontMetrics();
    const QFontMetrics headerFm = m_table->horizontalHeader()->fontMetrics();
    const int rows = std::min(m_rows->rowCount(), kRowsMeasured);
    int total = 0;
    for (int c = 0; c < m_rows->columnCount(); ++c) {
        int width = headerFm.horizontalAdvance(
                        m_rows->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString()) +
                    24; // room for the sort arrow
        for (int r = 0; r < rows; ++r)
            width = std::max(width, fm.horizontalAdvance(m_rows->text(r, c)) + 16);
        width = std::clamp(width, kMinColumnWidth, kMaxColumnWidth);
        m_table->setColumnWidth(c, width);
        total += width;
    }
    resize(std::clamp(total + 48, 480, 960), 480);
}

} // namespace tarvo::suite
