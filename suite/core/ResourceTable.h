#pragma once

#include <QHash>
#include <QString>
#include <QVariantList>

namespace tarvo::suite {

/// The suite's resource texts of one language, read from "key=text" files. A missing key
/// answers with the key itself, so a gap shows on screen instead of an empty caption.
class ResourceTable {
public:
    /// Loads the texts of a language ("zh-CN", "en-US"); an unknown language gets zh-CN.
    static const ResourceTable& forLanguage(const QString& language);
    /// Parses the text of one resource file; used for the shipped files and by the tests.
    static QHash<QString, QString> parse(const QString& text);

    bool contains(const QString& key) const { return m_texts.contains(key); }
    QString text(const QString& key) const { return m_texts.value(key, key); }
    /// The key's text with %1, %2 … replaced by the values in order.
    QString format(const QString& key, const QVariantList& values) const;
    QList<QString> keys() const { return m_texts.keys(); }

private:
    QHash<QString, QString> m_texts;
};

} // namespace tarvo::suite
