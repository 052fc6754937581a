#pragma once

#include <QObject>
#include <QSize>
#include <QString>
#include <QTimer>

class QWidget;
class WindowCloser;

/// Waits until the window a host opened has loaded, saves a picture of it and closes it. With a
/// card command ("Add" or "Modify") it opens the card window from the list first and takes the
/// picture of the card; with "Preview", of the print preview; with a lookup (the name of a
/// card control) it opens that control's reference or calendar on the card and takes the
/// picture of it; with "Import", of the import's file chooser. With an import file, of the
/// import's preview of it ("ImportBranches": the branch directory's). With a search text, the
/// list is pictured narrowed by its search box.
class ScreenshotTaker : public QObject {
    Q_OBJECT
public:
    ScreenshotTaker(QString path, QString cardCommand, QString lookup = {}, QString search = {},
                    QObject* parent = nullptr);
    bool saved() const { return m_saved; }
    /// Opens the import preview of this file from the list (the branch directory's for
    /// "ImportBranches"), and pictures the preview.
    void setImportFile(const QString& path) { m_importFile = path; }
    /// A file chooser the list opens ("Import") is pictured showing this folder, so that the
    /// database's own files are in sight.
    void setDatabaseFolder(const QString& folder) { m_databaseFolder = folder; }
    /// The list window is pictured at this size (invalid: as it opens).
    void setWindowSize(const QSize& size) { m_windowSize = size; }

private:
    void poll();
    /// Whether a top-level widget is a window the list opened (not the list, a message or a
    /// pop-up).
    static bool opensWindow(const QWidget* w);
    void showDatabaseFolder(QWidget* window) const;
    void take(QWidget* target);
    void openLookup(QWidget* card);
    /// The reference dialog or calendar the lookup opened over the card, if any.
    QWidget* lookupWindow(QWidget* card) const;
    /// Closes whatever is open, leaving the card without saving, and whatever opens later.
    void closeEverything();
    QString m_path;
    QString m_cardCommand;
    QString m_lookup;
    QString m_search;
    QString m_importFile;
    QString m_databaseFolder;
    QSize m_windowSize;
    bool m_lookupOpened = false;
    QTimer m_timer;
    int m_attempts = 0;
    bool m_cardOpened = false;
    bool m_saved = false;
    bool m_taking = false;
    bool m_refused = false;
    WindowCloser* m_closer = nullptr;
};
