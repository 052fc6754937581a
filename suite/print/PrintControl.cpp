#include "PrintControl.h"

#include "BesideWork.h"
#include "BusyCursor.h"
#include "FileDialogs.h"
#include "ListRows.h"
#include "PageRenderer.h"
#include "PrintData.h"
#include "PrintPreviewDialog.h"
#include "ResourceTable.h"
#include "SessionContext.h"
#include "SuiteContext.h"
#include "TableExport.h"
#include "WrittenDataFiles.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QDate>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QScopeGuard>

namespace tarvo::suite {

namespace {

enum ExportResult { Written = 0, Cancelled = -1, Failed = 1, UnknownType = 2, BadColumns = 3 };

QString res(const char* key, const QVariantList& values = {}) {
    return ResourceTable::forLanguage(sessionLanguage()).format(QString::fromLatin1(key), values);
}

/// The data file is held open only while a command runs.
class HoldData {
public:
    explicit HoldData(PageRenderer* pages) : m_pages(pages) {}
    ~HoldData() {
        if (m_pages)
            m_pages->release();
    }
    HoldData(const HoldData&) = delete;
    HoldData& operator=(const HoldData&) = delete;

private:
    PageRenderer* m_pages;
};

bool dataFits(const QString& dataFile, qsizetype columns) {
    PrintDataFileReader reader(dataFile);
    PrintDataHeader header;
    if (!reader.readHeader(header))
        return false;
    // The list's own data, just written whole by this process, is not read through again.
    if (isWrittenDataFile(dataFile, columns))
        return true;
    return reader.checkRows(columns);
}

/// The title the data's header gives the list, in the session's language.
QString headerTitle(const QString& dataFile) {
    PrintDataFileReader reader(dataFile);
    PrintDataHeader header;
    return reader.readHeader(header) ? header.title : QString();
}

void preparePrinter(QPrinter& printer, const PrintStyle& style, const QString& title) {
    printer.setPageLayout(style.page);
    printer.setDocName(title);
}

} // namespace

struct PrintControl::Output {
    bool printing = false;
    std::unique_ptr<QPrinter> printer;
    /// A print into a PDF file gets its text named as painted, like an export.
    bool mend = false;
    ExportFormat format = ExportFormat::Xlsx;
    ExportColumnTypes types;
    QString path;
    /// The rows straight from a list, rather than from the data file.
    ExportRowSource rows;

