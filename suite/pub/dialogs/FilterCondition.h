#pragma once

#include <QString>
#include <QVector>

namespace tarvo::suite {

/// A field a list can be filtered by: as it stands in the list's select list ("cBCode",
/// "AA_Bank.cBankName", "Bank.cBankCode"), its caption, and its data type code (202 text,
/// 11 bit, 2/3 integer, 5/6 decimal, 135 date).
struct FilterField {
    QString field;
    QString caption;
    int adoType = 202;
};

/// How a field's values are written and compared in a condition.
enum class FilterKind { Text, Bit, Integer, Decimal, Date };
FilterKind filterKind(int adoType);

enum class FilterOp {
    Equal,
    NotEqual,
    Greater,
    GreaterOrEqual,
    Less,
    LessOrEqual,
    Contains,
    NotContains,
    StartsWith,
    IsEmpty,
    IsNotEmpty,
};

/// One line of a filter: field, operator, the value as the user gave it (bits "1"/"0", dates
/// "yyyy-MM-dd") and whether it joins the next counted line with OR rather than AND.
struct FilterRow {
    FilterField field;
    FilterOp op = FilterOp::Equal;
    QString value;
    bool orWithNext = false;
};

/// Turns filter lines into a condition in SQL syntax that runs on SQLite and PostgreSQL alike.
/// Nothing typed can leave its literal: text is quoted with apostrophes doubled, LIKE patterns
/// escape their wildcards, numbers, bits and dates are checked before they are written.
class FilterCondition {
public:
    struct Result {
        /// Empty when no line says anything.
        QString condition;
        /// The line whose value was refused, or -1.
        int badRow = -1;
        QString error;
        bool ok() const { return badRow < 0; }
    };

    /// Lines whose value is blank are left out (except 为空 / 不为空, which need none). AND binds
    /// before OR, as in SQL; a condition with an OR comes in parentheses, so that a caller can
    /// append " and " and more.
    static Result build(const QVector<FilterRow>& rows);
    /// The lines that count, in words for the user: "账户名称 包含 “工行” 并且 余额 大于 “100”".
    static QString describe(const QVector<FilterRow>& rows);

    /// The operators that make sense for a kind of field, in the order the dialog offers them.
    static QVector<FilterOp> operatorsFor(FilterKind kind);
    static QString caption(FilterOp op);
    static bool needsValue(FilterOp op);
};

} // namespace tarvo::suite
