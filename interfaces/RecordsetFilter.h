#pragma once

#include "Recordset.h"

#include <memory>

namespace tarvo {

/// A parsed record set filter: comparisons "field op value" (op one of = <> < > <= >= like,
/// value a quoted text with '' for a quote, a number, #date# or null) joined by and / or,
/// with parentheses. Text compares without regard to case; like takes * or % as wildcards.
class FilterExpression {
public:
    struct Node;

    /// Throws RecordsetError on a syntax error or a field that the record set lacks.
    static std::shared_ptr<const FilterExpression> parse(const QString& text,
                                                         const QVector<FieldInfo>& fields);
    ~FilterExpression();

    bool matches(const QVector<QVariant>& row) const;

private:
    explicit FilterExpression(std::unique_ptr<Node> root);
    std::unique_ptr<Node> m_root;
};

} // namespace tarvo
