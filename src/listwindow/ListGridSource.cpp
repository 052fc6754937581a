#include "ListGridSource.h"

#include <QDate>

namespace tarvo {

ListGridSource::ListGridSource(RecordsetPtr rs, QStringList yesNoText, QStringList signFlagText,
                               QStringList accPropertyText)
    : m_rs(std::move(rs)), m_yesNoText(std::move(yesNoText)),
      m_signFlagText(std::move(signFlagText)), m_accPropertyText(std::move(accPropertyText)),
      m_shown(m_rs->FieldCount() + 1, Shown::AsIs) {}

QVariant ListGridSource::displayValue(const QVariant& value, const QString& fieldName) {
    if (value.isNull())
        return QString();
    if (fieldName.compare(u"iWhFundQuota", Qt::CaseInsensitive) == 0 ||
        fieldName.compare(u"iWHProperty", Qt::CaseInsensitive) == 0)
        return QVariant();
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (value.typeId() == QMetaType::QDate)
        return value.toDate().toString(Qt::ISODate);
    return value;
}

void ListGridSource::setShown(int col, Shown shown) {
    if (col > 0 && col < m_shown.size())
        m_shown[col] = shown;
}

int ListGridSource::rowCount() const {
    return m_rs->storedRowCount();
}

QString ListGridSource::text(int row, int col) const {
    if (col < 1 || col >= m_shown.size())
        return {};
    const QString t =
        displayValue(m_rs->valueAt(row, col - 1), m_rs->FieldAt(col - 1).name).toString();
    switch (m_shown[col]) {
    case Shown::YesNo: {
        const QString lower = t.toLower();
        const bool yes = lower == u"true" || lower == m_yesNoText.value(1);
        return m_yesNoText.value(yes ? 1 : 0);
    }
    case Shown::SignFlag:
        // The stored 1 shows the text of isignflag0: the card pairs them crosswise too.
        return m_signFlagText.value(t == u"1" ? 0 : 1);
    case Shown::AccProperty: {
        // A code no text stands for (written by another program) shows as it is stored.
        bool number = false;
        const int code = t.toInt(&number);
        return number && code >= 0 && code < m_accPropertyText.size() ? m_accPropertyText[code]
                                                                       : t;
    }
    case Shown::AsIs:
        break;
    }
    return t;
}

} // namespace tarvo
