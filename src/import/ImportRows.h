#pragma once

#include "AccountNumberRule.h"
#include "IClsCommon.h"
#include "IListWindow.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>
#include <QVector>

#include <optional>

namespace tarvo {

class FileBranches;

/// A field of the archive a file column can fill. Besides the archive's own columns, the list
/// shows names of rows of other archives (a bank account's bank, its ledger account); such a
/// column fills the code of the row it names.
struct ImportField {
    QString field;   ///< element of the save XML
    QString source;  ///< the column as the list selects it ("AA_Bank.cBankName"), or field
    QString caption; ///< the list's caption in the session language, else the field name
};

/// One row of the file as the archive would take it.
struct ImportRow {
    int line = 0;    ///< row number in the file, 1 for the caption row
    QString key;     ///< the record's code as the file gives it
    QString xml;     ///< the save XML; empty when the row is refused before the save service
    QString refusal; ///< why the row cannot be imported
    QString note;    ///< a rule the row breaks that the clerk may accept (account length)
    QString hint;    ///< what the clerk should know of the row, which keeps nothing out
};

/// Turns the rows of a file into records of an archive: columns matched to fields by caption
/// or field name, the list's display texts ("是", sign-flag texts, names of banks and ledger
/// accounts, or their codes as the card takes them) turned back into stored values, and the checks the card makes before it saves.
class ImportRows {
    Q_DECLARE_TR_FUNCTIONS(tarvo::ImportRows)
public:
    /// listFields: the list's columns, which give the captions.
    ImportRows(const QString& archive, const QVector<ListField>& listFields);

    /// The fields a column can be mapped to, in the card's order.
    const QVector<ImportField>& fields() const { return m_fields; }
    /// Index into fields() of the field a column captioned so fills: its caption or field name
    /// in any letter case, blanks around ignored; -1 when none.
    int match(const QString& header) const;
    /// The field each column fills, by the column's caption; every field at most once.
    QVector<int> matchAll(const QStringList& headers) const;
    /// Index of the key field in fields(): both archives list their key first.
    int keyField() const;
    QString keyCaption() const;

    /// The record a data row makes under the mapping (per column, an index into fields() or
    /// -1 for a column not imported); line is its row number in the file. With branches, a
    /// 联行号 the directory lists fills the fields the row leaves empty.
    ImportRow record(const QStringList& cells, const QVector<int>& mapping, int line,
                     IClsCommon& db, const FileBranches* branches = nullptr) const;
    /// Index into fields() of the archive's own field; -1 when it has none.
    int fieldIndex(const char* field) const;
    /// The value the row gives the field as stored; nothing when the file leaves it as it is.
    std::optional<QString> valueOf(const ImportRow& row, const char* field) const;
    /// The caption of the field in the session language.
    QString captionOf(const char* field) const;
    /// Forgets what record() read of banks, ledger accounts and currencies, so that the next
    /// check sees them as they are now.
    void forgetLookups();

private:
    QString m_archive;
    QString m_root; ///< the save XML's root element
    QVector<ImportField> m_fields;
    /// Per field, the field its value fills: a name shown for a row of another archive fills
    /// that row's code.
    QVector<int> m_fills;
    /// The fields the card will not save empty, in the order it checks them, with the message.
    QVector<QPair<int, QString>> m_mustInput;

    /// A lookup query's first column's values with the second's for each: as the session's copy
    /// of the table answers them value by value, or the query's whole result where no copy is
    /// kept, read at the first use in a check, so that a file costs one query per lookup, not
    /// one per row.
    struct Lookup {
        QHash<QString, QStringList> codes;
        bool whole = false;
    };
    mutable QHash<const char*, Lookup> m_lookups;      ///< by query
    mutable QHash<QString, AccountNumberRule> m_rules; ///< by bank code
    mutable bool m_banksRead = false;

    /// The codes the lookup finds for value, each row's second column.
    const QStringList& lookUp(IClsCommon& db, const char* sql, const QString& value) const;
    /// The account number rule of the bank with this code; the default rule for none.
    AccountNumberRule ruleOf(IClsCommon& db, const QString& bank) const;
    /// Reads the bank archive once for the lookups of banks by code and by name and for the
    /// banks' account number rules.
    void readBanks(IClsCommon& db) const;
    QString refusalOf(const ImportField& f, const QString& value) const;
    /// Fills from the directory's entry for the row's 联行号 the fields the row leaves empty
    /// (or out, where the stored account has them empty); what the clerk should know of it.
    QString fillFromDirectory(QVector<std::optional<QString>>& values,
                              const FileBranches& branches, IClsCommon& db) const;
    /// The region's name as the regions list it: the directory's name, or with the ending the
    /// directory's files leave off; empty when no region of the kind has it.
    QString regionNamed(IClsCommon& db, const QString& name, bool province) const;
    QString storedText(const ImportField& f, const QString& shown, IClsCommon& db,
                       QString& refusal) const;
};

} // namespace tarvo
