#include "ListRows.h"

#include "XmlUtf8.h"

namespace tarvo::suite {

namespace {

/// The cell appended to row from its byte at, made what print data carries.
void carryCell(QByteArray& row, qsizetype at) {
    const QByteArrayView cell = QByteArrayView(row).sliced(at);
    if (isPlainXmlUtf8(cell) && cell.isValidUtf8())
        return;
    const QByteArray text =
        cell.isValidUtf8() ? cell.toByteArray() : QString::fromUtf8(cell).toUtf8();
    row.truncate(at);
    appendXmlCarriedUtf8(row, text);
}

} // namespace

ExportRowSource listRows(const PrintedList& list, bool numbered, qint64& rows) {
    return [&list, numbered, &rows](const std::function<bool(const PrintDataCells&)>& eachRow) {
        // One buffer for every row: the cells are views of it, made once it has stopped growing.
        QByteArray bytes;
        QVarLengthArray<qsizetype, 32> ends;
        PrintDataCells cells;
        bool goOn = true;
        list.forEachRow([&](const PrintedRow& row) {
            bytes.resize(0);
            ends.clear();
            if (numbered) {
                bytes.setNum(rows + 1);
                ends.push_back(bytes.size());
            }
            for (int c = 0; c < list.columns.size(); ++c) {
                const qsizetype at = bytes.size();
                row.appendCell(c, bytes);
                carryCell(bytes, at);
                ends.push_back(bytes.size());
            }
            cells.clear();
            qsizetype from = 0;
            for (const qsizetype end : ends) {
                cells.push_back(QByteArrayView(bytes).sliced(from, end - from));
                from = end;
            }
            ++rows;
            goOn = eachRow(cells);
            return goOn;
        });
        return goOn;
    };
}

} // namespace tarvo::suite
