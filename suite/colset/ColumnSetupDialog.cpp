#include "ColumnSetupDialog.h"

#include "Grid.h"
#include "UiText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarvo::suite {

namespace {

enum Role { FieldRole = Qt::UserRole, AlignRole, TwipsRole };

/// Captions travel in the column layout's own text formats, where these characters separate
/// or quote; the stored caption column holds 60 characters.
const QString kRefusedChars = QStringLiteral("<>'\"|&,");
constexpr int kMaxCaption = 60;
constexpr int kMaxPixels = 2000;

int pixels(int twips) {
    return std::clamp(qRound(double(twips) / Grid::twipsPerPixel()), 0, kMaxPixels);
}

QPushButton* button(const char* name, const QString& text) {
    auto* b = new QPushButton(text);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

bool sameLayout(const QVector<ColumnItem>& a, const QVector<ColumnItem>& b) {
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (a[i].cFld != b[i].cFld || a[i].Caption != b[i].Caption || a[i].iAlign != b[i].iAlign ||
            a[i].bDisp.toBool() != b[i].bDisp.toBool() || a[i].iColWidth != b[i].iColWidth ||
            a[i].cOrder.compare(b[i].cOrder, Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

} // namespace

ColumnSetupDialog::ColumnSetupDialog(QWidget* parent, const QVector<ColumnItem>& columns,
                                     const QVector<ColumnItem>& defaults, const QString& keyField)
    : QDialog(parent), m_defaults(defaults), m_keyField(keyField),
      m_table(new QTableWidget(0, ColumnCount)), m_up(button("MoveUp", uiText("上移", "Move Up"))),
      m_down(button("MoveDown", uiText("下移", "Move Down"))) {
    setObjectName(QStringLiteral("ColumnSetupDialog"));
    setWindowTitle(uiText("栏目设置", "Column Set-up"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    m_table->setObjectName(QStringLiteral("ColumnList"));
    m_table->setHorizontalHeaderLabels({uiText("显示", "Show"), uiText("栏目名称", "Caption"),
                                        uiText("宽度(像素)", "Width (px)"),
                                        uiText("排序", "Sort")});
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 12);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setHighlightSections(false);
    m_table->horizontalHeader()->setSectionResizeMode(CaptionCol, QHeaderView::Stretch);
    m_table->setColumnWidth(ShownCol, 56);
    m_table->setColumnWidth(WidthCol, 96);
    // Room for the longest sort word of either language ("Descending") beside the arrow.
    m_table->setColumnWidth(OrderCol,
                            fontMetrics().horizontalAdvance(uiText("降序", "Descending")) + 48);

    auto* restore = button("RestoreDefaults", uiText("恢复默认", "Restore Defaults"));
    auto* ok = button("OkButton", uiText("确定", "OK"));
    auto* cancel = button("CancelButton", uiText("取消", "Cancel"));
    connect(m_up, &QPushButton::clicked, this, [this] { move(-1); });
    connect(m_down, &QPushButton::clicked, this, [this] { move(1); });
    connect(restore, &QPushButton::clicked, this, [this] { fill(m_defaults); });
    connect(ok, &QPushButton::clicked, this, &ColumnSetupDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &ColumnSetupDialog::reject);
    connect(m_table, &QTableWidget::currentCellChanged, this,
            &ColumnSetupDialog::updateMoveButtons);
    restore->setEnabled(!defaults.isEmpty());

    auto* side = new QVBoxLayout;
    side->addWidget(m_up);
    side->addWidget(m_down);
    side->addSpacing(12);
    side->addWidget(restore);
    side->addStretch();
    auto* body = new QHBoxLayout;
    body->addWidget(m_table, 1);
    body->addLayout(side);

    auto* hint = new QLabel(uiText("双击栏目名称可以修改；关键字栏目始终显示。",
                                   "Double-click a caption to change it; the key column is "
                                   "always shown."));
    hint->setForegroundRole(QPalette::PlaceholderText);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(hint, 1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(bottom);

    fill(columns);
    resize(640, 520);
}

bool ColumnSetupDialog::edit(QWidget* parent, QVector<ColumnItem>& columns,
                             const QVector<ColumnItem>& defaults, const QString& keyField) {
    ColumnSetupDialog dialog(parent, columns, defaults, keyField);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QVector<ColumnItem> edited = dialog.layout();
    if (sameLayout(edited, columns))
        return false;
    columns = edited;
    return true;
}

void ColumnSetupDialog::accept() {
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QTableWidgetItem* item = m_table->item(row, CaptionCol);
        const QString caption = item->text().trimmed();
        QString refusal;
        if (caption.isEmpty()) {
            refusal = uiText("第%1行的栏目名称不能为空。", "The caption of line %1 is empty.")
                          .arg(row + 1);
        } else if (std::any_of(caption.begin(), caption.end(),
                               [](QChar c) { return kRefusedChars.contains(c); })) {
            refusal = uiText("栏目名称“%1”不能包含下列字符：< > ' \" | & ,",
                             "The caption \"%1\" cannot hold any of: < > ' \" | & ,")
                          .arg(caption);
        } else if (caption.size() > kMaxCaption) {
            refusal = uiText("栏目名称“%1”超过了%2个字符。",
                             "The caption \"%1\" is longer than %2 characters.")
                          .arg(caption)
                          .arg(kMaxCaption);
        }
        if (!refusal.isEmpty()) {
            QMessageBox::warning(this, windowTitle(), refusal);
            m_table->setCurrentCell(row, CaptionCol);
            m_table->editItem(item);
            return;
        }
    }
    QDialog::accept();
}

void ColumnSetupDialog::fill(const QVector<ColumnItem>& columns) {
    m_table->setRowCount(int(columns.size()));
    for (int row = 0; row < columns.size(); ++row) {
        auto* width = new QSpinBox;
        width->setRange(0, kMaxPixels);
        width->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        width->setFrame(false);
        m_table->setCellWidget(row, WidthCol, width);
        auto* order = new QComboBox;
        order->addItem(uiText("无", "None"), QString());
        order->addItem(uiText("升序", "Ascending"), QStringLiteral("asc"));
        order->addItem(uiText("降序", "Descending"), QStringLiteral("desc"));
        order->setFrame(false);
        m_table->setCellWidget(row, OrderCol, order);
        writeRow(row, columns[row]);
    }
    if (m_table->rowCount() > 0)
        m_table->setCurrentCell(0, CaptionCol);
    updateMoveButtons();
}

void ColumnSetupDialog::writeRow(int row, const ColumnItem& column) {
    const bool key = isKey(column.cFld);
    auto* shown = new QTableWidgetItem;
    // The key column's box is ticked and cannot be changed.
    shown->setFlags(key ? Qt::ItemIsSelectable
                        : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    shown->setCheckState(key || column.bDisp.toBool() ? Qt::Checked : Qt::Unchecked);
    if (key)
        shown->setToolTip(uiText("关键字栏目始终显示", "The key column is always shown"));
    m_table->setItem(row, ShownCol, shown);

    auto* caption = new QTableWidgetItem(column.Caption);
    caption->setData(FieldRole, column.cFld);
    caption->setData(AlignRole, column.iAlign);
    caption->setData(TwipsRole, column.iColWidth);
    caption->setToolTip(column.cFld);
    m_table->setItem(row, CaptionCol, caption);

    qobject_cast<QSpinBox*>(m_table->cellWidget(row, WidthCol))->setValue(pixels(column.iColWidth));
    auto* order = qobject_cast<QComboBox*>(m_table->cellWidget(row, OrderCol));
    order->setCurrentIndex(std::max(0, order->findData(column.cOrder.toLower())));
}

ColumnItem ColumnSetupDialog::readRow(int row) const {
    const QTableWidgetItem* caption = m_table->item(row, CaptionCol);
    ColumnItem c;
    c.cFld = caption->data(FieldRole).toString();
    c.Caption = caption->text().trimmed();
    c.iAlign = caption->data(AlignRole).toInt();
    c.bDisp = isKey(c.cFld) || m_table->item(row, ShownCol)->checkState() == Qt::Checked;
    // Twips shown as pixels round; a width the user left alone keeps its exact twips.
    const int twips = caption->data(TwipsRole).toInt();
    const int px = qobject_cast<QSpinBox*>(m_table->cellWidget(row, WidthCol))->value();
    c.iColWidth = px == pixels(twips) ? twips : px * Grid::twipsPerPixel();
    c.cOrder =
        qobject_cast<QComboBox*>(m_table->cellWidget(row, OrderCol))->currentData().toString();
    return c;
}

QVector<ColumnItem> ColumnSetupDialog::layout() const {
    QVector<ColumnItem> out;
    for (int row = 0; row < m_table->rowCount(); ++row)
        out << readRow(row);
    return out;
}

void ColumnSetupDialog::move(int by) {
    const int row = m_table->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= m_table->rowCount())
        return;
    const ColumnItem a = readRow(row);
    const ColumnItem b = readRow(to);
    writeRow(row, b);
    writeRow(to, a);
    m_table->setCurrentCell(to, std::max(0, m_table->currentColumn()));
}

void ColumnSetupDialog::updateMoveButtons() {
    const int row = m_table->currentRow();
    m_up->setEnabled(row > 0);
    m_down->setEnabled(row >= 0 && row < m_table->rowCount() - 1);
}

bool ColumnSetupDialog::isKey(const QString& field) const {
    return !m_keyField.isEmpty() && field.compare(m_keyField, Qt::CaseInsensitive) == 0;
}

} // namespace tarvo::suite
