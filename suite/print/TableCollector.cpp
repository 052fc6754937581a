#include "TableCollector.h"

#include <QCoreApplication>

#include <algorithm>

namespace tarvo::suite {

bool TableCollector::startRow(qint64 number) {
    if (!m_error.isEmpty())
        return false;
    // A row costs a cell even when blank: a file of line breaks must not make a million
    // empty rows for free.
    const qint64 added = number - m_rows.size();
    if (added < 1) {
        fail(QCoreApplication::translate("tarvo::suite::TableReader",
                                         "文件已损坏：第 %1 行出现在第 %2 行之后")
                 .arg(number)
                 .arg(m_rows.size()));
        return false;
    }
    if (!spend(added, 0))
        return false;
    m_rows.resize(number);
    return true;
}

bool TableCollector::cell(qint64 column, const QString& text) {
    if (!m_error.isEmpty())
        return false;
    if (text.size() > kMaxCellChars) {
        fail(cellTooLong(m_rows.size(), column));
        return false;
    }
    const bool blank = text.trimmed().isEmpty();
    if (column >= kMaxColumns) {
        if (blank)
            return true;
        fail(
            QCoreApplication::translate("tarvo::suite::TableReader", "文件太大：第 %1 行超过 %2 栏")
                .arg(m_rows.size())
                .arg(kMaxColumns));
        return false;
    }
    if (!m_captioned) {
        if (blank)
            return true;
        if (m_captions.size() >= kMaxCaptions) {
            fail(QCoreApplication::translate("tarvo::suite::TableReader",
                                             "文件太大：栏目名称行最多 %1 栏，此文件更多")
                     .arg(kMaxCaptions));
            return false;
        }
        m_captions.append({column, text});
        return spend(1, text.size());
    }
    const auto it = std::lower_bound(m_columns.cbegin(), m_columns.cend(), column);
    if (it == m_columns.cend() || *it != column)
        return true;
    const qsizetype at = it - m_columns.cbegin();
    QStringList& row = m_rows.last();
    if (row.size() <= at) {
        if (!spend(at + 1 - row.size(), 0))
            return false;
        // Most rows fill every captioned column: one allocation a row, not one a cell.
        if (row.isEmpty())
            row.reserve(m_columns.size());
        row.resize(at + 1);
    }
    if (!spend(0, text.size()))
        return false;
    row[at] = text;
    return true;
}

bool TableCollector::endRow() {
    if (!m_error.isEmpty())
        return false;
    if (m_captioned || m_captions.isEmpty())
        return true;
    // A cell given twice keeps the later, as the reader would have overwritten it.
    std::stable_sort(m_captions.begin(), m_captions.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    QStringList& row = m_rows.last();
    for (const auto& [column, text] : std::as_const(m_captions)) {
        if (!m_columns.isEmpty() && m_columns.last() == column) {
            row.last() = text;
            continue;
        }
        m_columns << column;
        row << text;
    }
    m_captions.clear();
    m_captions.squeeze();
    m_captioned = true;
    return true;
}

void TableCollector::fail(const QString& why) {
    if (m_error.isEmpty())
        m_error = why;
}

TableText TableCollector::take() {
    if (!m_error.isEmpty())
        return {{}, m_error};
    return {std::move(m_rows), {}};
}

QString TableCollector::cellTooLong(qint64 row, qint64 column) {
    return QCoreApplication::translate("tarvo::suite::TableReader",
                                       "文件太大：第 %1 行 %2 列的单元格超过 %3 个字符")
        .arg(row)
        .arg(columnName(column))
        .arg(kMaxCellChars);
}

QString TableCollector::columnName(qint64 column) {
    QString letters;
    for (qint64 n = column + 1; n > 0; n = (n - 1) / 26)
        letters.prepend(QChar(u'A' + char16_t((n - 1) % 26)));
    return letters;
}

QString TableCollector::tooManyTexts() {
    return QCoreApplication::translate(
               "tarvo::suite::TableReader",
               "文件太大：一次最多导入 %1 个单元格、%2 个字符，此文件超出了这一限度")
        .arg(kMaxCells)
        .arg(kMaxTextChars);
}

bool TableCollector::spend(qint64 cells, qint64 chars) {
    m_cells += cells;
    m_chars += chars;
    if (m_cells <= kMaxCells && m_chars <= kMaxTextChars)
        return true;
    fail(tooManyTexts());
    return false;
}

} // namespace tarvo::suite
