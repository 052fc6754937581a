#include "LostZeros.h"

#include <algorithm>

namespace tarvo {

namespace {

QString withoutLeadingZeros(const QString& value) {
    qsizetype zeros = 0;
    while (zeros < value.size() && value[zeros] == u'0')
        ++zeros;
    return value.mid(zeros);
}

} // namespace

bool allDigits(const QString& text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

QString comparedNumber(QString number) {
    return number.remove(u' ').remove(u'-');
}

bool LostZeros::read(IClsCommon& db, const QString& table, const QString& keyField,
                     const QString& numberField) {
    m_codes.clear();
    m_numbers.clear();
    // Each stored value with leading zeros comes with whether the same without them is stored
    // as well, found by the key and by the index on compared numbers. The numbers come first:
    // literals after the first where become parameters, and the index is only used for the
    // expression as it writes it.
    const QString codes =
        QStringLiteral("select 0, b.%1, t.%1 from %2 b left join %2 t on t.%1 = ltrim(b.%1, '0') "
                       "where b.%1 like '0%'")
            .arg(keyField, table);
    QString sql = numberField.isEmpty()
                      ? codes
                      : QStringLiteral("select 1, b.%1, t.%2 from %3 b left join %3 t on "
                                       "replace(replace(t.%1, ' ', ''), '-', '') = "
                                       "ltrim(b.%1, '0') where b.%1 like '0%' union all ")
                                .arg(numberField, keyField, table) +
                            codes;
    const RecordsetPtr rs = db.OpenX(sql);
    if (!rs)
        return false;
    for (rs->MoveFirst(); !rs->Eof(); rs->MoveNext()) {
        const bool number = rs->Value(0).toInt() == 1;
        Stored s{rs->Value(1).toString(), {}, !rs->Value(2).toString().isEmpty()};
        s.compared = number ? comparedNumber(s.shown) : s.shown;
        if (allDigits(s.compared))
            (number ? m_numbers : m_codes).insert(withoutLeadingZeros(s.compared), s);
    }
    return true;
}

LostZeros::Match LostZeros::find(const QMultiHash<QString, Stored>& stored, const QString& value) {
    Match match;
    if (!allDigits(value))
        return match;
    const QString bare = withoutLeadingZeros(value);
    for (auto it = stored.constFind(bare); it != stored.cend() && it.key() == bare; ++it) {
        // A spreadsheet drops every leading zero: a value with zeros of its own is none it made.
        const bool dropped = value == bare && it->compared.size() > value.size();
        if (it->compared == value)
            match.stored = true;
        else if (match.padded.isEmpty() || (dropped && !match.dropped))
            match = {it->shown, dropped, match.stored};
        if (value == bare && it->bare)
            match.stored = true;
    }
    return match;
}

} // namespace tarvo
