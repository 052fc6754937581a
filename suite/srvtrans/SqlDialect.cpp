#include "SqlDialect.h"

#include <QRegularExpression>

namespace tarvo::suite {

QString translateQuery(const QString& sql) {
    static const QRegularExpression top(
        QStringLiteral("^(\\s*select\\s+(?:distinct\\s+)?)top\\s+(\\d+)\\s+"),
        QRegularExpression::CaseInsensitiveOption);
    QString text = sql.trimmed();
    while (text.endsWith(u';'))
        text.chop(1);
    const auto m = top.match(text);
    if (!m.hasMatch())
        return text;
    return m.captured(1) + text.mid(m.capturedEnd(0)) + QStringLiteral(" LIMIT ") + m.captured(2);
}

} // namespace tarvo::suite
