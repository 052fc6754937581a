#pragma once

#include "BesideWork.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace tarvo {

class ImportPreviewModel;
class ImportPreviewRows;

/// The window every import previews its file in: the file's rows with what storing would do
/// with each and why, the counts, a switch to the refused rows alone, and "导入" to store.
/// An import gives it its rows and decides what reading, checking and storing mean; the window
/// runs the import's long work beside itself, where Esc stops it.
class ImportPreview : public QDialog {
    Q_OBJECT
public:
    ~ImportPreview() override;

    /// Work is being done beside the window: a read or a check.
    bool checking() const { return m_check != nullptr; }
    /// Ends the work under way before the window closes.
    void done(int result) override;

protected:
    ImportPreview(const QString& title, QWidget* parent);

    /// Shows these rows; with a mapping row, the first row holds a combo per file column.
    void showRows(std::unique_ptr<ImportPreviewRows> rows, bool mappingRow);
    /// Asks for a table file to import; "" when the clerk chose none.
    QString askForFile();
    /// The file the preview shows, in the file line.
    void showFile(const QString& path);
    /// Runs work beside the window, which goes on meanwhile: ended follows on this thread
    /// with whether the work was stopped and what it threw. The file can be chosen again
    /// only afterwards.
    void startBeside(BesideWork::Work work,
                     std::function<void(bool stopped, const QString& thrown)> ended);
    /// Stops the work under way and waits for it; nothing follows.
    void stopChecking();
    /// Takes in the verdicts: the counts in words, and whether "导入" has anything to store.
    void showVerdicts(const QString& counts, bool storable);
    void sizeColumnsFrom(int column);

    /// The file button and the import button.
    virtual void chooseFile() = 0;
    virtual void importRows() = 0;

    /// Esc stops the work under way instead of closing the window.
    void keyPressEvent(QKeyEvent* event) override;

    QString m_path;
    BesideWork* m_check = nullptr;
    std::unique_ptr<ImportPreviewRows> m_rows;

    QLabel* LblFile;
    QPushButton* CmdFile;
    ImportPreviewModel* m_model = nullptr;
    QTableView* GrdPreview;
    QLabel* LblCounts;
    QCheckBox* ChkRefused;
    QPushButton* CmdImport;
    QPushButton* CmdClose;
};

} // namespace tarvo
