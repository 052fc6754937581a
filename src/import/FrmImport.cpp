#include "FrmImport.h"

#include "ArchiveSession.h"
#include "ClassRegistry.h"
#include "ErrorHandling.h"
#include "FileDialogs.h"
#include "ITableReader.h"

#include <QColor>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace tarvo {

namespace {

/// Columns of the preview before the file's own.
enum : int { ColLine, ColVerdict, ColReason, FixedCols };

bool blank(const QStringList& cells) {
    return std::all_of(cells.begin(), cells.end(),
                       [](const QString& c) { return c.trimmed().isEmpty(); });
}

} // namespace

FrmImport::FrmImport(ComVarPtr comVar, const QVector<ListField>& listFields, QWidget* parent)
    : QDialog(parent), m_ComVar(std::move(comVar)), m_rows(m_ComVar->m_ArchiveEnName, listFields),
      LblFile(new QLabel(this)), CmdFile(new QPushButton(tr("选择文件..."), this)),
      GrdPreview(new QTableWidget(this)), LblCounts(new QLabel(this)),
      CmdImport(new QPushButton(tr("导入"), this)), CmdClose(new QPushButton(tr("关闭"), this)) {
    setObjectName(QStringLiteral("FrmImport"));
    setWindowTitle(tr("导入%1").arg(m_ComVar->m_ArchiveChName));
    LblFile->setObjectName(QStringLiteral("LblFile"));
    CmdFile->setObjectName(QStringLiteral("CmdFile"));
    GrdPreview->setObjectName(QStringLiteral("GrdPreview"));
    LblCounts->setObjectName(QStringLiteral("LblCounts"));
    CmdImport->setObjectName(QStringLiteral("CmdImport"));
    CmdClose->setObjectName(QStringLiteral("CmdClose"));
    GrdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdPreview->verticalHeader()->hide();
    GrdPreview->verticalHeader()->setDefaultSectionSize(GrdPreview->fontMetrics().height() + 10);
    CmdImport->setEnabled(false);

    auto* top = new QHBoxLayout;
    top->addWidget(LblFile, 1);
    top->addWidget(CmdFile);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LblCounts, 1);
    bottom->addWidget(CmdImport);
    bottom->addWidget(CmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(GrdPreview, 1);
    layout->addLayout(bottom);
    resize(1200, 540);

    connect(CmdFile, &QPushButton::clicked, this, [this] { reportErrors([&] { chooseFile(); }); });
    connect(CmdImport, &QPushButton::clicked, this,
            [this] { reportErrors([&] { importRows(); }); });
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::reject);
}

void FrmImport::chooseFile() {
    const QString path = suite::chooseFileToOpen(
        this, windowTitle(), m_path.isEmpty() ? QString() : QFileInfo(m_path).path(),
        tr("表格文件 (*.csv *.xlsx)"));
    if (!path.isEmpty())
        openFile(path);
}

bool FrmImport::openFile(const QString& path) {
    auto reader = createObject<ITableReader>(QStringLiteral("TarvoPrint.TableReader"));
    if (!reader)
        throw ArchiveError(tr("无法创建表格文件读取组件"));
    QVector<QStringList> rows;
    QString error;
    if (!reader->Read(path, rows, error)) {
        ShowInfo(tr("无法导入“%1”：%2").arg(QFileInfo(path).fileName(), error));
        return false;
    }
    int headerLine = 1;
    while (!rows.isEmpty() && blank(rows.first())) {
        rows.removeFirst();
        ++headerLine;
    }
    if (rows.size() < 2) {
        ShowInfo(tr("“%1”中没有可导入的数据：第一行应为栏目名称，其后每行一条记录")
                     .arg(QFileInfo(path).fileName()));
        return false;
    }
    m_path = path;
    m_headers = rows.first();
    m_data.clear();
    for (int i = 1; i < rows.size(); ++i)
        if (!blank(rows[i]))
            m_data.append({headerLine + i, rows[i]});
    for (const auto& [line, cells] : std::as_const(m_data))
        while (m_headers.size() < cells.size())
            m_headers << QString();
    m_mapping = m_rows.matchAll(m_headers);
    LblFile->setText(QDir::toNativeSeparators(path));
    fillTable();
    evaluate();
    return true;
}

