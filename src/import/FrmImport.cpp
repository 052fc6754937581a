#include "FrmImport.h"

#include "ArchiveSession.h"
#include "ErrorHandling.h"
#include "ImportPreviewModel.h"
#include "RunAside.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

#include <memory>
#include <utility>

namespace tarvo {

namespace {

using Col = ImportPreviewModel;

/// The batch's rows as the preview shows them: the file's cells under the file's captions.
class BatchRows : public ImportPreviewRows {
public:
    explicit BatchRows(const ImportBatch& batch) : m_batch(batch) {}

    QStringList headers() const override { return m_batch.headers(); }
    int size() const override { return int(m_batch.data().size()); }
    int line(int row) const override { return m_batch.data()[row].first; }
    QString cell(int row, int column) const override {
        return m_batch.data()[row].second.value(column);
    }
    bool checked(int row) const override { return row < m_batch.verdicts().size(); }
    Kind kind(int row) const override {
        static const Kind kKinds[] = {Added, Modified, Unchanged, Refused};
        return kKinds[m_batch.verdicts()[row].kind];
    }
    QString verdictText(int row) const override { return m_batch.verdictText(row); }
    QString reasonText(int row) const override { return m_batch.reasonText(row); }
    QString lineCaption() const override {
        return QCoreApplication::translate("tarvo::FrmImport", "行号");
    }

private:
    const ImportBatch& m_batch;
};

} // namespace

FrmImport::FrmImport(ComVarPtr comVar, const QVector<ListField>& listFields, QWidget* parent)
    : ImportPreview(tr("导入%1").arg(comVar->m_ArchiveChName), parent),
      m_ComVar(std::move(comVar)), m_batch(m_ComVar->m_ArchiveEnName, listFields) {
    setObjectName(QStringLiteral("FrmImport"));
    showRows(std::make_unique<BatchRows>(m_batch), true);
}

FrmImport::~FrmImport() {
    // The check reads the batch, which goes before the window does.
    stopChecking();
}

void FrmImport::chooseFile() {
    if (const QString path = askForFile(); !path.isEmpty())
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
    showFile(path);
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
    m_model->holdVerdicts();
    LblCounts->setText(tr("正在检查…（Esc 停止）"));
    auto checked = std::make_shared<bool>(false);
    auto error = std::make_shared<QString>();
    startBeside(carryingArchiveSession([this, checked, error](const WorkProgress& p) {
                    *checked = m_batch.check(*error, p);
                }),
                [this, checked, error](bool, const QString& thrown) {
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

void FrmImport::showChecked(bool checked, const QString& error) {
    showBatchVerdicts();
    if (!m_batch.keyMapped()) {
        LblCounts->setText(tr("请指定“%1”所在的列").arg(m_batch.rows().keyCaption()));
    } else if (!checked) {
        LblCounts->setText(error);
        ShowInfo(error);
    }
}

void FrmImport::showBatchVerdicts() {
    const ImportBatch::Counts counts = m_batch.counts();
    showVerdicts(m_batch.countsText(),
                 counts[BatchVerdict::Added] + counts[BatchVerdict::Modified] > 0);
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
