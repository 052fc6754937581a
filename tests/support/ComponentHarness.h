#pragma once

#include "RecordingPub.h"
#include "TempDatabase.h"

#include "ILogin.h"

#include <QObject>
#include <QStringList>

#include <functional>

namespace tarvo {
class FrmMain;
}

/// Everything a test of the component needs around it: a fresh account database, the suite's
/// data objects behind their ProgIDs (wrapped so that their creation, set-up and release are
/// logged in events), a recording public-services object, and a logged-in user.
class ComponentHarness {
public:
    ComponentHarness();
    ~ComponentHarness();

    TempDatabase db;
    QStringList events;
    /// Every SQL text the component ran through the server transaction object.
    QStringList sql;
    /// Those of them read beside the window (the rows of a list).
    QStringList backgroundSql;
    tarvo::LoginPtr login;
    /// The public-services object the session created last.
    std::shared_ptr<RecordingPub> pub() const { return m_pub.lock(); }
    /// Set-up applied to each new public-services object before the component sees it.
    std::function<void(RecordingPub&)> configurePub;
    /// Every call into the public-services objects of this test, across sessions.
    QStringList pubCalls() const;

    /// Makes the ProgID yield nothing, as when the class cannot be created.
    void unregister(const QString& progId);
    /// Runs a statement on the test's database directly (setting up rows, layouts, rights).
    void exec(const QString& statement, const QVariantList& params = {});
    /// The first column of the first row of a query on the test's database.
    QVariant scalar(const QString& query, const QVariantList& params = {});

private:
    std::weak_ptr<RecordingPub> m_pub;
    /// Per public-services object created: the object while it lives, its calls once gone.
    struct PubRecord {
        std::weak_ptr<RecordingPub> pub;
        QStringList callsWhenReleased;
    };
    std::vector<std::shared_ptr<PubRecord>> m_pubs;
};

/// The list window has loaded and no read of its rows runs or waits to run: what it shows
/// is the list read last.
bool settled(const tarvo::FrmMain& list);

/// Reads the list again with the extra condition and waits until it shows the rows read; a
/// test failure when they never come.
void refreshList(tarvo::FrmMain& list, const QString& condition = QString());

/// Runs inspect on the list window once it is shown and settled, then closes it. Use before a
/// call that shows the window modally; the watch ends when the returned handle goes.
[[nodiscard]] std::shared_ptr<QObject>
whenListWindowShown(std::function<void(tarvo::FrmMain&)> inspect);

/// Answers the next message box (or other modal dialog) that is not a list window: records its
/// title and text and closes it.
struct CapturedBox {
    QString title;
    QString text;
    bool seen = false;
};
[[nodiscard]] std::shared_ptr<QObject> captureNextMessageBox(std::shared_ptr<CapturedBox> box);
