#include "Resources.h"

#include "ErrorHandling.h"

#include <QFile>
#include <QHash>

namespace tarvo {

QIcon LoadResPicture(int number, PictureKind kind) {
    const QString path =
        QStringLiteral(":/tarvoarchive/pictures/%1_%2.svg")
            .arg(kind == PictureKind::Icon ? QStringLiteral("icon") : QStringLiteral("bitmap"))
            .arg(number);
    if (!QFile::exists(path))
        throw ArchiveError(
            QStringLiteral("找不到资源文件中的图片 %1（%2）")
                .arg(number)
                .arg(kind == PictureKind::Icon ? QStringLiteral("图标") : QStringLiteral("位图")));
    return QIcon(path);
}

QString LoadResString(int id) {
    static const QHash<int, QString> table = {
        {1, QStringLiteral("提示信息")},       {100, QStringLiteral("101－－199 公共信息")},
        {101, QStringLiteral("保存")},         {111, QStringLiteral("首张")},
        {112, QStringLiteral("第一条记录")},   {113, QStringLiteral("上张")},
        {114, QStringLiteral("前一条记录")},   {115, QStringLiteral("下张")},
        {116, QStringLiteral("后一条记录")},   {117, QStringLiteral("末张")},
        {118, QStringLiteral("最后一条记录")}, {119, QStringLiteral("返回")},
        {120, QStringLiteral("退出")},
    };
    return table.value(id);
}

} // namespace tarvo
