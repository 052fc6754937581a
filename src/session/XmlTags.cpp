#include "XmlTags.h"

#include "ArchiveSession.h"
#include "ErrorHandling.h"

#include <QCoreApplication>

namespace tarvo {

QString GetXmlTagValue(const QString& sXml, const QString& sTag, const QString& sDefault) {
    if (sXml.isEmpty() || sTag.isEmpty())
        return sDefault;
    const QString tag = sTag.toLower();
    const QString open = QStringLiteral("<%1>").arg(tag);
    const QString close = QStringLiteral("</%1>").arg(tag);
    const auto p = sXml.indexOf(open);
    const auto q = sXml.indexOf(close);
    if (p < 0 || q < 0) {
        ShowInfo(ArchiveSession::current().oPub->GetResString(
                     QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.noparam")) +
                 tag);
        return sDefault;
    }
    const auto length = q - p - open.size();
    if (length < 0) {
        ShowInfo(QCoreApplication::translate(
                     "tarvo::Messages", "无效的过程调用或参数：标记 %1 的结束标记在开始标记之前")
                     .arg(tag));
        return {};
    }
    return sXml.mid(p + open.size(), length);
}

QString XmlElement(const QString& name, const QString& value) {
    return u'<' + name + u'>' + value.toHtmlEscaped() + QStringLiteral("</") + name + u'>';
}

} // namespace tarvo
