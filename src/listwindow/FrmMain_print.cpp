// Printing, preview, export and page set-up of the list.
#include "ErrorHandling.h"
#include "FrmMain.h"

namespace tarvo {

void FrmMain::PrintAll(const QString& key, suite::Grid*) {
    const QString k = key.toLower();
    const QString what = k == u"setup"     ? QStringLiteral("页面设置")
                         : k == u"print"   ? QStringLiteral("打印")
                         : k == u"preview" ? QStringLiteral("打印预览")
                                           : QStringLiteral("输出");
    ShowInfo(QStringLiteral("“%1”功能尚未提供。").arg(what));
}

} // namespace tarvo
