#include "Resources.h"

#include "ErrorHandling.h"

#include <QCoreApplication>
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
            QCoreApplication::translate("tarvo::Resources", "找不到资源文件中的图片 %1（%2）")
                .arg(number)
                .arg(kind == PictureKind::Icon
                         ? QCoreApplication::translate("tarvo::Resources", "图标")
                         : QCoreApplication::translate("tarvo::Resources", "位图")));
    return QIcon(path);
}

QString LoadResString(int id) {
    static const QHash<int, const char*> table = {
        {1, QT_TRANSLATE_NOOP("tarvo::Resources", "提示信息")},
        {100, QT_TRANSLATE_NOOP("tarvo::Resources", "101－－199 公共信息")},
        {101, QT_TRANSLATE_NOOP("tarvo::Resources", "保存")},
        {111, QT_TRANSLATE_NOOP("tarvo::Resources", "首张")},
        {112, QT_TRANSLATE_NOOP("tarvo::Resources", "第一条记录")},
        {113, QT_TRANSLATE_NOOP("tarvo::Resources", "上张")},
        {114, QT_TRANSLATE_NOOP("tarvo::Resources", "前一条记录")},
        {115, QT_TRANSLATE_NOOP("tarvo::Resources", "下张")},
        {116, QT_TRANSLATE_NOOP("tarvo::Resources", "后一条记录")},
        {117, QT_TRANSLATE_NOOP("tarvo::Resources", "末张")},
        {118, QT_TRANSLATE_NOOP("tarvo::Resources", "最后一条记录")},
        {119, QT_TRANSLATE_NOOP("tarvo::Resources", "返回")},
        {120, QT_TRANSLATE_NOOP("tarvo::Resources", "退出")},
    };
    const char* text = table.value(id);
    return text ? QCoreApplication::translate("tarvo::Resources", text) : QString();
}

} // namespace tarvo
