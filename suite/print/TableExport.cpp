#include "TableExport.h"

#include "AdoTypes.h"
#include "EventPump.h"
#include "PageRenderer.h"
#include "PrintData.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

namespace tarvo::suite {

namespace {

constexpr int kMaxXlsxWidth = 60;

QString csvField(const QString& text) {
    static const QString special = QStringLiteral(",\"\r\n");
    bool quote = false;
    for (QChar c : text)
        quote = quote || special.contains(c);
    if (!quote)
        return text;
    QString escaped = text;
    escaped.replace(u'"', QStringLiteral("\"\""));
    return u'"' + escaped + u'"';
}

QString csvValue(const ExportCell& cell, int decimals) {
    switch (cell.kind) {
    case ExportCell::Number:
        // No thousands separators: the file's readers take a comma for the next field.
        return decimals < 0 ? QString::number(cell.number, 'g', 17)
                            : QString::number(cell.number, 'f', decimals);
    case ExportCell::Date:
        return cell.date.toString(Qt::ISODate);
    case ExportCell::Text:
        return csvField(neutraliseFormula(cell.text));
    case ExportCell::Blank:
        break;
    }
    return {};
}

QString sheetNameOf(const QString& name) {
    QString sheet = name;
    sheet.remove(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")));
    sheet = sheet.left(31).trimmed();
    return sheet.isEmpty() ? QStringLiteral("Sheet1") : sheet;
}

QString numberFormat(int decimals) {
    if (decimals < 0)
        return QStringLiteral("General");
    return decimals == 0 ? QStringLiteral("#,##0")
                         : QStringLiteral("#,##0.") + QString(decimals, u'0');
}

/// Characters of an xlsx column for a field: the caption, or the values' size, within reason.
double xlsxWidth(const PrintColumn& column, int size) {
    int chars = 0;
    for (QChar c : column.caption)
        chars += c.unicode() >= 0x2E80 ? 2 : 1;
    return std::clamp(std::max(chars, std::min(size, 40)) + 2, 6, kMaxXlsxWidth);
}

/// A temporary file beside the target, renamed over it once written.
class PendingFile {
public:
    explicit PendingFile(const QString& path)
        : m_path(path), m_tmp(QFileInfo(path).absoluteDir().filePath(
                            QStringLiteral(".%1.XXXXXX").arg(QFileInfo(path).fileName()))) {}
    std::optional<QString> open() {
        if (!m_tmp.open())
            return m_tmp.errorString();
        m_tmp.close();
        return std::nullopt;
    }
    QString name() const { return m_tmp.fileName(); }
    std::optional<QString> commit() {
        // The temporary file is owner-only while it fills; the finished one gets the mode the
        // file it replaces had, or, when new, what the user's umask gives new files.
        if (::chmod(QFile::encodeName(m_tmp.fileName()).constData(), finalMode()) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        if (std::rename(QFile::encodeName(m_tmp.fileName()).constData(),
                        QFile::encodeName(m_path).constData()) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
        m_tmp.setAutoRemove(false);
        return std::nullopt;
    }

private:
    QString m_path;
    QTemporaryFile m_tmp;

    mode_t finalMode() const {
        struct stat existing {};
        if (::stat(QFile::encodeName(m_path).constData(), &existing) == 0)
            return existing.st_mode & 0777;
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return 0666 & ~mask;
    }
};

QString dataError() {
    return QCoreApplication::translate("tarvo::suite::TableExport", "打印数据无法读取");
}

} // namespace

std::optional<ExportFormat> exportFormatOf(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == u"xlsx")
        return ExportFormat::Xlsx;
    if (suffix == u"csv")
        return ExportFormat::Csv;
    if (suffix == u"pdf")
        return ExportFormat::Pdf;
    return std::nullopt;
}

std::optional<ExportColumnTypes> ExportColumnTypes::parse(const QString& types,
                                                          const QString& sizes) {
    ExportColumnTypes out;
    const QStringList t = types.split(u',', Qt::SkipEmptyParts);
    const QStringList s = sizes.split(u',', Qt::SkipEmptyParts);
    if (t.isEmpty() || t.size() != s.size())
        return std::nullopt;
    for (int i = 0; i < t.size(); ++i) {
        bool okType = false;
        bool okSize = false;
        out.types << t[i].trimmed().toInt(&okType);
        out.sizes << s[i].trimmed().toInt(&okSize);
        if (!okType || !okSize)
            return std::nullopt;
    }
    return out;
}

ExportCell exportCell(int adoType, const QString& text) {
    ExportCell cell;
    cell.text = text;
    if (text.isEmpty())
        return cell;
    cell.kind = ExportCell::Text;
    if (ado::isNumeric(adoType)) {
        if (const auto v = parseNumber(text)) {
            cell.kind = ExportCell::Number;
            cell.number = *v;
        }
    } else if (ado::isDate(adoType)) {
        const QDate d = QDate::fromString(text.left(10), Qt::ISODate);
        if (d.isValid() && (text.size() == 10 || text.mid(10).trimmed() == u"00:00:00")) {
            cell.kind = ExportCell::Date;
            cell.date = d;
        }
    }
    return cell;
}

QString neutraliseFormula(const QString& text) {
    if (text.isEmpty())
        return text;
    const QChar c = text.front();
    if (c == u'=' || c == u'+' || c == u'-' || c == u'@' || c == u'\t' || c == u'\r')
        return u'\'' + text;
    return text;
}

std::optional<QString> writeCsv(const ExportJob& job) {
    QSaveFile file(job.path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    const auto write = [&](const QString& line) { file.write(line.toUtf8()); };
    // The byte-order mark tells spreadsheet programs the file is UTF-8, so Chinese survives.
    file.write("\xEF\xBB\xBF");
    QStringList fields;
    for (const PrintColumn& c : job.style->columns)
        fields << csvField(neutraliseFormula(c.caption));
    write(fields.join(u',') + QStringLiteral("\r\n"));
    PrintDataFileReader reader(job.dataFile);
    PrintDataHeader header;
    if (!reader.readHeader(header))
        return dataError();
    QStringList cells;
    while (reader.next(cells)) {
        fields.clear();
        for (int i = 0; i < cells.size(); ++i)
            fields << csvValue(exportCell(job.types->types.value(i), cells[i]),
                               job.style->columns.value(i).decimals);
        write(fields.join(u',') + QStringLiteral("\r\n"));
    }
    if (reader.hasError())
        return dataError();
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

std::optional<QString> writeXlsx(const ExportJob& job) {
    PendingFile pending(job.path);
    if (auto error = pending.open())
        return error;
    lxw_workbook_options options{};
    // Rows go to disk as they are written instead of being held until the end.
    options.constant_memory = LXW_TRUE;
    const QByteArray tmpName = QFile::encodeName(pending.name());
    lxw_workbook* book = workbook_new_opt(tmpName.constData(), &options);
    if (!book)
        return QCoreApplication::translate("tarvo::suite::TableExport", "无法建立工作簿");
    lxw_worksheet* sheet =
        workbook_add_worksheet(book, sheetNameOf(job.sheetName).toUtf8().constData());
    lxw_format* head = workbook_add_format(book);
    format_set_bold(head);
    format_set_bg_color(head, 0xE8E8E8);
    format_set_align(head, LXW_ALIGN_CENTER);
    const auto& columns = job.style->columns;
    QVector<lxw_format*> formats;
    for (int i = 0; i < columns.size(); ++i) {
        lxw_format* f = workbook_add_format(book);
        const int type = job.types->types.value(i);
        if (ado::isNumeric(type))
            format_set_num_format(f, numberFormat(columns[i].decimals).toUtf8().constData());
        else if (ado::isDate(type))
            format_set_num_format(f, "yyyy-mm-dd");
        else
            format_set_num_format(f, "@");
        formats << f;
        worksheet_set_column(sheet, lxw_col_t(i), lxw_col_t(i),
                             xlsxWidth(columns[i], job.types->sizes.value(i)), f);
        worksheet_write_string(sheet, 0, lxw_col_t(i), columns[i].caption.toUtf8().constData(),
                               head);
    }
    worksheet_freeze_panes(sheet, 1, 0);

    PrintDataFileReader reader(job.dataFile);
    PrintDataHeader header;
    bool readable = reader.readHeader(header);
    QStringList cells;
    lxw_row_t row = 1;
    while (readable && reader.next(cells)) {
        for (int i = 0; i < cells.size(); ++i) {
            const ExportCell cell = exportCell(job.types->types.value(i), cells[i]);
            const auto col = lxw_col_t(i);
            lxw_format* f = formats.value(i);
            switch (cell.kind) {
            case ExportCell::Number:
                worksheet_write_number(sheet, row, col, cell.number, f);
                break;
            case ExportCell::Date: {
                lxw_datetime dt{cell.date.year(), cell.date.month(), cell.date.day(), 0, 0, 0};
                worksheet_write_datetime(sheet, row, col, &dt, f);
                break;
            }
            case ExportCell::Text:
                worksheet_write_string(sheet, row, col, cell.text.toUtf8().constData(), f);
                break;
            case ExportCell::Blank:
                break;
            }
        }
        ++row;
    }
    readable = readable && !reader.hasError();
    const lxw_error closed = workbook_close(book);
    if (!readable)
        return dataError();
    if (closed != LXW_NO_ERROR)
        return QString::fromUtf8(lxw_strerror(closed));
    return pending.commit();
}

std::optional<QString> writePdf(const ExportJob& job) {
    if (!job.pages)
        return dataError();
    PendingFile pending(job.path);
    if (auto error = pending.open())
        return error;
    EventPump pump;
    {
        QPdfWriter pdf(pending.name());
        pdf.setResolution(int(PageRenderer::kDpi));
        pdf.setTitle(job.sheetName);
        pdf.setCreator(QStringLiteral("TarvoArchive"));
        pdf.setPageLayout(job.style->page);
        if (!job.pages->render(&pdf, std::ref(pump)))
            return dataError();
    }
    if (!job.pages->glyphNames().mendFile(pending.name(), std::ref(pump)))
        return QCoreApplication::translate("tarvo::suite::TableExport", "无法写入文件");
    return pending.commit();
}

} // namespace tarvo::suite
