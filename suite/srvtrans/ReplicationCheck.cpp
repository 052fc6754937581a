#include "ReplicationCheck.h"

#include "DatabaseName.h"

#include <QCoreApplication>
#include <QMutex>
#include <QSet>

#include <libpq-fe.h>

#include <cstdio>

namespace tarvo::suite {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("tarvo::suite::DbError", text);
}

/// Claims the check of one server for this process; false when it was claimed before.
bool firstLookAt(const QString& url) {
    static QMutex mutex;
    static QSet<QString> looked;
    const QMutexLocker lock(&mutex);
    if (looked.contains(url))
        return false;
    looked.insert(url);
    return true;
}

} // namespace

QString replicationWarning(const QString& server, int standbys,
                           const QString& synchronousStandbyNames,
                           const QString& synchronousCommit) {
    if (standbys <= 0)
        return {};
    if (synchronousStandbyNames.trimmed().isEmpty())
        return tr("警告：数据库服务器 %1 有 %2 台备用服务器，但没有同步备用服务器"
                  "（synchronous_standby_names 为空）。切换到备用服务器时，已报告保存成功的修改"
                  "可能丢失。请数据库管理员设置同步备用服务器。")
            .arg(server)
            .arg(standbys);
    if (synchronousCommit == u"off" || synchronousCommit == u"local")
        return tr("警告：数据库服务器 %1 的 synchronous_commit 为 %2，修改在备用服务器收到之前"
                  "就报告保存成功。切换到备用服务器时，这些修改可能丢失。请数据库管理员把它设为 "
                  "on 或 remote_apply。")
            .arg(server, synchronousCommit);
    return {};
}

// Any role may count the standbys and read the settings.
const char kReplicationQuestion[] = "SELECT (SELECT count(*) FROM pg_stat_replication), "
                                    "current_setting('synchronous_standby_names'), "
                                    "current_setting('synchronous_commit')";

bool claimReplicationLook(const QString& url) {
    return firstLookAt(url);
}

void warnOfUnconfirmedCommits(const PGresult* r, const QString& url) {
    if (PQresultStatus(r) != PGRES_TUPLES_OK || PQntuples(r) != 1)
        return;
    const QString warning = replicationWarning(
        shownDatabaseName(url), QByteArray(PQgetvalue(r, 0, 0)).toInt(),
        QString::fromUtf8(PQgetvalue(r, 0, 1)), QString::fromUtf8(PQgetvalue(r, 0, 2)));
    if (!warning.isEmpty())
        std::fprintf(stderr, "%s\n", warning.toUtf8().constData());
}

void warnOfUnconfirmedCommitsOnce(PGconn* conn, const QString& url) {
    if (!firstLookAt(url))
        return;
    PGresult* r = PQexec(conn, kReplicationQuestion);
    warnOfUnconfirmedCommits(r, url);
    PQclear(r);
}

} // namespace tarvo::suite