void FrmImport::fillTable() {
    GrdPreview->clear();
    GrdPreview->setColumnCount(FixedCols + int(m_headers.size()));
    GrdPreview->setRowCount(1 + int(m_data.size()));
    QStringList captions{tr("行号"), tr("结果"), tr("说明")};
    for (const QString& h : std::as_const(m_headers))
        captions << h;
    GrdPreview->setHorizontalHeaderLabels(captions);
    auto* mapCaption = new QTableWidgetItem(tr("导入到"));
    GrdPreview->setItem(0, ColReason, mapCaption);
    for (int c = 0; c < m_headers.size(); ++c) {
        auto* combo = new QComboBox(GrdPreview);
        combo->setObjectName(QStringLiteral("CmbMap%1").arg(c));
        combo->addItem(tr("（不导入）"), -1);
        for (int f = 0; f < m_rows.fields().size(); ++f)
            combo->addItem(m_rows.fields()[f].caption, f);
        combo->setCurrentIndex(combo->findData(m_mapping[c]));
        connect(combo, &QComboBox::currentIndexChanged, this, [this, c, combo] {
            reportErrors([&] { mappingChanged(c, combo->currentData().toInt()); });
        });
        GrdPreview->setCellWidget(0, FixedCols + c, combo);
    }
    for (int r = 0; r < m_data.size(); ++r) {
        GrdPreview->setItem(1 + r, ColLine, new QTableWidgetItem(QString::number(m_data[r].first)));
        for (int c = 0; c < m_data[r].second.size(); ++c)
            GrdPreview->setItem(1 + r, FixedCols + c, new QTableWidgetItem(m_data[r].second[c]));
    }
    GrdPreview->resizeColumnsToContents();
}

void FrmImport::mappingChanged(int column, int field) {
    // A field fills from one column only: the column that had it gives it up.
    for (int c = 0; c < m_mapping.size(); ++c) {
        if (c != column && field >= 0 && m_mapping[c] == field) {
            m_mapping[c] = -1;
            auto* other = qobject_cast<QComboBox*>(GrdPreview->cellWidget(0, FixedCols + c));
            const QSignalBlocker quiet(other);
            other->setCurrentIndex(0);
        }
    }
    m_mapping[column] = field;
    evaluate();
}

void FrmImport::evaluate() {
    m_records.clear();
    m_verdicts.clear();
    CmdImport->setEnabled(false);
    if (!m_mapping.contains(m_rows.keyField())) {
        showVerdicts();
        LblCounts->setText(tr("请指定“%1”所在的列").arg(m_rows.keyCaption()));
        return;
    }
    ArchiveSession& s = ArchiveSession::current();
    QStringList xmls;
    for (const auto& [line, cells] : std::as_const(m_data)) {
        m_records << m_rows.record(cells, m_mapping, line, *s.SrvDB);
        if (m_records.last().refusal.isEmpty())
            xmls << m_records.last().xml;
    }
    QVector<BatchVerdict> saved;
    QString error;
    if (!s.SrvDB->SaveBatch(xmls, m_ComVar->m_ArchiveEnName, false, saved, error)) {
        m_records.clear();
        showVerdicts();
        LblCounts->setText(error);
        ShowInfo(error);
        return;
    }
    int next = 0;
    for (const ImportRow& r : std::as_const(m_records))
        m_verdicts << (r.refusal.isEmpty() ? saved.value(next++)
                                           : BatchVerdict{BatchVerdict::Refused, r.refusal});
    showVerdicts();
}

