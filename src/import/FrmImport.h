#pragma once

#include "ComVar.h"
#include "ImportBatch.h"
#include "ImportPreview.h"

namespace tarvo {

/// The preview of an archive's import: the file's rows with the field each column fills (a
/// combo per column, matched by caption at first), what saving would do with each row and why
/// a row is refused, and the counts. "导入" stores every accepted row in one transaction.
class FrmImport : public ImportPreview {
    Q_OBJECT
public:
    FrmImport(ComVarPtr comVar, const QVector<ListField>& listFields, QWidget* parent = nullptr);
    ~FrmImport() override;

    /// Reads the file and previews it; False, after saying why, when it is no readable table.
    bool openFile(const QString& path);
    /// Records added and modified by the import; 0 until one has run.
    int importedCount() const { return m_imported; }

private:
    ComVarPtr m_ComVar;
    ImportBatch m_batch;
    int m_imported = 0;

    void chooseFile() override;
    void importRows() override;
    void fillTable();
    /// Runs the batch's work on a thread beside the window, which waits for it.
    void beside(const std::function<void()>& work);
    void mappingChanged(int column, int field);
    /// Asks the save service what it would do with every row and shows it; the window waits.
    void evaluate();
    /// The same beside the window, which goes on meanwhile: Esc stops it, a new mapping
    /// starts it again, and the import waits for it.
    void checkBeside();
    void showChecked(bool checked, const QString& error);
    void showBatchVerdicts();
};

} // namespace tarvo
