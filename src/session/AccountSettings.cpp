#include "AccountSettings.h"

#include "ArchiveSession.h"
#include "ErrorHandling.h"

#include <QCoreApplication>
#include <QDomDocument>
#include <QRegularExpression>

#include <cmath>

namespace tarvo {

qint16 DecimalsFromSetting(const QString& text, bool* clamped) {
    static const QRegularExpression leading(
        QStringLiteral("^\\s*([-+]?(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d+)?)"));
    const auto m = leading.match(text);
    const double v = m.hasMatch() ? m.captured(1).toDouble() : 0.0;
    const double r = std::nearbyint(v); // the default rounding mode sends halves to even
    // A setting nobody could mean (99999, 1e308, inf) must not keep the list from loading.
    const bool outside = !(r >= 0 && r <= kMaxBalanceDecimals);
    if (clamped)
        *clamped = outside;
    if (!outside)
        return qint16(r);
    return r > 0 ? kMaxBalanceDecimals : 0;
}

RecordsetPtr FilterRecordset(RecordsetPtr rs, const QString& filter) {
    if (!rs)
        throw ArchiveError(
            QCoreApplication::translate("tarvo::Messages", "对象变量未设置：没有取得账套参数"));
    rs->setFilter(filter);
    return rs;
}

QString AccountSettingsSql() {
    return QStringLiteral("select * from AccInformation where cSysID='AA' or cSysID='ST'");
}

void LoadAccountSettings(ComVar& comVar) {
    ArchiveSession& s = ArchiveSession::current();
    QString sql = AccountSettingsSql();
    auto rs = FilterRecordset(
        s.SrvDB->OpenX(sql), QStringLiteral("cSysID='AA' and cID='20' and cName='iStrsPriDecDgt'"));
    if (rs->RecordCount() < 1 || rs->Value(QStringLiteral("cValue")).isNull())
        s.iBalanceDecimals = 2;
    else {
        const QString setting = rs->Value(QStringLiteral("cValue")).toString();
        bool clamped = false;
        s.iBalanceDecimals = DecimalsFromSetting(setting, &clamped);
        if (clamped)
            ShowInfo(QCoreApplication::translate("tarvo::Messages",
                                                 "账套参数中的余额小数位数“%1”超出范围（0～%2），"
                                                 "本次按 %3 位显示，请在账套参数中改正。")
                         .arg(setting.left(40), QString::number(kMaxBalanceDecimals),
                              QString::number(s.iBalanceDecimals)));
    }

    QString style =
        QStringLiteral("<Style><fCurBalance>%1</fCurBalance></Style>").arg(s.iBalanceDecimals);
    s.oPub->UtoLCase(style);
    QDomDocument doc;
    if (doc.setContent(style))
        comVar.m_EleStyle = doc.documentElement();
    else
        ShowInfo(s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.xmlloaderror")));

    s.YesNoText = {s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.no")),
                   s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.yes"))};
    s.SignFlagText = {s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.isignflag0")),
                      s.oPub->GetResString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.isignflag1"))};
    s.AccPropertyText.clear();
    for (const char* key :
         {"Tarvo.AA.ARCHIVE.COMMON.iaccproperty0", "Tarvo.AA.ARCHIVE.COMMON.iaccproperty1",
          "Tarvo.AA.ARCHIVE.COMMON.iaccproperty2"})
        s.AccPropertyText << s.oPub->GetResString(QString::fromLatin1(key));
}

} // namespace tarvo
