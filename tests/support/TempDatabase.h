#pragma once

#include <QString>
#include <QTemporaryDir>

#include <initializer_list>

namespace tarvo {
class IClsCommon;
}

/// A fresh accounting database for one test, created and seeded on first open and removed
/// afterwards: a new SQLite file in a temporary folder, or, when TARVO_TEST_PG holds a server
/// URL, a new database of its own on that PostgreSQL server.
class TempDatabase {
public:
    /// Empty leaves the database as a first start finds it: no file yet, or a database with no
    /// tables on the server.
    enum class Content { Seeded, Empty };
    explicit TempDatabase(Content content = Content::Seeded);
    ~TempDatabase();
    TempDatabase(const TempDatabase&) = delete;
    TempDatabase& operator=(const TempDatabase&) = delete;

    /// What AccountDatabase::open takes: the file's path or the database's URL.
    const QString& name() const { return m_name; }
    bool onServer() const { return m_onServer; }

private:
    QTemporaryDir m_dir;
    QString m_name;
    bool m_onServer = false;
};

/// Every row of the tables, as text: two calls give the same text exactly when nothing stored in
/// them changed in between (to prove that a refusal wrote nothing).
QString storedRows(tarvo::IClsCommon& db,
                   std::initializer_list<const char*> tables = {"aa_bank", "bank", "tarvo_audit",
                                                                "tarvo_history"});
