#include "ResourceTable.h"

#include <QFile>
#include <QMutex>

#include <map>

namespace tarvo::suite {

QHash<QString, QString> ResourceTable::parse(const QString& text) {
    QHash<QString, QString> texts;
    for (const QString& line : text.split(u'\n')) {
        if (line.startsWith(u'#') || line.trimmed().isEmpty())
            continue;
        const int eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        QString value = line.mid(eq + 1);
        if (value.endsWith(u'\r'))
            value.chop(1);
        texts.insert(line.left(eq).trimmed(), value);
    }
    return texts;
}

const ResourceTable& ResourceTable::forLanguage(const QString& language) {
    static QMutex mutex;
    static std::map<QString, ResourceTable> tables;
    const QString lang = language.compare(u"en-US", Qt::CaseInsensitive) == 0
                             ? QStringLiteral("en-US")
                             : QStringLiteral("zh-CN");
    QMutexLocker lock(&mutex);
    auto it = tables.find(lang);
    if (it == tables.end()) {
        ResourceTable table;
        QFile f(QStringLiteral(":/suite/data/resources/%1.txt").arg(lang));
        if (f.open(QIODevice::ReadOnly))
            table.m_texts = parse(QString::fromUtf8(f.readAll()));
        it = tables.emplace(lang, std::move(table)).first;
    }
    return it->second;
}

QString ResourceTable::format(const QString& key, const QVariantList& values) const {
    const QString pattern = text(key);
    QString out;
    // One pass, so a value that itself holds "%1" is put in as it stands.
    for (int i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == u'%' && i + 1 < pattern.size() && pattern[i + 1].isDigit()) {
            int j = i + 1;
            while (j < pattern.size() && pattern[j].isDigit())
                ++j;
            const int n = pattern.mid(i + 1, j - i - 1).toInt();
            if (n >= 1 && n <= values.size()) {
                out += values[n - 1].toString();
                i = j - 1;
                continue;
            }
        }
        out += pattern[i];
    }
    return out;
}

} // namespace tarvo::suite
