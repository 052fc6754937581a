#pragma once

#include <QString>

class QFile;

#include <memory>
#include <vector>

namespace tarvo {

/// The cells of a query result kept column by column, in the form the engine delivered them:
/// null, integer, real or UTF-8 text. A column is a run of bytes plus one 32-bit word per cell,
/// so a long list costs little more than its own text; nothing is converted until a cell is
/// read. Both live in blocks of one size, never reallocated: a refresh reuses the memory the
/// list before it gave back, and the heap does not grow from one refresh to the next.
class ColumnStore {
public:
    enum class Kind : unsigned char { Null, Integer, Real, Text };

    explicit ColumnStore(int columns = 0);
    ColumnStore(ColumnStore&&) noexcept;
    ColumnStore& operator=(ColumnStore&&) noexcept;
    ~ColumnStore();

    int columnCount() const;
    int rowCount() const { return m_rows; }

    /// Appending: each row gives every column one cell, in column order, then endRow().
    void addNull(int col);
    void addInteger(int col, qint64 value);
    void addReal(int col, double value);
    void addText(int col, const char* utf8, qsizetype size);
    void endRow() { ++m_rows; }

    Kind kind(int row, int col) const;
    qint64 integer(int row, int col) const;
    double real(int row, int col) const;
    QString text(int row, int col) const;
    /// Appends a cell's bytes as stored (a text cell's UTF-8).
    void appendBytes(int row, int col, QByteArray& out) const;
    /// A store of its own holding copies of the first rows.
    ColumnStore head(int rows) const;

    /// Moving a long result out of memory, for a list kept on screen while the next one is
    /// read: writeTo writes the cells' full-size blocks to file (on any thread, while nobody
    /// appends); readFrom, called where the store is read, then reads those blocks through a
    /// mapping of the file and gives their memory back. The file stays open with the store.
    /// False when the file could not be written or mapped: the store is as it was.
    bool writeTo(QFile& file) const;
    bool readFrom(std::unique_ptr<QFile> file);
    /// Bytes held, for the benchmarks.
    qsizetype bytes() const;

private:
    struct Column;
    /// The file the full-size blocks are read from after readFrom, else null.
    std::unique_ptr<QFile> m_file;
    /// Held by value: a one-row result (the card's record) allocates little per column.
    std::vector<Column> m_columns;
    /// The first, smallest blocks of every column in one allocation: a short result (the
    /// card's record) takes one allocation however many columns it has.
    std::unique_ptr<char[]> m_firstBlocks;
    int m_rows = 0;

    void add(int col, Kind kind, const char* bytes, qsizetype size);
    char* firstDataBlock(int col);
    quint32* firstWordBlock(int col);
    /// Copies the cell's bytes to out (which holds at least 8) when they are no longer than
    /// that; returns their size.
    qsizetype copyOut(int row, int col, char* out, qsizetype room) const;
};

} // namespace tarvo
