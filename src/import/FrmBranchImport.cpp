#include "FrmBranchImport.h"

#include "ArchiveSession.h"
#include "BranchDirectoryRights.h"
#include "ClassRegistry.h"
#include "ErrorHandling.h"
#include "ImportPreviewModel.h"
#include "RunAside.h"

#include <QDate>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSet>

#include <algorithm>
#include <iterator>
#include <memory>

namespace tarvo {

namespace {

/// The entry's texts in the order of BranchImport's fields.
QString BranchEntry::*const kTexts[] = {
    &BranchEntry::code,     &BranchEntry::name, &BranchEntry::bankCode, &BranchEntry::bankName,
    &BranchEntry::cityCode, &BranchEntry::city, &BranchEntry::province};
static_assert(std::size(kTexts) == BranchImport::FieldCount);

/// The import's lines as the preview shows them: the directory's fields of each row of the
/// file, then the branches it retires. Before the check, the rows as read, those the reading
/// refused with their reason.
class BranchRows : public ImportPreviewRows {
public:
    BranchRows(const BranchImport& import, const QHash<QString, BranchEntry>& retired)
        : m_import(import), m_retired(retired) {}

    QStringList headers() const override {
        QStringList captions;
        for (int f = 0; f < BranchImport::FieldCount; ++f)
            captions << BranchImport::captionOf(f);
        return captions;
    }
    int size() const override {
        return int(std::max(m_import.lines().size(), m_import.rows().size()));
    }
    int line(int row) const override {
        return row < m_import.rows().size() ? m_import.rows()[row].line : 0;
    }
    QString cell(int row, int column) const override {
        if (row < m_import.rows().size())
            return m_import.rows()[row].entry.*kTexts[column];
        const QString& code = m_import.lines()[row].code;
        if (const auto stored = m_retired.constFind(code); stored != m_retired.cend())
            return (*stored).*kTexts[column];
        return column == BranchImport::Code ? code : QString();
    }
    bool checked(int row) const override {
        return row < m_import.lines().size() || !m_import.rows()[row].refusal.isEmpty();
    }
    Kind kind(int row) const override {
        if (row >= m_import.lines().size())
            return Refused;
        switch (m_import.lines()[row].verdict) {
        case BranchVerdict::New:
            return Added;
        case BranchVerdict::Changed:
            return Modified;
        case BranchVerdict::Unchanged:
            return Unchanged;
        case BranchVerdict::Retired:
            return Retired;
        default:
            return Refused;
        }
    }
    QString verdictText(int row) const override {
        return BranchImport::verdictText(row < m_import.lines().size()
                                             ? m_import.lines()[row].verdict
                                             : BranchVerdict::Refused);
    }
    QString reasonText(int row) const override {
        if (row >= m_import.lines().size())
            return m_import.rows()[row].refusal;
        const BranchLine& l = m_import.lines()[row];
        if (l.verdict == BranchVerdict::Retired)
            return FrmBranchImport::tr("文件中已没有这个网点：导入后记为自 %1 起停用，不会删除")
                .arg(QDate::currentDate().toString(Qt::ISODate));
        return l.reason;
    }
    QString lineCaption() const override { return FrmBranchImport::tr("文件行"); }

private:
    const BranchImport& m_import;
    const QHash<QString, BranchEntry>& m_retired;
};

enum Step { Reading, Checking, Checked };

using Col = ImportPreviewModel;

/// Looks up the stored branches of the codes the check retires, in one walk of the directory.
bool findRetired(ClsCommonPtr& db, const BranchImport& import,
                 QHash<QString, BranchEntry>& found, QString& error,
                 const WorkProgress& progress) {
    QSet<QString> wanted;
    for (const BranchLine& l : import.lines())
        if (l.verdict == BranchVerdict::Retired)
            wanted.insert(l.code);
    if (wanted.isEmpty())
        return true;
    auto directory =
        createObject<IBranchDirectory>(QStringLiteral("TarvoSrvTrans.IBranchDirectory"));
    if (!directory)
        throw ArchiveError(BranchImport::tr("无法创建联行号目录组件"));
    bool stopped = false;
    const bool walked = directory->ForEach(
        db,
        [&](const BranchEntry& stored) {
            if (progress.stopAsked && progress.stopAsked()) {
                stopped = true;
                return false;
            }
            if (wanted.contains(stored.code))
                found.insert(stored.code, stored);
            return found.size() < wanted.size();
        },
        error);
    if (stopped)
        error.clear();
    return walked && !stopped;
}

} // namespace

FrmBranchImport::FrmBranchImport(QWidget* parent)
    : ImportPreview(tr("导入联行号目录"), parent),
      m_refusal(branchDirectoryRefusal(*ArchiveSession::current().SrvDB)) {
    setObjectName(QStringLiteral("FrmBranchImport"));
    showRows(std::make_unique<BranchRows>(m_import, m_retired), false);
    CmdImport->setToolTip(m_refusal);
}

FrmBranchImport::~FrmBranchImport() {
    // The work beside the window fills the import, which goes before the window does.
    stopChecking();
}

void FrmBranchImport::chooseFile() {
    if (const QString path = askForFile(); !path.isEmpty())
        openFile(path);
}

void FrmBranchImport::openFile(const QString& path) {
    stopChecking();
    showFile(path);
    m_model->holdAll();
    CmdImport->setEnabled(false);
    m_step = Reading;
    showProgress(0);
    auto error = std::make_shared<QString>();
    startBeside(carryingArchiveSession([this, path, error](const WorkProgress& progress) {
                    m_retired.clear();
                    if (!m_import.read(path, *error, progress))
                        return;
                    m_step = Checking;
                    ClsCommonPtr db = ArchiveSession::current().SrvDB;
                    if (m_import.check(db, *error, progress) &&
                        findRetired(db, m_import, m_retired, *error, progress))
                        m_step = Checked;
                }),
                [this, error](bool stopped, const QString& thrown) {
                    checked(stopped, thrown.isEmpty() ? *error : thrown);
                });
    connect(m_check, &BesideWork::progressed, this, &FrmBranchImport::showProgress);
}

void FrmBranchImport::showProgress(qint64 done) {
    const QString text =
        m_step == Reading ? tr("正在读取文件…（Esc 停止）")
                          : tr("正在与联行号目录核对：已核对 %1 个网点…（Esc 停止）")
                                .arg(QLocale().toString(done));
    LblCounts->setText(text);
}

void FrmBranchImport::checked(bool stopped, const QString& error) {
    if (m_step == Checked) {
        m_model->refresh();
        showVerdicts(m_import.countsText(), storable());
        if (!m_refusal.isEmpty())
            LblCounts->setText(tr("%1（只能预览：%2）").arg(m_import.countsText(), m_refusal));
        sizeColumnsFrom(Col::FixedCols);
        return;
    }
    if (stopped || error.isEmpty()) {
        LblCounts->setText(tr("已停止，联行号目录保持不变：可重新选择文件"));
        return;
    }
    // A file read but refused whole shows its rows, which say why the reading refused them.
    if (m_step == Checking) {
        m_model->refresh();
        showVerdicts(error, false);
        sizeColumnsFrom(Col::FixedCols);
    } else {
        LblCounts->setText(error);
    }
    ShowInfo(error);
}

bool FrmBranchImport::storable() const {
    if (m_step != Checked || !m_refusal.isEmpty())
        return false;
    const BranchImport::Counts c = m_import.counts();
    return c[int(BranchVerdict::New)] + c[int(BranchVerdict::Changed)] +
               c[int(BranchVerdict::Retired)] >
           0;
}

void FrmBranchImport::importRows() {
    // Asked again: the rights may have changed while the clerk looked.
    ArchiveSession& s = ArchiveSession::current();
    if (const QString refusal = branchDirectoryRefusal(*s.SrvDB); !refusal.isEmpty()) {
        ShowInfo(refusal);
        return;
    }
    if (!storable() || checking())
        return;
    QString error;
    bool done = false;
    // The window waits for the one transaction, its input held back.
    runAside(carryingArchiveSession([&] {
        ClsCommonPtr db = ArchiveSession::current().SrvDB;
        done = m_import.store(db, error);
    }));
    if (!done) {
        ShowInfo(error);
        return;
    }
    m_stored = true;
    ShowInfo(m_import.storedText());
    accept();
}

} // namespace tarvo
