#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QSize>
#include <QString>

class QCoreApplication;

/// The desktop host's command line: its options and their help, the checks that the options
/// given go together, and what they ask of the run.
class HostOptions {
public:
    HostOptions();

    /// Whether the arguments ask for a script's export or import, or only for help or the
    /// version: none shows a window. Asked before the application exists.
    static bool scripted(int argc, char** argv);
    /// The database a first start makes to try the program on.
    static QString defaultDatabase();

    /// Reads the application's arguments. Help, the version and an unknown option are
    /// answered here, and end the program.
    void process(const QCoreApplication& app);
    /// Why the options given cannot run, in the session language; empty when they can.
    QString misuse() const;

    /// Nobody looks at the screen: the run takes a picture, exports or imports.
    bool headless() const;
    QString language() const { return value(m_lang); }
    /// The portal's road: a menu id instead of an archive name.
    bool viaPortal() const;
    QString menu() const { return value(m_menu); }
    QString archive() const { return value(m_archive); }
    QString sysId() const { return value(m_sysId); }
    QString database() const { return value(m_db); }
    QString user() const { return value(m_user); }

    bool screenshot() const { return isSet(m_shot); }
    QString screenshotFile() const { return value(m_shot); }
    /// What the picture shows first: the import's preview for --import, else the --card command.
    QString screenshotCommand() const;
    QString lookup() const { return value(m_lookup); }
    QString search() const { return value(m_search); }
    /// The list window's size for the picture; invalid when not given.
    QSize windowSize() const;

    bool exporting() const { return isSet(m_export); }
    QString exportFile() const { return value(m_export); }
    QString importFile() const { return value(m_import); }
    /// A script's import: --check or --commit.
    bool importing() const { return isSet(m_check) || isSet(m_commit); }
    bool commit() const { return isSet(m_commit); }
    bool confirmLengths() const { return isSet(m_confirmLengths); }

private:
    QCommandLineParser m_cli;
    QCommandLineOption m_archive;
    QCommandLineOption m_sysId;
    QCommandLineOption m_menu;
    QCommandLineOption m_db;
    QCommandLineOption m_user;
    QCommandLineOption m_lang;
    QCommandLineOption m_shot;
    QCommandLineOption m_card;
    QCommandLineOption m_lookup;
    QCommandLineOption m_export;
    QCommandLineOption m_search;
    QCommandLineOption m_windowSize;
    QCommandLineOption m_import;
    QCommandLineOption m_check;
    QCommandLineOption m_commit;
    QCommandLineOption m_confirmLengths;

    QString value(const QCommandLineOption& option) const { return m_cli.value(option); }
    bool isSet(const QCommandLineOption& option) const { return m_cli.isSet(option); }
};
