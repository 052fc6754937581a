#include "RoleLogins.h"

#include "AccountDatabase.h"
#include "PostgresDatabases.h"
#include "ServerRoles.h"

#include <QUrl>

using namespace tarvo::suite;

namespace {

const char* const kSuffix[] = {"_r", "_c", "_m"};
const char* const kGroup[] = {"tarvo_reader", "tarvo_clerk", "tarvo_manager"};

} // namespace

RoleLogins::RoleLogins(const QString& ownerUrl)
    : m_ownerUrl(ownerUrl), m_prefix(databaseOf(ownerUrl)) {
    auto db = AccountDatabase::open(ownerUrl);
    SqlBackend& sql = db->sql();
    grantServerRoles(sql);
    for (Group g : {Reader, Clerk, Manager}) {
        sql.execScript(QStringLiteral("CREATE ROLE %1 LOGIN IN ROLE %2")
                           .arg(role(g), QLatin1String(kGroup[g])));
        sql.exec(QStringLiteral("INSERT INTO tarvo_user (cUser_Id, cUser_Name, cDbRole) VALUES "
                                "(?, ?, ?)"),
                 {operatorOf(g), operatorOf(g) + QStringLiteral("名"), role(g)});
    }
}

RoleLogins::~RoleLogins() {
    try {
        auto db = AccountDatabase::open(m_ownerUrl);
        for (Group g : {Reader, Clerk, Manager})
            db->sql().execScript(QStringLiteral("DROP ROLE IF EXISTS %1").arg(role(g)));
    } catch (const DbError&) {
        // A role left behind belongs to a throw-away server; it grants nothing elsewhere.
    }
}

QString RoleLogins::role(Group g) const {
    return m_prefix + QLatin1String(kSuffix[g]);
}

QString RoleLogins::url(Group g) const {
    QUrl url(m_ownerUrl);
    url.setUserName(role(g));
    return url.toString();
}

QString RoleLogins::operatorOf(Group g) {
    return QStringList{"reader1", "clerk1", "manager1"}[g];
}
