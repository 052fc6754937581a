#pragma once

#include "IBranchDirectory.h"
#include "WorkProgress.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <QVector>

#include <array>

namespace tarvo {

/// What importing a directory file does with one branch.
enum class BranchVerdict { New, Changed, Unchanged, Retired, Refused };

/// One line of an import's outcome: a row of the file, or a stored branch the file no longer
/// lists.
struct BranchLine {
    int line = 0; ///< row number in the file, 1 for the caption row; 0 for a branch not listed
    QString code;
    BranchVerdict verdict = BranchVerdict::Refused;
    QString reason; ///< the fields that change, or why the row is refused
};

/// A file of the branch directory (the 行名行号 file a bank or payment provider hands out) on
/// its way into the suite's directory: its columns matched by caption, each row checked, each
/// verdict against the stored directory, and the file stored as the directory in one
/// transaction. A file lists the whole directory: a stored branch it leaves out is retired.
class BranchImport {
    Q_DECLARE_TR_FUNCTIONS(tarvo::BranchImport)
public:
    /// The directory's fields, in the order of BranchEntry's.
    enum Field { Code, Name, BankCode, BankName, CityCode, City, Province, FieldCount };
    using Counts = std::array<int, 5>; ///< lines per verdict, indexed by BranchVerdict

    /// Reads the file and matches its columns; False with a message for the clerk when it is
    /// no directory (no column of codes or of names). Stopped: False with the error empty.
    bool read(const QString& path, QString& error, const WorkProgress& progress = {});
    /// The same for the cells of a file already read, named file in messages.
    bool take(QVector<QStringList>&& cells, const QString& file, QString& error);
    /// The field a column captioned so fills (any letter case, blanks around ignored); -1 when
    /// none.
    static int fieldOf(const QString& caption);
    /// The caption of the field in the session language.
    static QString captionOf(int field);

    /// Checks every row and compares it with the directory of db, which it reads once.
    bool check(ClsCommonPtr& db, QString& error, const WorkProgress& progress = {});
    /// The file's rows in their order, then the branches it retires in the order of their codes.
    const QVector<BranchLine>& lines() const { return m_lines; }
    static QString verdictText(BranchVerdict verdict);
    Counts counts() const;
    /// "共 n 行：新增 …" for the checked lines.
    QString countsText() const;

    /// Stores the accepted rows and retires the branches the file left out, all in one
    /// transaction: False with the reason when it fails, having stored nothing.
    bool store(ClsCommonPtr& db, QString& error, const QDate& today = QDate::currentDate());
    /// "联行号目录已保存：…" for what store() stored.
    QString storedText() const;

    /// A row of the file as read: the branch it gives, or why it cannot be taken.
    struct Row {
        int line = 0;
        BranchEntry entry;
        QString refusal;
    };
    const QVector<Row>& rows() const { return m_rows; }

private:
    QVector<Row> m_rows;
    /// The file's column of each field; -1 for a field the file has no column for, which a
    /// listed branch keeps as stored.
    std::array<int, FieldCount> m_columns{};
    /// The first row of each code in the file.
    QHash<QString, int> m_byCode;
    QVector<BranchLine> m_lines;
    QStringList m_retire;

    /// The row's branch from its cells under the mapping, or why it cannot be one.
    Row rowOf(int line, const QStringList& cells) const;
    /// Refuses every row of a code the file lists more than once: which of them is right is
    /// not for the import to guess.
    void refuseTwins();
};

} // namespace tarvo
