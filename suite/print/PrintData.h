#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>

#include <functional>

namespace tarvo::suite {

/// What every printed page names besides the rows: the list, the account, who printed and when.
struct PrintDataHeader {
    QString title;
    QString account;
    QString userId;
    QString userName;
    QString date;
};

/// Writes the data XML of a print: the header, then one row at a time, each on a line of its
/// own, so that a long list is never held while it is written.
class PrintDataWriter {
public:
    /// Into a text, whole once finish() is called.
    PrintDataWriter(QString* out, const PrintDataHeader& header);
    /// Into a device (a file), as UTF-8.
    PrintDataWriter(QIODevice* out, const PrintDataHeader& header);
    void writeRow(const QStringList& cells);
    void beginRow();
    void writeCell(QStringView text);
    /// The same, given as UTF-8 (anything that is not UTF-8 is marked as a QString would).
    void writeCellUtf8(QByteArrayView text);
    /// A cell's text appended by the caller as UTF-8 (valid: a string's) to the buffer
    /// returned, then escaped where it lies by endCellUtf8(): what writeCellUtf8 does, without
    /// a copy in between.
    QByteArray& beginCellUtf8();
    void endCellUtf8();
    void endRow();
    /// False when the device refused what was written.
    bool finish();

private:
    QString* m_text = nullptr;
    QIODevice* m_device = nullptr;
    QByteArray m_buffer;
    qsizetype m_cellAt = 0;
    bool m_failed = false;

    void begin(const PrintDataHeader& header);
    void flush();
};

/// One row's cells as UTF-8, pointing into the reader's buffer: valid until it reads on.
using PrintDataCells = QVarLengthArray<QByteArrayView, 32>;

/// Reads a print data file in one pass, as the print data writer lays it out (or any XML of the
/// same elements): header, rows, cells. Anything else is an error, and so is text that is not
/// UTF-8 or holds characters XML cannot carry. Each row's byte offset is known, so that a page
/// can later read its own rows again from there.
class PrintDataFileReader {
public:
    explicit PrintDataFileReader(const QString& path);
    /// False when the file cannot be read or is not print data.
    bool readHeader(PrintDataHeader& header);
    /// The next row's cells; false at the end or on malformed data (then hasError()).
    bool next(QStringList& cells);
    /// The same as UTF-8, for callers that write bytes anyway.
    bool next(PrintDataCells& cells);
    /// Reads the rest of the rows only to check them: each is well-formed and has `columns`
    /// cells. tick is called between rows.
    bool checkRows(qsizetype columns, const std::function<void()>& tick = {});
    bool hasError() const { return m_error; }
    /// Where the row next() returned last begins in the file.
    qint64 rowOffset() const { return m_rowOffset; }
    /// Goes on reading from a row's offset, once the header has been read (opening the file
    /// again after close()).
    bool seek(qint64 rowOffset);
    void close() { m_file.close(); }

private:
    /// A cell read: bytes of the buffer, or of m_decoded when it held references or CRs.
    struct Span {
        bool decoded;
        qsizetype at;
        qsizetype size;
    };

    QFile m_file;
    QByteArray m_buf;
    qsizetype m_at = 0;
    qint64 m_bufStart = 0;
    qint64 m_rowOffset = 0;
    /// Where, in the file, the last row found whole in the buffer ends, and how far the
    /// search for a row's end has looked.
    qint64 m_rowEnd = 0;
    qint64 m_searched = 0;
    bool m_error = false;
    bool m_ended = false;
    QVarLengthArray<Span, 32> m_spans;
    QByteArray m_decoded;

    bool fill();
    int peek(qsizetype ahead = 0);
    bool take(const char* literal);
    void skipSpace();
    bool fail();
    bool readValue(QByteArray& out, char quote);
    bool readName(QByteArray& out);
    bool readAttributes(PrintDataHeader& header, bool& empty);
    /// Reads the next row into m_spans; false at the end or on an error.
    bool readRow();
    void bufferRow();
    bool readCells(const char* p, const char* end);
};

/// A new, empty file for print data in this process's private temporary folder (owner-only,
/// removed when the process ends); the caller removes the file when done. Empty on failure.
QString newPrintDataFile();

} // namespace tarvo::suite
