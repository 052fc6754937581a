// The list as a workbook for spreadsheets: codes and account numbers stay texts, amounts and
// dates are numbers with their formats. Rows go to disk as they are written (constant memory),
// which makes every text an inline string.
#include "ExportColumns.h"
#include "ExportRows.h"
#include "PendingFile.h"
#include "XlsxWidths.h"

#include <QCoreApplication>
#include <QHash>
#include <QRegularExpression>
#include <QStringEncoder>

#include <xlsxwriter.h>

#include <vector>

namespace tarvo::suite {

namespace {

/// What one cell holds at most, in characters.
constexpr int kMaxCellChars = 32767;

QString tr(const char* text) {
    return QCoreApplication::translate("tarvo::suite::TableExport", text);
}

/// A name a workbook takes for its sheet: none of the characters it refuses, no apostrophe at
/// either end, at most 31 characters.
QString sheetNameOf(const QString& name) {
    QString sheet = name;
    sheet.remove(QRegularExpression(QStringLiteral("[\\[\\]:*?/\\\\]")));
    sheet = sheet.left(31).trimmed();
    while (sheet.startsWith(u'\'') || sheet.endsWith(u'\''))
        sheet = sheet.startsWith(u'\'') ? sheet.mid(1).trimmed() : sheet.chopped(1).trimmed();
    return sheet.isEmpty() ? QStringLiteral("Sheet1") : sheet;
}

QString numberFormat(const ExportColumn& column) {
    if (column.kind == ExportColumn::Date)
        return QStringLiteral("yyyy-mm-dd");
    if (column.kind == ExportColumn::Text)
        return QStringLiteral("@");
    if (column.decimals < 0)
        return QStringLiteral("General");
    const QString whole = column.grouped ? QStringLiteral("#,##0") : QStringLiteral("0");
    return column.decimals == 0 ? whole : whole + u'.' + QString(column.decimals, u'0');
}

/// NUL-terminated UTF-8 of a text, in one buffer kept from cell to cell.
class Utf8Buffer {
public:
    const char* of(QStringView text) {
        const size_t need = size_t(m_encoder.requiredSpace(text.size())) + 1;
        if (m_bytes.size() < need)
            m_bytes.resize(need);
        *m_encoder.appendToBuffer(m_bytes.data(), text) = '\0';
        return m_bytes.data();
    }
    const char* of(const QString& text) { return of(QStringView(text)); }
    const char* of(QByteArrayView utf8) {
        if (m_bytes.size() < size_t(utf8.size()) + 1)
            m_bytes.resize(size_t(utf8.size()) + 1);
        std::copy(utf8.begin(), utf8.end(), m_bytes.begin());
        m_bytes[size_t(utf8.size())] = '\0';
        return m_bytes.data();
    }

private:
    std::vector<char> m_bytes;
    QStringEncoder m_encoder{QStringEncoder::Utf8, QStringConverter::Flag::Stateless};
};

/// Gives each column its format and the width of what it holds. The library writes the
/// columns' widths when it closes the workbook, also in constant-memory mode, so they can wait
/// for the last row.
void setColumns(lxw_worksheet* sheet, const QVector<lxw_format*>& formats,
                const XlsxWidths& widths) {
    for (qsizetype i = 0; i < formats.size(); ++i)
        worksheet_set_column(sheet, lxw_col_t(i), lxw_col_t(i), widths.width(int(i)), formats[i]);
}

/// The sheet with its caption row and one format per column.
struct Sheet {
    lxw_worksheet* sheet = nullptr;
    QVector<lxw_format*> formats;
};

Sheet startSheet(lxw_workbook* book, const ExportJob& job, const QVector<ExportColumn>& columns,
                 Utf8Buffer& utf8) {
    Sheet out;
    out.sheet = workbook_add_worksheet(book, utf8.of(sheetNameOf(job.sheetName)));
    if (!out.sheet)
        return out;
    lxw_format* head = workbook_add_format(book);
    format_set_bold(head);
    format_set_bg_color(head, 0xE8E8E8);
    format_set_align(head, LXW_ALIGN_CENTER);
    // Columns with the same number format share one format: the library looks a format that
    // repeats another one up in its table again at every cell, which took a third of its time.
    QHash<QString, lxw_format*> byNumberFormat;
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const QString numbers = numberFormat(columns[i]);
        lxw_format*& f = byNumberFormat[numbers];
        if (!f) {
            f = workbook_add_format(book);
            format_set_num_format(f, utf8.of(numbers));
        }
        out.formats << f;
        worksheet_write_string(out.sheet, 0, lxw_col_t(i), utf8.of(job.style->columns[i].caption),
                               head);
    }
    worksheet_freeze_panes(out.sheet, 1, 0);
    // Printed from the spreadsheet, the sheet follows the list's own page set-up, with the
    // caption row atop every page.
    if (job.style->page.orientation() == QPageLayout::Landscape)
        worksheet_set_landscape(out.sheet);
    if (job.style->fitWidth)
        worksheet_fit_to_pages(out.sheet, 1, 0);
    worksheet_repeat_rows(out.sheet, 0, 0);
    return out;
}

QString cellRefused(lxw_error error, lxw_row_t row, const QString& caption) {
    if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
        return tr("第 %1 行“%2”的文字超过一个单元格最多能容纳的 %3 个字符，请改存为 .csv 文件")
            .arg(row)
            .arg(caption)
            .arg(kMaxCellChars);
    return QString::fromUtf8(lxw_strerror(error));
}

} // namespace

