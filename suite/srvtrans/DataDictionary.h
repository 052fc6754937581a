#pragma once

#include "SqlBackend.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace tarvo::suite {

/// One column as the data dictionary describes it.
struct DictField {
    QString table;
    QString field;
    QString type; ///< varchar, smallint, integer, bit, money, date
    int size = 0; ///< characters for varchar
    int scale = 0;
    bool key = false;
    bool required = false;
    QString captionZh;
    QString captionEn;

    int adoType() const;
    int definedSize() const;
    QString caption(const QString& language) const;
};

/// The data dictionary of an accounting database, read once per connection. Table and field
/// names are looked up without regard to case.
class DataDictionary {
public:
    void load(SqlBackend& db);
    /// What load() asks, for a start that asks it ahead.
    static Statement loadQuestion();

    const DictField* find(const QString& table, const QString& field) const;
    /// Fields of a table in their dictionary order; empty for an unknown table.
    QVector<const DictField*> fields(const QString& table) const;
    const DictField* keyField(const QString& table) const;
    bool hasTable(const QString& table) const;
    /// Tells one reading of the dictionary from another: a copy keeps its original's.
    quint64 reading() const { return m_reading; }

private:
    quint64 m_reading = 0;
    QVector<DictField> m_fields;
    QHash<QString, QVector<int>> m_byTable; ///< lower-case table -> indexes in order
    /// Lower-case table -> field as spelt in the dictionary -> index: a save of a long file
    /// looks up every column of every record.
    QHash<QString, QHash<QString, int>> m_byName;

    const QVector<int>* indexes(const QString& table) const;
};

} // namespace tarvo::suite
