#include "FilterCondition.h"

#include "AdoTypes.h"
#include "UiText.h"

#include <QDate>
#include <QRegularExpression>

namespace tarvo::suite {

namespace {

const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

QString quoted(QString text) {
    return u'\'' + text.replace(u'\'', QStringLiteral("''")) + u'\'';
}

/// The backslash is the escape character of every LIKE we write, so it escapes itself too.
QString likeEscaped(QString text) {
    return text.replace(u'\\', QStringLiteral("\\\\"))
        .replace(u'%', QStringLiteral("\\%"))
        .replace(u'_', QStringLiteral("\\_"));
}

/// Chinese input methods often give full-width digits and signs; NFKC folds them to ASCII.
QString asciiNumber(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC).trimmed();
}

QString integerLiteral(const QString& text) {
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]+$"));
    const QString s = asciiNumber(text);
    bool ok = false;
    const qlonglong v = integer.match(s).hasMatch() ? s.toLongLong(&ok) : 0;
    return ok ? QString::number(v) : QString();
}

/// Kept as typed rather than read into a double, so that long amounts lose no digits.
QString decimalLiteral(const QString& text) {
    static const QRegularExpression decimal(
        QStringLiteral("^([+-]?)([0-9]+(?:\\.[0-9]*)?|\\.[0-9]+)$"));
    const auto m = decimal.match(asciiNumber(text));
    if (!m.hasMatch())
        return {};
    QString digits = m.captured(2);
    if (digits.startsWith(u'.'))
        digits.prepend(u'0');
    if (digits.endsWith(u'.'))
        digits.chop(1);
    return (m.captured(1) == u"-" ? QStringLiteral("-") : QString()) + digits;
}

QString refusal(int row, const FilterRow& r, const char* zh, const char* en) {
    return uiText(zh, en).arg(row + 1).arg(r.field.caption, r.value.trimmed());
}

/// The SQL literal for a line's value, or empty with error set when the value does not fit
/// the field.
QString literal(const FilterRow& r, int row, QString& error) {
    const QString v = r.value.trimmed();
    switch (filterKind(r.field.adoType)) {
    case FilterKind::Integer: {
        const QString n = integerLiteral(v);
        if (n.isEmpty())
            error = refusal(row, r, "第%1行：“%2”须填写整数，“%3”不是整数。",
                            "Line %1: \"%2\" takes a whole number; \"%3\" is not one.");
        return n;
    }
    case FilterKind::Decimal: {
        const QString n = decimalLiteral(v);
        if (n.isEmpty())
            error = refusal(row, r, "第%1行：“%2”须填写数字，“%3”不是数字。",
                            "Line %1: \"%2\" takes a number; \"%3\" is not one.");
        return n;
    }
    case FilterKind::Date: {
        const QDate d = QDate::fromString(v, kDateFormat);
        if (!d.isValid()) {
            error = refusal(row, r, "第%1行：“%2”须填写日期（年-月-日），“%3”不是有效的日期。",
                            "Line %1: \"%2\" takes a date (year-month-day); \"%3\" is not one.");
            return {};
        }
        return quoted(d.toString(kDateFormat));
    }
    case FilterKind::Bit:
        if (v == u"1" || v == u"0")
            return v;
        error = refusal(row, r, "第%1行：“%2”只能选择“是”或“否”。",
                        "Line %1: \"%2\" can only be Yes or No.");
        return {};
    case FilterKind::Text:
        break;
    }
    switch (r.op) {
    case FilterOp::Contains:
    case FilterOp::NotContains:
        return quoted(u'%' + likeEscaped(v) + u'%');
    case FilterOp::StartsWith:
        return quoted(likeEscaped(v) + u'%');
    default:
        return quoted(v);
    }
}

/// One line as a parenthesised comparison. "Not equal" and "does not contain" count the rows
/// without a value too: an accountant asking for accounts not at bank X expects those.
QString comparison(const QString& f, FilterOp op, bool text, const QString& lit) {
    // One arg() call with both values: a value holding "%1" must not be read as a marker.
    const auto form = [&](const char* pattern) { return QString::fromLatin1(pattern).arg(f, lit); };
    switch (op) {
    case FilterOp::Equal:
        return form("(%1 = %2)");
    case FilterOp::NotEqual:
        return form("(%1 IS NULL OR %1 <> %2)");
    case FilterOp::Greater:
        return form("(%1 > %2)");
    case FilterOp::GreaterOrEqual:
        return form("(%1 >= %2)");
    case FilterOp::Less:
        return form("(%1 < %2)");
    case FilterOp::LessOrEqual:
        return form("(%1 <= %2)");
    // lower() on both sides: SQLite's LIKE ignores case, PostgreSQL's does not.
    case FilterOp::Contains:
    case FilterOp::StartsWith:
        return form("(lower(%1) LIKE lower(%2) ESCAPE '\\')");
    case FilterOp::NotContains:
        return form("(%1 IS NULL OR lower(%1) NOT LIKE lower(%2) ESCAPE '\\')");
    case FilterOp::IsEmpty:
        return text ? form("(%1 IS NULL OR %1 = '')") : form("(%1 IS NULL)");
    case FilterOp::IsNotEmpty:
        return text ? form("(%1 IS NOT NULL AND %1 <> '')") : form("(%1 IS NOT NULL)");
    }
    return {};
}

} // namespace

