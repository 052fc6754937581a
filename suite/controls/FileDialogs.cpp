#include "FileDialogs.h"

#include "SessionContext.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QTreeView>
#include <QMimeDatabase>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarvo::suite {

namespace {

class NameOnlyIconProvider : public QFileIconProvider {
public:
    using QFileIconProvider::icon;
    QIcon icon(const QFileInfo& info) const override {
        return QFileIconProvider::icon(info.isDir() ? Folder : File);
    }
    QString type(const QFileInfo& info) const override {
        // Qt's translations lack its folder's type for this version of Qt.
        if (info.isDir())
            return QCoreApplication::translate("tarvo::suite::FileDialogs", "文件夹");
        if (!info.isFile())
            return QFileIconProvider::type(info);
        const QMimeType mime = m_mimes.mimeTypeForFile(info, QMimeDatabase::MatchExtension);
        return mime.comment().isEmpty() ? mime.name() : mime.comment();
    }

private:
    QMimeDatabase m_mimes;
};

NameOnlyIconProvider& nameOnlyIcons() {
    static NameOnlyIconProvider provider;
    return provider;
}

/// Shows a file's size and date in the session language. Qt's file model writes them in the
/// system's, so that a Chinese session on an English desktop would list "660 bytes" and English
/// dates beside Chinese captions.
class SessionLanguageFiles : public QIdentityProxyModel {
public:
    explicit SessionLanguageFiles(QObject* parent) : QIdentityProxyModel(parent) {
        setObjectName(QStringLiteral("tarvo_session_language_files"));
    }
    QVariant data(const QModelIndex& index, int role) const override {
        auto* files = qobject_cast<QFileSystemModel*>(sourceModel());
        if (role != Qt::DisplayRole || !files || (index.column() != 1 && index.column() != 3))
            return QIdentityProxyModel::data(index, role);
        const QModelIndex file = mapToSource(index);
        const QLocale language(SessionContext::current().language);
        if (index.column() == 1)
            return files->isDir(file) ? QString() : language.formattedDataSize(files->size(file));
        const QDateTime modified = files->lastModified(file);
        return modified.isValid() ? language.toString(modified, QLocale::ShortFormat) : QString();
    }
};

/// Catches every window before it shows: a file dialog, or the completer of a file name that
/// the print dialog offers, reads files only once a view asks for their icons and types.
class FileDialogWatch : public QObject {
public:
    explicit FileDialogWatch(QObject* parent) : QObject(parent) {
        setObjectName(QStringLiteral("tarvo_file_dialog_watch"));
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Polish || !watched->isWidgetType() ||
            !static_cast<QWidget*>(watched)->isWindow())
            return false;
        if (auto* dialog = qobject_cast<QFileDialog*>(watched))
            lookAtNamesOnly(*dialog);
        for (QFileSystemModel* files : watched->findChildren<QFileSystemModel*>())
            if (files->iconProvider() != &nameOnlyIcons())
                files->setIconProvider(&nameOnlyIcons());
        return false;
    }
};

/// Qt's dialogs keep the folders and files a clerk visited in the user's "QtProject.conf",
/// which the user's umask would leave readable by all; where the books and exports lie is the
/// user's business alone. The file is made owner-only before a dialog first writes it, and Qt
/// keeps the mode of a file it rewrites.
void keepDialogHistoryPrivate() {
    const QString path = QSettings(QSettings::UserScope, QStringLiteral("QtProject")).fileName();
    if (path.isEmpty() || !QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW,
               S_IRUSR | S_IWUSR);
    if (fd < 0)
        return;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_uid == ::geteuid())
        ::fchmod(fd, st.st_mode & ~mode_t(S_IRWXG | S_IRWXO));
    ::close(fd);
}

} // namespace

void lookAtNamesOnly(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.iconProvider() != &nameOnlyIcons())
        dialog.setIconProvider(&nameOnlyIcons());
    if (!dialog.proxyModel())
        dialog.setProxyModel(new SessionLanguageFiles(&dialog));
}

void lookAtNamesOnlyEverywhere() {
    QCoreApplication* app = QCoreApplication::instance();
    if (!qobject_cast<QApplication*>(app) ||
        app->findChild<QObject*>(QStringLiteral("tarvo_file_dialog_watch"),
                                 Qt::FindDirectChildrenOnly))
        return;
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    app->installEventFilter(new FileDialogWatch(app));
    keepDialogHistoryPrivate();
}

QString chooseFileToOpen(QWidget* parent, const QString& caption, const QString& folder,
                         const QString& filter) {
    QFileDialog dialog(parent, caption, folder);
    // Files whose names the clerk's other programs spelled differently can still be picked.
    dialog.setNameFilters(
        {filter, QCoreApplication::translate("tarvo::suite::FileDialogs", "所有文件 (*)")});
    dialog.setObjectName(QStringLiteral("DlgOpenFile"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Room for a file's whole name, size and date in the detail view.
    dialog.resize(dialog.sizeHint().expandedTo(QSize(820, 500)));
    if (auto* details = dialog.findChild<QTreeView*>(QStringLiteral("treeView"))) {
        details->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
        details->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    }
    lookAtNamesOnly(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace tarvo::suite
