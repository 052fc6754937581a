// The suite's file dialogs in a session whose language is not the system's: Qt's own file
// model writes sizes and dates in the system locale and lacks a translation of its folders.
#include "Eventually.h"
#include "FileDialogs.h"
#include "SuiteContext.h"

#include <QAbstractProxyModel>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

/// What the dialog's detail view shows in a column for a file of its folder.
QString shown(QFileDialog& dialog, const QString& path, int column) {
    const QAbstractProxyModel* view = dialog.proxyModel();
    const auto* files = view ? qobject_cast<const QFileSystemModel*>(view->sourceModel()) : nullptr;
    if (!files)
        return "(no proxy over the file model)";
    const QModelIndex file = view->mapFromSource(files->index(path));
    return view->index(file.row(), column, file.parent()).data().toString();
}

} // namespace

TEST(FileDialogs, FoldersSizesAndDatesSpeakTheSessionLanguage) {
    const auto restore = qScopeGuard([] { tarvo::suite::setSessionLanguage("zh-CN"); });
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir("导出"));
    const QString notes = dir.filePath("notes.csv");
    QFile file(notes);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(660, 'x'));
    ASSERT_TRUE(file.flush()) << "a write after the time would set it again";
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2026, 3, 5), QTime(14, 7)),
                                 QFileDevice::FileModificationTime));
    file.close();

    struct Case {
        const char* language;
        const char* folder;
        const char* size;
        const char* date;
    };
    for (const Case& c : {Case{"zh-CN", "文件夹", "660 字节", "2026/3/5 14:07"},
                          Case{"en-US", "Folder", "660 bytes", "3/5/26 2:07 PM"}}) {
        ASSERT_TRUE(tarvo::suite::setSessionLanguage(c.language));
        QFileDialog dialog(nullptr, "choose", dir.path());
        tarvo::suite::lookAtNamesOnly(dialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.show();
        EXPECT_EVENTUALLY(shown(dialog, notes, 1) == c.size)
            << c.language << ": " << shown(dialog, notes, 1).toStdString();
        EXPECT_EQ(shown(dialog, notes, 3).toStdString(), c.date) << c.language;
        EXPECT_EQ(shown(dialog, dir.filePath("导出"), 2).toStdString(), c.folder) << c.language;
        EXPECT_EQ(shown(dialog, dir.filePath("导出"), 1).toStdString(), "")
            << "a folder has no size";
        // Called again, as the watch over every dialog may: still one proxy, the same texts.
        tarvo::suite::lookAtNamesOnly(dialog);
        EXPECT_EQ(shown(dialog, notes, 1).toStdString(), c.size) << c.language;
    }
}
