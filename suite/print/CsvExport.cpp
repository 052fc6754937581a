// The list as a .csv file for other programs: UTF-8 with a byte-order mark, fields quoted as
// RFC 4180 says, numbers plain, dates ISO, texts that look like formulas made plainly texts.
#include "ExportColumns.h"
#include "ExportRows.h"

#include <QSaveFile>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tarvo::suite {

namespace {

/// Bytes on their way into a file, handed over in large blocks rather than field by field.
/// A failed write is remembered by the file and reported when it is committed.
class ByteSink {
public:
    explicit ByteSink(QIODevice& device) : m_device(device), m_bytes(kBlock) {}

    void put(char c) {
        *room(1) = c;
        ++m_used;
    }
    void put(const char* from, const char* to) {
        std::copy(from, to, room(to - from));
        m_used += to - from;
    }
    void put(QByteArrayView bytes) { put(bytes.data(), bytes.data() + bytes.size()); }
    void flush() {
        m_device.write(m_bytes.data(), m_used);
        m_used = 0;
    }

private:
    static constexpr qsizetype kBlock = qsizetype(1) << 16;
    QIODevice& m_device;
    std::vector<char> m_bytes;
    qsizetype m_used = 0;

    char* room(qsizetype n) {
        if (m_used + n > qsizetype(m_bytes.size())) {
            flush();
            if (n > qsizetype(m_bytes.size()))
                m_bytes.resize(size_t(n));
        }
        return m_bytes.data() + m_used;
    }
};

/// Whether a spreadsheet program would take a text starting with c for a formula.
bool startsFormula(char c) {
    return c == '=' || c == '+' || c == '-' || c == '@' || c == '\t' || c == '\r';
}

void putText(ByteSink& out, QByteArrayView text) {
    const bool quoted = std::any_of(text.begin(), text.end(), [](char c) {
        return c == ',' || c == '"' || c == '\r' || c == '\n';
    });
    if (quoted)
        out.put('"');
    // The apostrophe keeps a spreadsheet from evaluating the text; programs see it as written.
    if (!text.isEmpty() && startsFormula(text.front()))
        out.put('\'');
    if (quoted) {
        qsizetype from = 0;
        for (qsizetype at = text.indexOf('"'); at >= 0; at = text.indexOf('"', from)) {
            out.put(text.sliced(from, at + 1 - from));
            out.put('"');
            from = at + 1;
        }
        text = text.sliced(from);
    }
    out.put(text);
    if (quoted)
        out.put('"');
}

void putDate(ByteSink& out, QDate date) {
    char text[16];
    if (date.year() > 0 && date.year() <= 9999) {
        const int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year(),
                                    date.month(), date.day());
        out.put(text, text + n);
    } else {
        out.put(QByteArrayView(date.toString(Qt::ISODate).toUtf8()));
    }
}

} // namespace

std::optional<QString> writeCsv(const ExportJob& job) {
    QSaveFile file(job.path);
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString();
    ByteSink out(file);
    // The byte-order mark tells spreadsheet programs the file is UTF-8, so Chinese survives.
    out.put("\xEF\xBB\xBF");
    const QVector<ExportColumn> columns = exportColumns(job);
    for (qsizetype i = 0; i < columns.size(); ++i) {
        if (i > 0)
            out.put(',');
        putText(out, job.style->columns[i].caption.toUtf8());
    }
    out.put("\r\n");
    char number[kNumberChars];
    const bool readable = forEachRow(job, [&](const PrintDataCells& cells) {
        // Every line has a field for every column, however many cells the row brought.
        for (qsizetype i = 0; i < columns.size(); ++i) {
            if (i > 0)
                out.put(',');
            if (i >= cells.size() || cells[i].isEmpty())
                continue;
            const CellValue value = cellValue(columns[i].kind, cells[i]);
            if (value.kind == CellValue::Number)
                out.put(number, formatCsvNumber(number, value.number, columns[i].decimals));
            else if (value.kind == CellValue::Date)
                putDate(out, value.date);
            else
                putText(out, cells[i]);
        }
        out.put("\r\n");
        return true;
    });
    if (!readable)
        return unreadableDataError();
    out.flush();
    if (!file.commit())
        return file.errorString();
    return std::nullopt;
}

} // namespace tarvo::suite