FilterKind filterKind(int adoType) {
    if (adoType == ado::adBoolean)
        return FilterKind::Bit;
    if (ado::isDate(adoType))
        return FilterKind::Date;
    switch (adoType) {
    case ado::adSingle:
    case ado::adDouble:
    case ado::adCurrency:
    case ado::adDecimal:
    case ado::adNumeric:
        return FilterKind::Decimal;
    default:
        return ado::isNumeric(adoType) ? FilterKind::Integer : FilterKind::Text;
    }
}

QVector<FilterOp> FilterCondition::operatorsFor(FilterKind kind) {
    using enum FilterOp;
    switch (kind) {
    case FilterKind::Text:
        return {Equal,    NotEqual,    Greater,    GreaterOrEqual, Less,      LessOrEqual,
                Contains, NotContains, StartsWith, IsEmpty,        IsNotEmpty};
    case FilterKind::Bit:
        return {Equal, NotEqual};
    case FilterKind::Integer:
    case FilterKind::Decimal:
    case FilterKind::Date:
        break;
    }
    return {Equal, NotEqual, Greater, GreaterOrEqual, Less, LessOrEqual, IsEmpty, IsNotEmpty};
}

QString FilterCondition::caption(FilterOp op) {
    switch (op) {
    case FilterOp::Equal:
        return uiText("等于", "equals");
    case FilterOp::NotEqual:
        return uiText("不等于", "does not equal");
    case FilterOp::Greater:
        return uiText("大于", "greater than");
    case FilterOp::GreaterOrEqual:
        return uiText("大于等于", "at least");
    case FilterOp::Less:
        return uiText("小于", "less than");
    case FilterOp::LessOrEqual:
        return uiText("小于等于", "at most");
    case FilterOp::Contains:
        return uiText("包含", "contains");
    case FilterOp::NotContains:
        return uiText("不包含", "does not contain");
    case FilterOp::StartsWith:
        return uiText("开头是", "starts with");
    case FilterOp::IsEmpty:
        return uiText("为空", "is empty");
    case FilterOp::IsNotEmpty:
        return uiText("不为空", "is not empty");
    }
    return {};
}

bool FilterCondition::needsValue(FilterOp op) {
    return op != FilterOp::IsEmpty && op != FilterOp::IsNotEmpty;
}

FilterCondition::Result FilterCondition::build(const QVector<FilterRow>& rows) {
    Result result;
    bool anyOr = false;
    bool orPending = false;
    for (int i = 0; i < rows.size(); ++i) {
        const FilterRow& r = rows[i];
        if (needsValue(r.op) && r.value.trimmed().isEmpty())
            continue;
        const FilterKind kind = filterKind(r.field.adoType);
        if (!operatorsFor(kind).contains(r.op)) {
            result.badRow = i;
            result.error = uiText("第%1行：“%2”不能使用“%3”条件。",
                                  "Line %1: \"%2\" cannot be compared with \"%3\".")
                               .arg(i + 1)
                               .arg(r.field.caption, caption(r.op));
            return result;
        }
        QString lit;
        if (needsValue(r.op)) {
            lit = literal(r, i, result.error);
            if (lit.isEmpty()) {
                result.badRow = i;
                result.condition.clear();
                return result;
            }
        }
        if (!result.condition.isEmpty()) {
            result.condition += orPending ? QStringLiteral(" OR ") : QStringLiteral(" AND ");
            anyOr = anyOr || orPending;
        }
        result.condition += comparison(r.field.field, r.op, kind == FilterKind::Text, lit);
        orPending = r.orWithNext;
    }
    if (anyOr)
        result.condition = u'(' + result.condition + u')';
    return result;
}

QString FilterCondition::describe(const QVector<FilterRow>& rows) {
    QString text;
    bool orPending = false;
    for (const FilterRow& r : rows) {
        if (needsValue(r.op) && r.value.trimmed().isEmpty())
            continue;
        if (!text.isEmpty())
            text += orPending ? uiText(" 或者 ", " or ") : uiText(" 并且 ", " and ");
        text += r.field.caption + u' ' + caption(r.op);
        if (needsValue(r.op)) {
            QString value = r.value.trimmed();
            if (filterKind(r.field.adoType) == FilterKind::Bit)
                value = value == u"1" ? uiText("是", "yes") : uiText("否", "no");
            text += uiText(" “%1”", " \"%1\"").arg(value);
        }
        orPending = r.orWithNext;
    }
    return text;
}

} // namespace tarvo::suite
