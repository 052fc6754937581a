#pragma once

#include "ImportRows.h"
#include "LostZeros.h"

#include <QHash>
#include <QPair>

#include <array>

namespace tarvo {

class FileBranches;

/// A file on its way into an archive: its rows read and matched to fields, each row's verdict
/// from the card's checks and the save service's, and the accepted rows stored in one
/// transaction. The preview window and the command line both work through it.
class ImportBatch {
    Q_DECLARE_TR_FUNCTIONS(tarvo::ImportBatch)
public:
    /// Rows per verdict, indexed by BatchVerdict::Kind.
    using Counts = std::array<int, 4>;

    ImportBatch(const QString& archive, const QVector<ListField>& listFields);

    /// Reads the file and maps its columns by their captions; False with a message for the
    /// clerk when it holds no table to import.
    /// Here and below, work that progress asks to stop ends False with the error empty,
    /// keeping nothing it would have stored or shown. None of it turns an event loop: a window
    /// runs it beside itself.
    bool read(const QString& path, QString& error, const WorkProgress& progress = {});

    const ImportRows& rows() const { return m_rows; }
    const QStringList& headers() const { return m_headers; }
    /// Data rows with their row numbers in the file; blank rows left out.
    const QVector<QPair<int, QStringList>>& data() const { return m_data; }
    const QVector<int>& mapping() const { return m_mapping; }
    /// Lets a column fill a field (-1: none). A field fills from one column only: the column
    /// that had it gives it up and is returned; -1 when none did.
    int setMapping(int column, int field);
    bool keyMapped() const { return m_mapping.contains(m_rows.keyField()); }

    /// Works out what storing would do with every row; False with the reason when the
    /// database could not tell.
    bool check(QString& error, const WorkProgress& progress = {});
    /// For a batch nobody previews: check() lets each row's cells go once its record is made,
    /// so that a long file is not held as cells and records at once. data() then keeps the
    /// row numbers only, and the batch is checked once.
    void dropCellsWhenChecked() { m_keepCells = false; }
    const QVector<ImportRow>& records() const { return m_records; }
    const QVector<BatchVerdict>& verdicts() const { return m_verdicts; }
    /// The verdict of a checked row in words, and why.
    QString verdictText(int row) const;
    QString reasonText(int row) const;
    Counts counts() const;
    /// "共 n 行：新增 …" for the checked rows.
    QString countsText() const;
    /// Rows that would be stored although their account number breaks their bank's length
    /// rule, which only the clerk may accept.
    int noted() const;
    /// Refuses those rows: nobody is there to accept them.
    void refuseNoted();

    /// Stores the accepted rows in one transaction; False with the reason when any of them
    /// fails, storing none. stored counts what was added and modified.
    bool store(Counts& stored, QString& error, const WorkProgress& progress = {});
    /// "导入完成：…" for what store() stored.
    static QString storedText(const Counts& stored);

private:
    QString m_archive;
    ImportRows m_rows;
    QStringList m_headers;
    QVector<QPair<int, QStringList>> m_data;
    QVector<int> m_mapping;
    QVector<ImportRow> m_records;
    QVector<BatchVerdict> m_verdicts;
    bool m_keepCells = true;

    /// What the clerk should look at in a row, which does not keep it out; by row.
    QHash<int, QString> m_warnings;

    bool accepted(int row) const;
    /// Asks for the directory's entries of the file's 联行号, and for the stored accounts
    /// whose fields they may fill where the file has no column for them.
    void askForBranches(FileBranches& branches) const;
    /// Refuses rows whose code or account number is a stored one without its leading zeros,
    /// whatever the rest of the row holds: a spreadsheet took it for a number.
    bool refuseLostZeros(const LostZeros& zeros, const WorkProgress& progress);
    /// Flags rows that give a stored account's name and bank another number: a new account
    /// like a stored one, or a stored account whose number changes while they stay.
    bool flagLookalikes(QString& error, const WorkProgress& progress);
};

} // namespace tarvo
