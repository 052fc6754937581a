#pragma once

#include "IPrintControl.h"
#include "PrintStyle.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

namespace tarvo::suite {

class PageRenderer;
class PrintPreviewDialog;

/// What the last export on this thread came to, for the message that reports it.
struct ExportOutcome {
    int result = 0;
    QString path;
    QString error;
};
ExportOutcome& lastExportOutcome();

/// Scripts and scheduled jobs: exports go to this file without a dialog (empty: ask).
void setUnattendedExportPath(const QString& path);
QString unattendedExportPath();

/// The print control of the embedded suite, over the platform's printing: print dialog,
/// preview, page set-up, and export to xlsx, csv or pdf files.
class PrintControl : public IPrintControl {
public:
    PrintControl();
    ~PrintControl() override;
    PrintControl(const PrintControl&) = delete;
    PrintControl& operator=(const PrintControl&) = delete;

    void place(QWidget* parent, StyleEvent onStyle) override;
    QWidget* Parent() const override { return m_parent; }
    bool Visible() const override { return m_visible; }
    void setVisible(bool visible) override { m_visible = visible; }
    int SetDataStyleXML(QString& dataXml, bool dataIsText, QString& styleXml, bool styleIsText,
                        const QString& styleName) override;
    int PageSetup() override;
    void TriggerEvent(int event) override;
    int DoPrint() override;
    void SetOwner(QWidget* owner) override { m_owner = owner; }
    int PrintPreview() override;
    int ExportToFile(qint32& flags, QString& columnTypes, QString& columnSizes,
                     const QString& fileName, const QString& fileType) override;
    int ExportList(const PrintedList& list, const PrintedListStyle& style,
                   const QString& fileName) override;
    std::optional<int> BeginPrint(QWidget* parent) override;
    std::optional<int> BeginExport(qint32& flags, QString& columnTypes, QString& columnSizes,
                                   const QString& fileName, const QString& fileType) override;
    void RunOutput(const WorkProgress& progress) override;
    int EndOutput() override;

    /// The style the control holds now (after a page set-up, with its changes).
    const std::optional<PrintStyle>& style() const { return m_style; }

private:
    QPointer<QWidget> m_parent;
    QPointer<QWidget> m_owner;
    bool m_visible = true;
    StyleEvent m_onStyle;
    std::optional<PrintStyle> m_style;
    QString m_styleName;
    /// The data file the pages are read from; removed with the control when it wrote it.
    QString m_dataFile;
    bool m_ownsDataFile = false;
    QString m_listTitle; ///< as the data's header gives it
    /// Made when a command first needs pages: its fonts cost a .csv or .xlsx export more than
    /// its rows do.
    std::unique_ptr<PageRenderer> m_pages;
    /// What a command begun has left to make, and how that went.
    struct Output;
    std::unique_ptr<Output> m_output;

    void dropData();
    /// The pages of the data set, made now when no command has needed them yet; null without
    /// data. Made on the control's own thread, where its fonts are had.
    PageRenderer* renderer();
    /// The pages laid out for a page set-up, or null when the data cannot be read or the
    /// layout was asked to stop.
    PageRenderer* pagesFor(const QPageLayout& page, const WorkProgress& progress = {});
    /// The begun output made here and now, its result given.
    int runHere();
    /// Prints from the open preview beside it: the preview holds still until the pages are out.
    void printFromPreview(PrintPreviewDialog& preview);
    void runPrint(const WorkProgress& progress);
    void runExport(const WorkProgress& progress);
    QString askForFile() const;
    /// What the printout, its PDF and its sheet are called.
    QString title() const;
    int finishExport(int result, const QString& path, const QString& error);
};

} // namespace tarvo::suite
