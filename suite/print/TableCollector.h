#pragma once

#include <QStringList>
#include <QVector>

namespace tarvo::suite {

/// Rows of cell texts, or why the file is no readable table.
struct TableText {
    QVector<QStringList> rows;
    QString error;
    /// The reader was asked to stop before the end.
    bool stopped = false;
};

/// The rows of a table as a reader finds them, kept within what the file really holds: the
/// first row with any text is the caption row, and only the columns it gives a caption are
/// kept, so that a single cell far to the right does not widen every row. Files larger than a
/// list of banks or accounts could ever be are refused as too large (“太大”) with the limit
/// they passed, before they take the memory.
class TableCollector {
public:
    static constexpr qint64 kMaxCells = 3'000'000;
    static constexpr qint64 kMaxTextChars = 64LL * 1024 * 1024;
    static constexpr qsizetype kMaxCellChars = 32767;
    static constexpr qsizetype kMaxCaptions = 1024;
    static constexpr qint64 kMaxColumns = 16384;

    /// Starts the row numbered number (from 1); rows passed over are blank. False when the
    /// table has grown too large.
    bool startRow(qint64 number);
    /// A cell of the current row at a column counted from 0. False when it passes a limit.
    bool cell(qint64 column, const QString& text);
    /// False when the row was the caption row and had too many captions.
    bool endRow();
    /// Ends the reading with the reason, unless it ended already.
    void fail(const QString& why);
    const QString& error() const { return m_error; }
    /// The rows, or nothing and the first error.
    TableText take();

    /// Why a file too large to import was refused; shared by the readers. Rows count from 1,
    /// columns from 0, named by their letters as a spreadsheet shows them.
    static QString cellTooLong(qint64 row, qint64 column);
    static QString tooManyTexts();
    /// A column's letters: "A" for 0, "XFD" for 16383.
    static QString columnName(qint64 column);

private:
    QVector<QStringList> m_rows;
    /// Columns of the file, ascending, that the caption row gives a caption.
    QVector<qint64> m_columns;
    bool m_captioned = false;
    /// The caption row's cells with text, while it is read.
    QVector<QPair<qint64, QString>> m_captions;
    qint64 m_cells = 0;
    qint64 m_chars = 0;
    QString m_error;

    bool spend(qint64 cells, qint64 chars);
};

} // namespace tarvo::suite