std::optional<QString> writeXlsx(const ExportJob& job) {
    PendingFile pending(job.path);
    if (auto error = pending.open())
        return error;
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    const QByteArray tmpName = QFile::encodeName(pending.name());
    lxw_workbook* book = workbook_new_opt(tmpName.constData(), &options);
    if (!book)
        return tr("无法建立工作簿");
    const QVector<ExportColumn> columns = exportColumns(job);
    Utf8Buffer utf8;
    const Sheet sheet = startSheet(book, job, columns, utf8);
    if (!sheet.sheet) {
        workbook_close(book);
        return tr("无法建立工作簿");
    }

    QStringList captions;
    for (const PrintColumn& c : job.style->columns)
        captions << c.caption;
    XlsxWidths widths(captions);
    std::optional<QString> refused;
    lxw_row_t row = 1;
    const bool readable = forEachRow(job, [&](const PrintDataCells& cells) {
        // Checked before the row: a row of blank cells past the end would vanish unreported.
        if (row >= LXW_ROW_MAX) {
            refused = tr("清单超过一个工作表最多能容纳的 %1 行，请改存为 .csv 文件")
                          .arg(LXW_ROW_MAX - 1);
            return false;
        }
        const qsizetype n = std::min(cells.size(), columns.size());
        for (qsizetype i = 0; i < n; ++i) {
            const QByteArrayView text = cells[i];
            if (text.isEmpty())
                continue;
            const auto col = lxw_col_t(i);
            lxw_format* f = sheet.formats[i];
            const CellValue value = cellValue(columns[i].kind, text);
            lxw_error error = LXW_NO_ERROR;
            if (value.kind == CellValue::Number) {
                error = worksheet_write_number(sheet.sheet, row, col, value.number, f);
                widths.seeNumber(int(i), value.number, columns[i].decimals, columns[i].grouped);
            } else if (value.kind == CellValue::Date) {
                lxw_datetime dt{value.date.year(), value.date.month(), value.date.day(), 0, 0, 0};
                error = worksheet_write_datetime(sheet.sheet, row, col, &dt, f);
                widths.seeDate(int(i));
            } else {
                error = worksheet_write_string(sheet.sheet, row, col, utf8.of(text), f);
                widths.seeText(int(i), text);
            }
            if (error != LXW_NO_ERROR) {
                refused = cellRefused(error, row, job.style->columns[i].caption);
                return false;
            }
        }
        ++row;
        return true;
    });
    setColumns(sheet.sheet, sheet.formats, widths);
    const lxw_error closed = workbook_close(book);
    if (!readable)
        return unreadableDataError();
    if (refused)
        return refused;
    if (closed != LXW_NO_ERROR)
        return QString::fromUtf8(lxw_strerror(closed));
    return pending.commit();
}

} // namespace tarvo::suite
