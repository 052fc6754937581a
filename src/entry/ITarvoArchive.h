#pragma once

#include "ComVar.h"
#include "HostObject.h"
#include "IBusiness.h"
#include "ILogin.h"

#include <QObject>
#include <QUuid>

namespace tarvo {

/// The component's one public class. A host opens an archive through Show (its login, the
/// archive name, a system id) and gets back control when the user has closed the list; the
/// portal sets Business and calls ShowModeless with a menu id. The members are invokable by
/// name through the meta-object system, and by dispatch id through memberName().
class ITarvoArchive : public QObject, public HostObject {
    Q_OBJECT
    Q_PROPERTY(tarvo::BusinessPtr Business READ Business WRITE setBusiness)
public:
    explicit ITarvoArchive(QObject* parent = nullptr);
    ~ITarvoArchive() override;

    Q_INVOKABLE void Show(tarvo::LoginPtr oLogin, const QString& ArchiveName, const QString& SysId);
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

    /// Whether the class answers an interface identifier: the current one and the earlier
    /// build's, whose Show keeps its place and dispatch id.
    static bool answersInterface(const QUuid& iid);
    /// The member a dispatch id stands for, or empty.
    static QByteArray memberName(unsigned dispId);

    /// The descriptor of the running session; null outside one.
    ComVarPtr comVar() const { return m_ComVar; }

private:
    BusinessPtr m_Business;
    bool m_bOwnSession = false;
    ComVarPtr m_ComVar;

    bool StartSession(LoginPtr& oLogin, const QString& ArchiveName, const QString& SysId);
    void EndSession();
};

} // namespace tarvo

Q_DECLARE_METATYPE(tarvo::LoginPtr)
Q_DECLARE_METATYPE(tarvo::BusinessPtr)