void FrmImport::showVerdicts() {
    static const char* const kTexts[] = {QT_TR_NOOP("新增"), QT_TR_NOOP("修改"),
                                         QT_TR_NOOP("无变化"), QT_TR_NOOP("拒绝")};
    static const QColor kColours[] = {QColor(0xE3, 0xF4, 0xE1), QColor(0xE1, 0xEC, 0xF8),
                                      QColor(0xF2, 0xF2, 0xF2), QColor(0xFB, 0xE3, 0xE1)};
    int counts[4] = {};
    for (int r = 0; r < m_data.size(); ++r) {
        QString verdict;
        QString reason;
        QColor colour = Qt::white;
        if (r < m_verdicts.size()) {
            const BatchVerdict& v = m_verdicts[r];
            ++counts[v.kind];
            verdict = tr(kTexts[v.kind]);
            colour = kColours[v.kind];
            reason = v.reason;
            if (reason.isEmpty() && v.kind != BatchVerdict::Unchanged &&
                !m_records[r].note.isEmpty())
                reason = tr("提示：%1").arg(m_records[r].note);
        }
        GrdPreview->setItem(1 + r, ColVerdict, new QTableWidgetItem(verdict));
        GrdPreview->setItem(1 + r, ColReason, new QTableWidgetItem(reason));
        GrdPreview->item(1 + r, ColReason)->setToolTip(reason);
        for (int c = 0; c < GrdPreview->columnCount(); ++c)
            if (QTableWidgetItem* item = GrdPreview->item(1 + r, c))
                item->setBackground(colour);
    }
    // The reasons can be long: the column shows the start, the tooltip all of it.
    GrdPreview->resizeColumnToContents(ColVerdict);
    GrdPreview->resizeColumnToContents(ColReason);
    GrdPreview->setColumnWidth(ColReason, std::clamp(GrdPreview->columnWidth(ColReason), 260, 420));
    LblCounts->setText(tr("共 %1 行：新增 %2，修改 %3，无变化 %4，拒绝 %5")
                           .arg(m_data.size())
                           .arg(counts[BatchVerdict::Added])
                           .arg(counts[BatchVerdict::Modified])
                           .arg(counts[BatchVerdict::Unchanged])
                           .arg(counts[BatchVerdict::Refused]));
    CmdImport->setEnabled(counts[BatchVerdict::Added] + counts[BatchVerdict::Modified] > 0);
}

void FrmImport::importRows() {
    ArchiveSession& s = ArchiveSession::current();
    QStringList xmls;
    int noted = 0;
    for (int r = 0; r < m_verdicts.size(); ++r) {
        const auto kind = m_verdicts[r].kind;
        if (kind != BatchVerdict::Added && kind != BatchVerdict::Modified)
            continue;
        xmls << m_records[r].xml;
        noted += !m_records[r].note.isEmpty();
    }
    if (xmls.isEmpty())
        return;
    if (noted > 0) {
        // Banks change their rules: as in the card, the clerk may keep such numbers.
        QString question =
            tr("有 %1 行的银行账号不符合所属银行的企业账号规则（见“说明”栏）。仍要导入吗？")
                .arg(noted);
        if (s.oPub->MsgBox(question, 36, windowTitle()) != 6)
            return;
    }
    QVector<BatchVerdict> saved;
    QString error;
    if (!s.SrvDB->SaveBatch(xmls, m_ComVar->m_ArchiveEnName, true, saved, error)) {
        ShowInfo(error);
        evaluate();
        return;
    }
    int added = 0;
    int modified = 0;
    for (const BatchVerdict& v : std::as_const(saved)) {
        added += v.kind == BatchVerdict::Added;
        modified += v.kind == BatchVerdict::Modified;
    }
    m_imported = added + modified;
    ShowInfo(tr("导入完成：新增 %1 条，修改 %2 条。").arg(added).arg(modified));
    accept();
}

} // namespace tarvo
