#pragma once

#include "AccountDatabase.h"
#include "IColSet.h"

namespace tarvo::suite {

/// The column-set object "TarvoColumnSet.clsColSet": each user's layout of each list, kept in
/// the accounting database, starting from the suite's default layout of that list.
class ClsColSet : public IColSet {
public:
    void Init(const QString& dbName, const QString& userId) override;
    QString getColInfo() const override { return m_colSet; }
    bool setColMode(const QString& colSetName, int mode) override;
    void ExpectColMode(const QString& colSetName) override;
    ColumnCollectionPtr GetColProperties() override { return m_columns; }
    int iCols() const override { return m_columns ? m_columns->Count() : 0; }
    int GetFixedCols() const override { return m_fixedCols; }
    bool IsLock() const override { return m_locked; }
    QString GetSqlString() const override;
    void SaveColWidth() override;
    QVariant setCol() override;

private:
    AccountDatabasePtr m_db;
    QString m_userId;
    QString m_colSet;
    ColumnCollectionPtr m_columns;
    /// The layout as the database holds it (the user's own, or the defaults), so that one the
    /// list left as it was costs no write.
    QVector<ColumnItem> m_stored;
    int m_fixedCols = 0;
    bool m_locked = false;

    QVector<ColumnItem> loadLayout(const QString& colSet);
    /// What setColMode asks first: whether the set is denied to the user, and the options.
    Statement optionsQuestion(const QString& colSet) const;
    /// What loadLayout asks.
    Statement layoutQuestion(const QString& colSet) const;
    /// The suite's default layout of a column set, captioned in the session language.
    QVector<ColumnItem> loadDefaults(const QString& colSet);
    /// Replaces the user's stored layout of the chosen column set; throws DbError.
    void storeLayout(const QVector<ColumnItem>& items);
};

} // namespace tarvo::suite
