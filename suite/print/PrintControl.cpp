#include "PrintControl.h"

#include "FileDialogs.h"
#include "PageRenderer.h"
#include "PrintData.h"
#include "ResourceTable.h"
#include "SuiteContext.h"
#include "TableExport.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace tarvo::suite {

namespace {

enum ExportResult { Written = 0, Cancelled = -1, Failed = 1, UnknownType = 2, BadColumns = 3 };

QString res(const char* key, const QVariantList& values = {}) {
    return ResourceTable::forLanguage(sessionLanguage()).format(QString::fromLatin1(key), values);
}

thread_local QString t_unattendedPath;

class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

/// Counts the rows and checks each has one cell per column: data that does not match its
/// style is refused before anything reaches paper or a file.
bool dataMatches(const QString& data, int columns) {
    PrintDataReader reader(data);
    PrintDataHeader header;
    if (!reader.readHeader(header))
        return false;
    QStringList cells;
    while (reader.next(cells))
        if (cells.size() != columns)
            return false;
    return !reader.hasError();
}

void preparePrinter(QPrinter& printer, const PrintStyle& style) {
    printer.setPageLayout(style.page);
    printer.setDocName(style.title.isEmpty() ? style.archive : style.title);
}

/// Paints the pages; a print into a PDF file then gets its text named as painted, like an export.
bool printPages(const PrintStyle& style, const QString& data, QPrinter* printer) {
    PageRenderer renderer(style, data);
    if (!renderer.render(printer))
        return false;
    if (printer->outputFormat() != QPrinter::PdfFormat || printer->outputFileName().isEmpty())
        return true;
    return renderer.glyphNames().mendFile(printer->outputFileName());
}

} // namespace

ExportOutcome& lastExportOutcome() {
    static thread_local ExportOutcome outcome;
    return outcome;
}

void setUnattendedExportPath(const QString& path) {
    t_unattendedPath = path;
}

QString unattendedExportPath() {
    return t_unattendedPath;
}

void PrintControl::place(QWidget* parent, StyleEvent onStyle) {
    m_parent = parent;
    m_onStyle = std::move(onStyle);
}

int PrintControl::SetDataStyleXML(QString& dataXml, bool dataIsText, QString& styleXml,
                                  bool styleIsText, const QString& styleName) {
    // Only texts are handed over here; a file name would name a file the list never wrote.
    if (!dataIsText || !styleIsText)
        return 1;
    auto style = PrintStyle::fromXml(styleXml);
    if (!style)
        return 2;
    if (!dataMatches(dataXml, int(style->columns.size())))
        return 3;
    m_style = std::move(style);
    m_data = dataXml;
    m_styleName = styleName;
    return 0;
}

int PrintControl::PageSetup() {
    if (!m_style)
        return -1;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, *m_style);
    QPageSetupDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PrnPageSetup"));
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    m_style->page = printer.pageLayout();
    return 0;
}

void PrintControl::TriggerEvent(int event) {
    if (event != 0 || !m_style || !m_onStyle)
        return;
    const auto [page, columns] = m_style->split();
    m_onStyle(page, columns);
}

int PrintControl::DoPrint() {
    if (!m_style)
        return 1;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, *m_style);
    QPrintDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PrnPrintDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    BusyCursor busy;
    return printPages(*m_style, m_data, &printer) ? 0 : 1;
}

int PrintControl::PrintPreview() {
    if (!m_style)
        return 1;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, *m_style);
    QPrintPreviewDialog dialog(&printer, m_owner ? m_owner : m_parent);
    dialog.setObjectName(QStringLiteral("PrnPreview"));
    dialog.setWindowTitle(res("Tarvo.Print.preview"));
    if (const QWidget* owner = dialog.parentWidget())
        dialog.resize(owner->window()->size().expandedTo(QSize(900, 650)));
    bool rendered = true;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        BusyCursor busy;
        rendered = printPages(*m_style, m_data, target) && rendered;
    });
    dialog.exec();
    return rendered ? 0 : 1;
}

QString PrintControl::askForFile() const {
    const QStringList filters = {res("Tarvo.Print.filter.xlsx"), res("Tarvo.Print.filter.csv"),
                                 res("Tarvo.Print.filter.pdf")};
    const QStringList suffixes = {QStringLiteral("xlsx"), QStringLiteral("csv"),
                                  QStringLiteral("pdf")};
    QFileDialog dialog(m_parent, res("Tarvo.Print.savecaption"));
    dialog.setObjectName(QStringLiteral("PrnSaveFile"));
    lookAtNamesOnly(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(suffixes[0]);
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& f) {
        dialog.setDefaultSuffix(suffixes.value(int(filters.indexOf(f)), suffixes[0]));
    });
    const QString title = m_style->title.isEmpty() ? m_style->archive : m_style->title;
    dialog.selectFile(title + QStringLiteral(".xlsx"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

int PrintControl::finishExport(int result, const QString& path, const QString& error) {
    lastExportOutcome() = {result, path, error};
    return result;
}

int PrintControl::ExportToFile(qint32& flags, QString& columnTypes, QString& columnSizes,
                               const QString& fileName, const QString& fileType) {
    if (!m_style)
        return finishExport(Failed, {}, res("Tarvo.Print.nostyle"));
    const auto types = ExportColumnTypes::parse(columnTypes, columnSizes);
    if (!types || types->types.size() != m_style->columns.size())
        return finishExport(BadColumns, {}, res("Tarvo.Print.badcolumns"));
    QString path = fileName.isEmpty() ? unattendedExportPath() : fileName;
    if (path.isEmpty())
        path = askForFile();
    if (path.isEmpty())
        return finishExport(Cancelled, {}, {});
    const auto format = exportFormatOf(fileType.isEmpty() ? path : QStringLiteral(".") + fileType);
    if (!format)
        return finishExport(UnknownType, path,
                            res("Tarvo.Print.unknowntype", {QFileInfo(path).suffix()}));
    const QString title = m_style->title.isEmpty() ? m_style->archive : m_style->title;
    const ExportJob job{path, title, &*m_style, &*types, &m_data};
    BusyCursor busy;
    std::optional<QString> error;
    switch (*format) {
    case ExportFormat::Xlsx:
        error = writeXlsx(job);
        flags = 1;
        break;
    case ExportFormat::Csv:
        error = writeCsv(job);
        flags = 2;
        break;
    case ExportFormat::Pdf:
        error = writePdf(job);
        flags = 3;
        break;
    }
    if (error)
        return finishExport(Failed, path, *error);
    return finishExport(Written, path, {});
}

} // namespace tarvo::suite