    bool printed = false;
    std::optional<QString> error;
    bool stopped = false;
};

ExportOutcome& lastExportOutcome() {
    static thread_local ExportOutcome outcome;
    return outcome;
}

void setUnattendedExportPath(const QString& path) {
    SessionContext::current().exportPath = path;
}

QString unattendedExportPath() {
    return SessionContext::current().exportPath;
}

void PrintControl::place(QWidget* parent, StyleEvent onStyle) {
    m_parent = parent;
    m_onStyle = std::move(onStyle);
}

PrintControl::PrintControl() = default;

PrintControl::~PrintControl() {
    dropData();
}

void PrintControl::dropData() {
    m_pages.reset();
    if (m_ownsDataFile)
        QFile::remove(m_dataFile);
    m_dataFile.clear();
    m_ownsDataFile = false;
    m_listTitle.clear();
}

int PrintControl::SetDataStyleXML(QString& dataXml, bool dataIsText, QString& styleXml,
                                  bool styleIsText, const QString& styleName) {
    if (!styleIsText)
        return 1;
    auto style = PrintStyle::fromXml(styleXml);
    if (!style)
        return 2;
    dropData();
    m_style.reset();
    m_dataFile = dataIsText ? newPrintDataFile() : dataXml;
    m_ownsDataFile = dataIsText;
    if (dataIsText) {
        QFile file(m_dataFile);
        const QByteArray bytes = dataXml.toUtf8();
        if (m_dataFile.isEmpty() || !file.open(QIODevice::WriteOnly) ||
            file.write(bytes) != bytes.size() || !file.flush()) {
            dropData();
            return 1;
        }
    }
    // Data that does not match its style is refused before anything reaches paper or a file.
    // Only checked here: an export never needs pages, and the painting commands lay them out
    // for the page set-up they print on when they first ask for them.
    BusyCursor busy;
    if (!dataFits(m_dataFile, style->columns.size())) {
        dropData();
        return 3;
    }
    m_listTitle = headerTitle(m_dataFile);
    m_style = std::move(style);
    m_styleName = styleName;
    return 0;
}

PageRenderer* PrintControl::renderer() {
    if (!m_pages && m_style && !m_dataFile.isEmpty()) {
        m_pages = std::make_unique<PageRenderer>(*m_style, m_dataFile);
        m_pages->release();
    }
    return m_pages.get();
}

PageRenderer* PrintControl::pagesFor(const QPageLayout& page, const WorkProgress& progress) {
    if (!m_pages)
        return nullptr;
    if (m_pages->laidOutFor(page))
        return m_pages.get();
    return m_pages->layOut(page, progress) ? m_pages.get() : nullptr;
}

int PrintControl::PageSetup() {
    if (!m_style)
        return -1;
    QPrinter printer(QPrinter::HighResolution);
    preparePrinter(printer, *m_style, title());
    QPageSetupDialog dialog(&printer, m_parent);
    dialog.setObjectName(QStringLiteral("PrnPageSetup"));
    auto* fit = new QCheckBox(res("Tarvo.Print.fitwidth"), &dialog);
    fit->setObjectName(QStringLiteral("PrnFitWidth"));
    fit->setChecked(m_style->fitWidth);
    // Above the dialog's buttons, under the page it sets up.
    if (auto* box = qobject_cast<QBoxLayout*>(dialog.layout()))
        box->insertWidget(std::max(0, box->count() - 1), fit);
    else if (dialog.layout())
        dialog.layout()->addWidget(fit);
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    m_style->page = printer.pageLayout();
    m_style->fitWidth = fit->isChecked();
    if (m_pages)
        m_pages->setFitWidth(m_style->fitWidth);
    return 0;
}

void PrintControl::TriggerEvent(int event) {
    if (event != 0 || !m_style || !m_onStyle)
        return;
    const auto [page, columns] = m_style->split();
    m_onStyle(page, columns);
}

int PrintControl::DoPrint() {
    const HoldData hold(renderer());
    if (const auto result = BeginPrint(m_parent))
        return *result;
    return runHere();
}

int PrintControl::runHere() {
    {
        BusyCursor busy;
        RunOutput({});
    }
    return EndOutput();
}

std::optional<int> PrintControl::BeginPrint(QWidget* parent) {
    m_output.reset();
    if (!m_style)
        return 1;
    // The pages may be laid out beside the window, but their fonts are had here.
    renderer();
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    preparePrinter(*printer, *m_style, title());
    QPrintDialog dialog(printer.get(), parent);
    dialog.setObjectName(QStringLiteral("PrnPrintDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return -1;
    m_output = std::make_unique<Output>();
    m_output->printing = true;
    m_output->mend =
        printer->outputFormat() == QPrinter::PdfFormat && !printer->outputFileName().isEmpty();
    m_output->printer = std::move(printer);
    return std::nullopt;
}

void PrintControl::RunOutput(const WorkProgress& progress) {
    if (!m_output)
        return;
    if (m_output->printing)
        runPrint(progress);
    else
        runExport(progress);
}

void PrintControl::runPrint(const WorkProgress& progress) {
    Output& out = *m_output;
    PageRenderer* pages = pagesFor(out.printer->pageLayout(), progress);
    out.printed = pages && pages->render(out.printer.get(), progress) &&
                  (!out.mend || pages->glyphNames().mendFile(out.printer->outputFileName()) !=
                                    PdfGlyphNames::Mending::CannotWrite);
    out.stopped = !out.printed && progress.stopAsked && progress.stopAsked();
    // Half a document in the file chosen would pass for the list.
    if (out.stopped && out.mend)
        QFile::remove(out.printer->outputFileName());
}

void PrintControl::runExport(const WorkProgress& progress) {
    Output& out = *m_output;
    ExportJob job{out.path,   title(),  &*m_style, &out.types,
                  m_dataFile, out.rows, nullptr,   progress};
    if (out.format == ExportFormat::Pdf && !(job.pages = pagesFor(m_style->page, progress)))
        out.error = res("Tarvo.Print.baddata");
    else if (out.format == ExportFormat::Xlsx)
        out.error = writeXlsx(job);
    else if (out.format == ExportFormat::Csv)
        out.error = writeCsv(job);
    else
        out.error = writePdf(job);
    out.stopped = out.error && progress.stopAsked && progress.stopAsked();
}

int PrintControl::EndOutput() {
    const std::unique_ptr<Output> out = std::move(m_output);
    if (m_pages)
        m_pages->release();
    if (!out)
        return 1;
    if (out->printing)
        return out->stopped ? -1 : out->printed ? 0 : 1;
    if (out->stopped)
        return finishExport(Cancelled, out->path, {});
    if (out->error)
        return finishExport(Failed, out->path, *out->error);
    return finishExport(Written, out->path, {});
}

void PrintControl::printFromPreview(PrintPreviewDialog& preview) {
    if (BeginPrint(&preview))
        return;
    preview.holdForPrint();
    auto* work = new BesideWork([this](const WorkProgress& p) { RunOutput(p); }, &preview);
    QObject::connect(work, &BesideWork::ended, &preview, [this, work, &preview] {
        EndOutput();
        work->deleteLater();
        preview.printEnded();
    });
}

int PrintControl::PrintPreview() {
    if (!m_style)
        return 1;
    const HoldData hold(renderer());
    // The dialog lays the pages out as far as it shows them, and the rest while it is open.
    if (!m_pages || !m_pages->beginLayout(m_style->page))
        return 1;
    PrintPreviewDialog dialog(*m_pages, m_style->page, m_owner ? m_owner : m_parent);
    dialog.setWindowTitle(res("Tarvo.Print.preview"));
    if (const QWidget* owner = dialog.parentWidget())
        dialog.resize(owner->window()->size().expandedTo(QSize(900, 650)));
    QObject::connect(&dialog, &PrintPreviewDialog::printRequested, &dialog,
                     [&] { printFromPreview(dialog); });
    dialog.exec();
    return dialog.failed() ? 1 : 0;
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
    dialog.selectFile(title() + QStringLiteral(".xlsx"));
    while (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
        const QString chosen = dialog.selectedFiles().constFirst();
        // A wildcard typed as a name would become a file no other program opens by name.
        static const QRegularExpression wildcards(QStringLiteral("[*?\\[\\]]"));
        const QString name = QFileInfo(chosen).fileName();
        if (!name.contains(wildcards))
            return chosen;
        QMessageBox::warning(&dialog, dialog.windowTitle(),
                             res("Tarvo.Print.wildcardname", {name}));
    }
    return {};
}

QString PrintControl::title() const {
    // As the pages head it: the style's own title, else the list's.
    if (!m_style->title.isEmpty())
        return m_style->title;
    return m_listTitle.isEmpty() ? m_style->archive : m_listTitle;
}

int PrintControl::finishExport(int result, const QString& path, const QString& error) {
    lastExportOutcome() = {result, path, error};
    return result;
}

int PrintControl::ExportToFile(qint32& flags, QString& columnTypes, QString& columnSizes,
                               const QString& fileName, const QString& fileType) {
    const HoldData hold(m_pages.get());
    if (const auto result = BeginExport(flags, columnTypes, columnSizes, fileName, fileType))
        return *result;
    return runHere();
}

std::optional<int> PrintControl::BeginExport(qint32& flags, QString& columnTypes,
                                             QString& columnSizes, const QString& fileName,
                                             const QString& fileType) {
    m_output.reset();
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
    flags = *format == ExportFormat::Xlsx ? 1 : *format == ExportFormat::Csv ? 2 : 3;
    // A PDF's pages may be laid out beside the window, but their fonts are had here.
    if (*format == ExportFormat::Pdf)
        renderer();
    m_output = std::make_unique<Output>();
    m_output->format = *format;
    m_output->types = *types;
    m_output->path = path;
    return std::nullopt;
}

int PrintControl::ExportList(const PrintedList& list, const PrintedListStyle& style,
                             const QString& fileName) {
    m_output.reset();
    dropData();
    qint64 rows = 0;
    m_style = PrintStyle::fromXml(style.styleXml);
    m_listTitle = list.archiveName;
    // What the list throws ends the rows as a failed read would, so that the writer leaves no
    // file behind; it is passed on once the writer is done.
    std::exception_ptr thrown;
    // A list without rows is refused whole: its file of captions alone is not kept.
    bool empty = false;
    const ExportRowSource read = listRows(list, style.rowNumbers, rows);
    const ExportRowSource listed = [&](const auto& eachRow) {
        try {
            const bool all = read(eachRow);
            empty = all && rows == 0;
            return all && !empty;
        } catch (...) {
            thrown = std::current_exception();
            return false;
        }
    };
    const QString path = fileName.isEmpty() ? unattendedExportPath() : fileName;
    const auto passOn = [&] {
        m_output.reset();
        finishExport(Failed, path, {});
        std::rethrow_exception(thrown);
    };
    if (m_style && exportFormatOf(path) == ExportFormat::Pdf) {
        // Pages are laid out from print data, read again for each page.
        const PrintDataHeader header{list.archiveName, list.accId, list.userId, list.userName,
                                     QDate::currentDate().toString(Qt::ISODate)};
        m_dataFile = writePrintDataFile(header, m_style->columns.size(), [&](PrintDataWriter& w) {
            return listed([&](const PrintDataCells& cells) {
                w.beginRow();
                for (const QByteArrayView cell : cells)
                    w.writeCellUtf8(cell);
                w.endRow();
                return true;
            });
        });
        m_ownsDataFile = true;
        if (thrown)
            passOn();
        if (empty)
            return finishExport(kEmptyList, path, {});
    }
    qint32 flags = 0;
    QString types = style.columnTypes;
    QString sizes = style.columnSizes;
    if (const auto result = BeginExport(flags, types, sizes, path, {}))
        return *result;
    if (m_dataFile.isEmpty())
        m_output->rows = listed;
    // The source reads through this call's own state.
    const auto forgotten = qScopeGuard([this] {
        if (m_output)
            m_output->rows = {};
    });
    {
        BusyCursor busy;
        RunOutput({});
    }
    if (thrown)
        passOn();
    if (empty) {
        m_output.reset();
        return finishExport(kEmptyList, path, {});
    }
    return EndOutput();
}

} // namespace tarvo::suite
