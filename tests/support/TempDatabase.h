#pragma once

#include <QString>
#include <QTemporaryDir>

/// A fresh accounting database for one test: a new SQLite file in a temporary folder, created
/// and seeded on first open, removed with the folder.
class TempDatabase {
public:
    TempDatabase();
    const QString& name() const { return m_name; }

private:
    QTemporaryDir m_dir;
    QString m_name;
};
