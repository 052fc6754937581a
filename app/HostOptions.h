#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QSize>
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

    /// Why the options parsed name what the host does not offer, or do not go together; empty
    /// when the host can go on. The language is checked apart: it is known before the options.
    QString misuse() const;
    /// The refusal of a session language the suite does not carry.
    static QString unsupportedLanguage(const QString& language);
    /// A portal menu is asked for rather than an archive.
    bool viaPortal() const;
    /// A script's check or import of a file, which opens no window.
    bool importing() const;
    /// A script's check or import of a branch directory file.
    bool importingBranches() const;
    /// The size --window-size asks for; invalid when none, or none a list window can have, is.
    QSize listSize() const;

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
    QCommandLineOption branches;
    QCommandLineOption check;
    QCommandLineOption commit;
    QCommandLineOption confirmLengths;

private:
    QStringList m_archives;
    QStringList m_menus;
    QList<QCommandLineOption> m_listed;

    /// Why the import options do not go together; empty when they do.
    QString importMisuse() const;
};
