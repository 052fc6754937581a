#include "FrmImport.h"

#include "ArchiveSession.h"
#include "BesideWork.h"
#include "ErrorHandling.h"
#include "RunAside.h"
#include "FileDialogs.h"
#include "ImportPreviewModel.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <utility>

namespace tarvo {

using Col = ImportPreviewModel;

FrmImport::FrmImport(ComVarPtr comVar, const QVector<ListField>& listFields, QWidget* parent)
    : QDialog(parent), m_ComVar(std::move(comVar)), m_batch(m_ComVar->m_ArchiveEnName, listFields),
      LblFile(new QLabel(this)), CmdFile(new QPushButton(tr("选择文件..."), this)),
      m_model(new ImportPreviewModel(m_batch, this)), GrdPreview(new QTableView(this)),
      LblCounts(new QLabel(this)),
      CmdImport(new QPushButton(tr("导入"), this)), CmdClose(new QPushButton(tr("关闭"), this)) {
    setObjectName(QStringLiteral("FrmImport"));
    setWindowTitle(tr("导入%1").arg(m_ComVar->m_ArchiveChName));
    LblFile->setObjectName(QStringLiteral("LblFile"));
    CmdFile->setObjectName(QStringLiteral("CmdFile"));
    GrdPreview->setObjectName(QStringLiteral("GrdPreview"));
    LblCounts->setObjectName(QStringLiteral("LblCounts"));
    CmdImport->setObjectName(QStringLiteral("CmdImport"));
    CmdClose->setObjectName(QStringLiteral("CmdClose"));
    GrdPreview->setModel(m_model);
    GrdPreview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdPreview->verticalHeader()->hide();
    GrdPreview->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
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

FrmImport::~FrmImport() {
    // The check reads the batch, which goes before the children do.
    stopChecking();
}

void FrmImport::done(int result) {
    stopChecking();
    QDialog::done(result);
}

void FrmImport::keyPressEvent(QKeyEvent* event) {
    if (m_check && event->key() == Qt::Key_Escape) {
        m_check->stop();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FrmImport::chooseFile() {
    const QString path = suite::chooseFileToOpen(
        this, windowTitle(), m_path.isEmpty() ? QString() : QFileInfo(m_path).path(),
        tr("表格文件 (*.csv *.xlsx)"));
    if (!path.isEmpty())
        openFile(path);
}

bool FrmImport::openFile(const QString& path) {
    stopChecking();
    QString error;
    bool read = false;
    m_model->holdAll();
    beside([&] { read = m_batch.read(path, error); });
    if (!read) {
        // The batch keeps the file it had.
        if (!m_path.isEmpty())
            fillTable();
        ShowInfo(error);
        return false;
    }
    m_path = path;
    LblFile->setText(QDir::toNativeSeparators(path));
    fillTable();
    evaluate();
    return true;
}

void FrmImport::fillTable() {
    const QStringList& headers = m_batch.headers();
    const QVector<ImportField>& fields = m_batch.rows().fields();
    m_model->refresh();
    for (int c = 0; c < headers.size(); ++c) {
        auto* combo = new QComboBox(GrdPreview);
        combo->setObjectName(QStringLiteral("CmbMap%1").arg(c));
        combo->addItem(tr("（不导入）"), -1);
        for (int f = 0; f < fields.size(); ++f)
            combo->addItem(fields[f].caption, f);
        combo->setCurrentIndex(combo->findData(m_batch.mapping()[c]));
        connect(combo, &QComboBox::currentIndexChanged, this, [this, c, combo] {
            reportErrors([&] { mappingChanged(c, combo->currentData().toInt()); });
        });
        GrdPreview->setIndexWidget(m_model->index(0, Col::FixedCols + c), combo);
    }
    sizeColumnsFrom(0);
}

void FrmImport::sizeColumnsFrom(int column) {
    if (column >= m_model->columnCount())
        return;
    // Each column measures a thousand rows: one column per turn of the window's events.
    GrdPreview->resizeColumnToContents(column);
    QMetaObject::invokeMethod(this, [this, column] { sizeColumnsFrom(column + 1); },
                              Qt::QueuedConnection);
}

void FrmImport::beside(const std::function<void()>& work) {
    // Each step of the preview needs the one before it done (the verdicts their file, the
    // store its verdicts): the window waits, its input held back, and repaints meanwhile. The
    // batch asks the suite's objects of this thread's session, which go along.
    runAside(carryingArchiveSession(work));
}

void FrmImport::mappingChanged(int column, int field) {
    // The check under way reads the mapping: it ends first, and the new mapping is checked.
    stopChecking();
    const int gaveUp = m_batch.setMapping(column, field);
    if (gaveUp >= 0) {
        auto* other = qobject_cast<QComboBox*>(
            GrdPreview->indexWidget(m_model->index(0, Col::FixedCols + gaveUp)));
        const QSignalBlocker quiet(other);
        other->setCurrentIndex(0);
    }
    checkBeside();
}

void FrmImport::evaluate() {
    CmdImport->setEnabled(false);
    QString error;
    bool checked = false;
    m_model->holdVerdicts();
    beside([&] { checked = m_batch.check(error); });
    showChecked(checked, error);
}

void FrmImport::checkBeside() {
    CmdImport->setEnabled(false);
    CmdFile->setEnabled(false);
    m_model->holdVerdicts();
    LblCounts->setText(tr("正在检查…（Esc 停止）"));
    auto checked = std::make_shared<bool>(false);
    auto error = std::make_shared<QString>();
    m_check = new BesideWork(carryingArchiveSession([this, checked, error](const WorkProgress& p) {
                                 *checked = m_batch.check(*error, p);
                             }),
                             this);
    connect(m_check, &BesideWork::ended, this,
            [this, checked, error](bool, const QString& thrown) {
                std::exchange(m_check, nullptr)->deleteLater();
                CmdFile->setEnabled(true);
                if (!thrown.isEmpty()) {
                    showChecked(false, thrown);
                } else if (!*checked && error->isEmpty()) {
                    m_model->verdictsChanged();
                    LblCounts->setText(tr("检查已停止：改选任一栏目即重新检查"));
                } else {
                    showChecked(*checked, *error);
                }
            });
}

void FrmImport::stopChecking() {
    if (!m_check)
        return;
    m_check->stopAndWait();
    delete std::exchange(m_check, nullptr);
    CmdFile->setEnabled(true);
}

void FrmImport::showChecked(bool checked, const QString& error) {
    showVerdicts();
    if (!m_batch.keyMapped()) {
        LblCounts->setText(tr("请指定“%1”所在的列").arg(m_batch.rows().keyCaption()));
    } else if (!checked) {
        LblCounts->setText(error);
        ShowInfo(error);
    }
}

void FrmImport::showVerdicts() {
    m_model->verdictsChanged();
    // The reasons can be long: the column shows the start, the tooltip all of it.
    GrdPreview->resizeColumnToContents(Col::ColVerdict);
    GrdPreview->resizeColumnToContents(Col::ColReason);
    GrdPreview->setColumnWidth(Col::ColReason,
                               std::clamp(GrdPreview->columnWidth(Col::ColReason), 260, 420));
    LblCounts->setText(m_batch.countsText());
    const ImportBatch::Counts counts = m_batch.counts();
    CmdImport->setEnabled(counts[BatchVerdict::Added] + counts[BatchVerdict::Modified] > 0);
}

void FrmImport::importRows() {
    if (const int noted = m_batch.noted(); noted > 0) {
        // Banks change their rules: as in the card, the clerk may keep such numbers.
        QString question =
            tr("有 %n 行的银行账号不符合所属银行的企业账号规则（见“说明”栏）。仍要导入吗？",
               nullptr, noted);
        if (ArchiveSession::current().oPub->MsgBox(question, 36, windowTitle()) != 6)
            return;
    }
    ImportBatch::Counts stored{};
    QString error;
    bool done = false;
    beside([&] { done = m_batch.store(stored, error); });
    if (!done) {
        ShowInfo(error);
        evaluate();
        return;
    }
    m_imported = stored[BatchVerdict::Added] + stored[BatchVerdict::Modified];
    if (m_imported == 0)
        return;
    ShowInfo(ImportBatch::storedText(stored));
    accept();
}

} // namespace tarvo
