#pragma once

#include <QString>

/// On a test database on a server: the three group roles granted as the database tool grants
/// them, and one login role of this test in each, tied to an operator of its own. The login
/// roles are dropped again with this object; the group roles stay, as they are the server's.
class RoleLogins {
public:
    enum Group { Reader, Clerk, Manager };

    explicit RoleLogins(const QString& ownerUrl);
    ~RoleLogins();
    RoleLogins(const RoleLogins&) = delete;
    RoleLogins& operator=(const RoleLogins&) = delete;

    /// The login role of the group, and the database's URL that logs in as it.
    QString role(Group g) const;
    QString url(Group g) const;
    /// The operator the login role is tied to.
    static QString operatorOf(Group g);

private:
    QString m_ownerUrl;
    QString m_prefix;
};
