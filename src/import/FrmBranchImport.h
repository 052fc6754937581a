#pragma once

#include "BranchImport.h"
#include "ImportPreview.h"

#include <QHash>

#include <atomic>

namespace tarvo {

/// The preview of a branch directory file (行名行号) on its way into the directory: each row
/// of the file new, changed, unchanged or refused, each stored branch the file leaves out
/// retired, and the counts. The file is read and checked beside the window, which shows how far
/// it got; Esc stops it. Nothing is stored before "导入", which stores the whole file in one
/// transaction, and only for a session that may keep the bank archive.
class FrmBranchImport : public ImportPreview {
    Q_OBJECT
public:
    explicit FrmBranchImport(QWidget* parent = nullptr);
    ~FrmBranchImport() override;

    /// Starts reading and checking the file; the window shows meanwhile.
    void openFile(const QString& path);
    /// The directory was stored from the file.
    bool stored() const { return m_stored; }

private:
    BranchImport m_import;
    /// The stored branches the file retires, as the directory holds them.
    QHash<QString, BranchEntry> m_retired;
    /// Why this session may not store the directory; empty when it may.
    QString m_refusal;
    bool m_stored = false;
    /// The step the work beside the window is at: reading the file or checking it.
    std::atomic<int> m_step = 0;

    void chooseFile() override;
    void importRows() override;
    /// What the work beside the window has got through.
    void showProgress(qint64 done);
    void checked(bool stopped, const QString& error);
    bool storable() const;
};

} // namespace tarvo
