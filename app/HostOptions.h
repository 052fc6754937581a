#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

/// The desktop host's command-line options, described in the language whose translator is
/// installed when they are made: made once before the language is known, to read --lang, and
/// again after it.
struct HostOptions {
    /// archives: those --archive takes; menus: the portal's, none when the build has no portal
    /// road; database: the one opened when --db is not given.
    HostOptions(const QStringList& archives, const QStringList& menus, const QString& database);

    /// What --help prints, no line wider than a terminal's 79 columns and no word broken.
    QString helpText() const;

    QCommandLineParser cli;
    QCommandLineOption help;
    QCommandLineOption helpAll;
    QCommandLineOption version;
    QCommandLineOption archive;
    QCommandLineOption sysId;
    QCommandLineOption menu;
    QCommandLineOption db;
    QCommandLineOption user;
    QCommandLineOption lang;
    QCommandLineOption shot;
    QCommandLineOption card;
    QCommandLineOption lookup;
    QCommandLineOption exportFile;
    QCommandLineOption search;
    QCommandLineOption windowSize;
    QCommandLineOption importFile;
    QCommandLineOption check;
    QCommandLineOption commit;
    QCommandLineOption confirmLengths;

private:
    QList<QCommandLineOption> m_listed;
};
