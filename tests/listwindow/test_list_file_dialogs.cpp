#include "ListWindowFixture.h"
#include "SuiteRegistration.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QProcess>
#include <QTest>

using namespace tarvo;

namespace {

/// A second program on the same database file: the sqlite3 shell, which opens the file, runs
/// one statement and closes it again, as a backup job or a second clerk's program does.
std::string otherProgram(const QString& dbFile, const QString& sql) {
    QProcess shell;
    shell.start(QStringLiteral("sqlite3"), {dbFile, sql});
    if (!shell.waitForFinished(30000) || shell.exitCode() != 0)
        return "sqlite3 failed: " + shell.readAllStandardError().toStdString();
    return shell.readAllStandardOutput().trimmed().toStdString();
}

struct FileDialogTest : ListWindowTest {
    FileDialogTest() {
        h.configurePub = [](RecordingPub& p) { p.realPrinting = true; };
    }

    QString dbFile() const { return QFileInfo(h.db.name()).absoluteFilePath(); }

    /// Browses the database's folder in the next file dialog that shows, the way a clerk looks
    /// at it: detail view, every file listed with its icon and type, the view painted; in the
    /// print dialog, the completer of the file name lists the folder the clerk types. Then
    /// cancels the dialog. Returns how many files the dialog listed there.
    std::shared_ptr<QObject> browseDatabaseFolder(int& listed) {
        auto timer = std::make_shared<QTimer>();
        timer->setInterval(20);
        QObject::connect(timer.get(), &QTimer::timeout, [t = timer.get(), &listed, this] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dialog || !(dialog->inherits("QFileDialog") || dialog->inherits("QPrintDialog")))
                return;
            t->stop();
            const QString folder = QFileInfo(dbFile()).absolutePath();
            auto* model = dialog->findChild<QFileSystemModel*>();
            if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
                files->setViewMode(QFileDialog::Detail);
                files->setNameFilter(QStringLiteral("*"));
                files->setDirectory(folder);
            } else {
                model->setRootPath(folder);
            }
            const QString wal = QFileInfo(dbFile()).fileName() + QStringLiteral("-wal");
            const bool walListed = QTest::qWaitFor([&] {
                const QModelIndex root = model->index(folder);
                for (int r = 0; r < model->rowCount(root); ++r)
                    if (model->index(r, 0, root).data().toString() == wal)
                        return true;
                return false;
            });
            const QModelIndex root = model->index(folder);
            listed = walListed ? model->rowCount(root) : 0;
            for (int r = 0; r < listed; ++r) {
                model->index(r, 0, root).data(Qt::DecorationRole);
                model->index(r, 2, root).data();
            }
            dialog->grab();
            dialog->reject();
        });
        timer->start();
        return timer;
    }

    /// After a file dialog was shown in the database's folder and another program opened and
    /// closed the database, a save of this program still reaches the database: the other
    /// program sees it, and so does anyone after both closed.
    void expectSavesReachTheFileAfter(const std::function<void(FrmMain&)>& showDialog) {
        withList("aa_bank", "", [&](FrmMain& w) {
            ASSERT_TRUE(QFileInfo::exists(dbFile() + QStringLiteral("-wal")));
            int listed = 0;
            auto watch = browseDatabaseFolder(listed);
            showDialog(w);
            EXPECT_GE(listed, 3) << "the dialog listed the database and its -wal and -shm";
            EXPECT_EQ(otherProgram(dbFile(), QStringLiteral("select count(*) > 0 from aa_bank")),
                      "1");
            QString xml = QStringLiteral(
                "<AA_Bank><cBankCode>901</cBankCode><cBankName>对话框后保存</cBankName></AA_Bank>");
            QString err;
            ASSERT_TRUE(ArchiveSession::current().SrvDB->Add(xml, "aa_bank", err))
                << err.toStdString();
            EXPECT_TRUE(QFileInfo::exists(dbFile() + QStringLiteral("-wal")))
                << "the program's write-ahead log was deleted under it";
            EXPECT_EQ(otherProgram(dbFile(),
                                   QStringLiteral("select cBankName from aa_bank "
                                                  "where cBankCode = '901'")),
                      "对话框后保存");
        });
        EXPECT_EQ(otherProgram(dbFile(), QStringLiteral("select count(*) from aa_bank "
                                                        "where cBankCode = '901'")),
                  "1");
    }
};

TEST_F(FileDialogTest, TheImportsFileChooserLeavesTheDatabaseToSqlite) {
    expectSavesReachTheFileAfter(
        [](FrmMain& w) { w.findChild<QAction*>(QStringLiteral("Tlb_Import"))->trigger(); });
}

TEST_F(FileDialogTest, TheExportsSaveDialogLeavesTheDatabaseToSqlite) {
    expectSavesReachTheFileAfter(
        [](FrmMain& w) {
            w.findChild<QAction*>(QStringLiteral("mSaveFile"))->trigger();
            waitForOutput(w);
        });
}

TEST_F(FileDialogTest, ThePrintDialogsFileNameCompleterLeavesTheDatabaseToSqlite) {
    suite::registerSuiteClasses();
    expectSavesReachTheFileAfter(
        [](FrmMain& w) {
            w.findChild<QAction*>(QStringLiteral("mPrint"))->trigger();
            waitForOutput(w);
        });
}

TEST_F(FileDialogTest, AFileDialogQtOpensOnItsOwnLeavesTheDatabaseToSqlite) {
    // The print dialog's "print to file" chooser is one of these: the suite never sees it made.
    suite::registerSuiteClasses();
    expectSavesReachTheFileAfter(
        [](FrmMain& w) { QFileDialog::getSaveFileName(&w, QStringLiteral("打印到文件")); });
}

} // namespace
