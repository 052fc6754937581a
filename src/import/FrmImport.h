#pragma once

#include "ComVar.h"
#include "ImportBatch.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

namespace tarvo {

class ImportPreviewModel;

/// The preview of an import: the file's rows with the field each column fills (a combo per
/// column, matched by caption at first), what saving would do with each row and why a row is
/// refused, and the counts. "导入" stores every accepted row in one transaction.
class FrmImport : public QDialog {
    Q_OBJECT
public:
    FrmImport(ComVarPtr comVar, const QVector<ListField>& listFields, QWidget* parent = nullptr);

    /// Reads the file and previews it; False, after saying why, when it is no readable table.
    bool openFile(const QString& path);
    /// Records added and modified by the import; 0 until one has run.
    int importedCount() const { return m_imported; }

private:
    ComVarPtr m_ComVar;
    ImportBatch m_batch;
    QString m_path;
    int m_imported = 0;

    QLabel* LblFile;
    QPushButton* CmdFile;
    ImportPreviewModel* m_model;
    QTableView* GrdPreview;
    QLabel* LblCounts;
    QPushButton* CmdImport;
    QPushButton* CmdClose;

    void chooseFile();
    void fillTable();
    void mappingChanged(int column, int field);
    /// Asks the save service what it would do with every row and shows it.
    void evaluate();
    void showVerdicts();
    void importRows();
};

} // namespace tarvo
