#include "ListReadFailure.h"

#include "ArchiveSession.h"

#include <QCoreApplication>

namespace tarvo {

QString listReadFailure(qint64 rowsRead, const QString& error) {
    if (rowsRead == 0)
        return ArchiveSession::current().oPub->GetResString(
            QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.conditionerror"));
    return QCoreApplication::translate("tarvo::ListLoader",
                                       "与数据库的连接在读取列表时中断，列表没有读完。\n%1")
        .arg(error);
}

} // namespace tarvo
