#include "AccountNumberRule.h"

namespace tarvo {

AccountNumberRule AccountNumberRule::ofBank(IClsCommon& db, const QString& bankCode) {
    AccountNumberRule rule;
    if (bankCode.isEmpty())
        return rule;
    RecordsetPtr rs =
        db.ReferenceRows(QStringLiteral("aa_bank"), QStringLiteral("cBankCode"), bankCode);
    if (!rs) {
        QString sql = QStringLiteral(
            "select cBankName, bComdFixLen, iComAccNoLen from aa_bank where cBankCode = ?");
        rs = db.OpenXBound(sql, {bankCode});
    }
    if (!rs || rs->Eof())
        return rule;
    return of(rs->Value(QStringLiteral("cBankName")).toString(),
              rs->Value(QStringLiteral("bComdFixLen")).toInt(),
              rs->Value(QStringLiteral("iComAccNoLen")).toInt());
}

AccountNumberRule AccountNumberRule::of(const QString& bankName, int fixedLength, int length) {
    AccountNumberRule rule;
    if (fixedLength != 1)
        return rule;
    rule.bankName = bankName;
    rule.length = length;
    return rule;
}

QString AccountNumberRule::mismatch(IPub& pub, const QString& number) const {
    if (length <= 0 || number.trimmed().isEmpty())
        return {};
    int digits = 0;
    for (const QChar c : number) {
        if (c == u' ' || c == u'-')
            continue;
        if (c < u'0' || c > u'9')
            return pub.GetResFormatString(
                QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cbaccount_digits"),
                {bankName, number.trimmed()});
        ++digits;
    }
    if (digits == length)
        return {};
    return pub.GetResFormatString(QStringLiteral("Tarvo.AA.ARCHIVE.COMMON.cbaccount_length"),
                                  {bankName, length, digits});
}

} // namespace tarvo
