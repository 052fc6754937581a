#pragma once

#include "ComVar.h"
#include "ImportBatch.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPushButton;
class QTableView;

namespace tarvo {

class BesideWork;
class ImportPreviewModel;

/// The preview of an import: the file's rows with the field each column fills (a combo per
/// column, matched by caption at first), what saving would do with each row and why a row is
/// refused, and the counts. "导入" stores every accepted row in one transaction.
class FrmImport : public QDialog {
    Q_OBJECT
public:
    FrmImport(ComVarPtr comVar, const QVector<ListField>& listFields, QWidget* parent = nullptr);
    ~FrmImport() override;

    /// Reads the file and previews it; False, after saying why, when it is no readable table.
    bool openFile(const QString& path);
    /// Records added and modified by the import; 0 until one has run.
    int importedCount() const { return m_imported; }
    /// A changed mapping is being checked beside the window.
    bool checking() const { return m_check != nullptr; }

    /// Ends a check under way before the window closes.
    void done(int result) override;

protected:
    /// Esc stops a check under way instead of closing the window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    ComVarPtr m_ComVar;
    ImportBatch m_batch;
    QString m_path;
    int m_imported = 0;
    BesideWork* m_check = nullptr;

    QLabel* LblFile;
    QPushButton* CmdFile;
    ImportPreviewModel* m_model;
    QTableView* GrdPreview;
    QLabel* LblCounts;
    QPushButton* CmdImport;
    QPushButton* CmdClose;

    void chooseFile();
    void fillTable();
    void sizeColumnsFrom(int column);
    /// Runs the batch's work on a thread beside the window.
    void beside(const std::function<void()>& work);
    void mappingChanged(int column, int field);
    /// Asks the save service what it would do with every row and shows it; the window waits.
    void evaluate();
    /// The same beside the window, which goes on meanwhile: Esc stops it, a new mapping
    /// starts it again, and the import waits for it.
    void checkBeside();
    void stopChecking();
    void showChecked(bool checked, const QString& error);
    void showVerdicts();
    void importRows();
};

} // namespace tarvo
