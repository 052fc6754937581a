#include "ShownValues.h"

namespace tarvo {

int SignFlagTextIndex(bool storedOne) {
    return storedOne ? 0 : 1;
}

QString SignFlagShown(const QString& stored, const QStringList& texts) {
    return texts.value(SignFlagTextIndex(stored == u"1"));
}

QString AccPropertyShown(const QString& stored, const QStringList& texts) {
    bool number = false;
    const int code = stored.toInt(&number);
    return number && code >= 0 && code < texts.size() ? texts[code] : stored;
}

bool IsStyledAmount(IPub& pub, const ComVar& comVar, const QString& field) {
    return !pub.GetEleVal(comVar.m_EleStyle, field.toLower()).isNull();
}

int StyledDecimals(IPub& pub, const ComVar& comVar, const QString& field) {
    // The style was lowered as it was loaded: its elements are the fields' names in lower case.
    return pub.GetEleVal(comVar.m_EleStyle, field.toLower()).toInt();
}

QString StyledAmount(IPub& pub, const ComVar& comVar, const QString& field, const QVariant& value) {
    return pub.FormatNum(value, StyledDecimals(pub, comVar, field));
}

} // namespace tarvo
