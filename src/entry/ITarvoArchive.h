#pragma once

#include "ComVar.h"
#include "HostObject.h"
#include "IBusiness.h"
#include "ILogin.h"

#include <QObject>
#include <QUuid>

#include <functional>
#include <memory>

namespace tarvo {

/// The component's one public class. A host opens an archive through Show (its login, the
/// archive name, a system id) and gets back control when the user has closed the list; the
/// portal sets Business and calls ShowModeless with a menu id. The members are invokable by
/// name through the meta-object system, and by dispatch id through memberName().
///
/// The earlier build has Show alone: no portal road, no Login or LogOff, and every Show sets
/// up and releases the whole session itself.
class ITarvoArchive : public QObject, public HostObject {
    Q_OBJECT
#ifndef TARVOARCHIVE_EARLIER_BUILD
    Q_PROPERTY(tarvo::BusinessPtr Business READ Business WRITE setBusiness)
#endif
public:
    explicit ITarvoArchive(QObject* parent = nullptr);
    ~ITarvoArchive() override;

    Q_INVOKABLE void Show(tarvo::LoginPtr oLogin, const QString& ArchiveName, const QString& SysId);
#ifndef TARVOARCHIVE_EARLIER_BUILD
    BusinessPtr Business() const { return m_Business; }
    void setBusiness(BusinessPtr business) { m_Business = std::move(business); }
    Q_INVOKABLE void ShowModeless(const QString& cMenuId, const QString& cMenuName,
                                  const QString& cAuthId, const QString& cCmdLine);
    Q_INVOKABLE bool Login(tarvo::LoginPtr oLogin);
    Q_INVOKABLE bool LogOff();

    // The portal's interface.
    Q_INVOKABLE bool ILoginable_Login();
    Q_INVOKABLE bool ILoginable_LogOff();
    Q_INVOKABLE qint32 ILoginable_CallFunction(const QString& cMenuId, const QString& cMenuName,
                                               const QString& cAuthId, const QString& cCmdLine);
#endif

    /// For scripts: starts a session of the archive as Show does, but without its list window,
    /// runs job in it and ends it. False when the session did not start or the job failed.
    /// A job that only reads takes no lock of the archive: a lock is written to the database,
    /// and nothing such a job does can clash with another clerk's work. expect, when given,
    /// tells the data objects what the job will ask first, so that a server gets it along
    /// with the start's own questions.
    bool RunWithoutWindow(LoginPtr oLogin, const QString& ArchiveName, const QString& SysId,
                          const std::function<bool(ComVar&)>& job, bool onlyReads = false,
                          const std::function<void(const ComVar&)>& expect = {});
#ifndef TARVOARCHIVE_EARLIER_BUILD
    /// The archive a menu id of the portal opens ("AA_Bank", "Bank"), or "" for none.
    static QString menuArchive(const QString& cMenuId);
#endif

    /// Whether the class answers an interface identifier: its own default interface and, in
    /// the later build, also the earlier build's, whose Show keeps its place and dispatch id.
    static bool answersInterface(const QUuid& iid);
    /// The member a dispatch id stands for, or empty.
    static QByteArray memberName(unsigned dispId);

    /// The descriptor of the running session; null outside one.
    ComVarPtr comVar() const { return m_ComVar; }

private:
#ifndef TARVOARCHIVE_EARLIER_BUILD
    BusinessPtr m_Business;
#endif
    bool m_bOwnSession = false;
    ComVarPtr m_ComVar;
    /// What the thread's session held before this Show replaced it (earlier build), put back
    /// when it ends.
    struct SavedSession;
    std::unique_ptr<SavedSession> m_saved;

    /// Sets up the session of an archive (with its list window unless withList is false)
    /// and takes its function lock; false, after saying why, when it cannot.
    bool StartSession(LoginPtr& oLogin, const QString& ArchiveName, const QString& SysId,
                      bool withList = true, bool lockArchive = true,
                      const std::function<void(const ComVar&)>& expect = {});
    void EndSession();
    bool CreateDataObjects(LoginPtr& oLogin);
    /// Tells the data objects what the start will ask of them, so that a server gets it all
    /// with the first question (the function lock's).
    void ExpectStart(bool withList, const std::function<void(const ComVar&)>& expect);
};

} // namespace tarvo

Q_DECLARE_METATYPE(tarvo::LoginPtr)
#ifndef TARVOARCHIVE_EARLIER_BUILD
Q_DECLARE_METATYPE(tarvo::BusinessPtr)
#endif
