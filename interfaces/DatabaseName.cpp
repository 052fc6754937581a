#include "DatabaseName.h"

#include <QByteArray>
#include <QList>
#include <QUrl>

#include <algorithm>

namespace tarvo {

namespace {

const QString kHidden = QStringLiteral("***");

struct Span {
    qsizetype from = 0;
    qsizetype length = 0;
};

bool startsWithScheme(QStringView s) {
    return s.startsWith(u"postgresql://", Qt::CaseInsensitive) ||
           s.startsWith(u"postgres://", Qt::CaseInsensitive);
}

/// Whether a connection setting holds a secret: the login password, and the one that unlocks
/// the client's SSL key.
bool isSecretKey(QStringView key) {
    return key == u"password" || key == u"sslpassword";
}

/// The passwords of a URL starting at `at`. The server's client library ends the user part at
/// the first "@" before any "/"; a password typed with an "@" unencoded is hidden up to the
/// last "@" there, so that no tail of it shows. Any parameter whose name decodes to a secret's
/// holds one too.
void urlPasswords(const QString& s, qsizetype at, QList<Span>& spans) {
    const qsizetype authority = s.indexOf(u"://", at) + 3;
    qsizetype slash = s.indexOf(u'/', authority);
    if (slash < 0)
        slash = s.size();
    const qsizetype userEnd = s.lastIndexOf(u'@', slash - 1);
    if (userEnd >= authority) {
        const qsizetype colon = s.indexOf(u':', authority);
        if (colon >= 0 && colon < userEnd)
            spans.push_back({colon + 1, userEnd - colon - 1});
    }
    qsizetype param = s.indexOf(u'?', std::max(userEnd + 1, authority));
    while (param >= 0) {
        const qsizetype next = s.indexOf(u'&', param + 1);
        const qsizetype stop = next < 0 ? s.size() : next;
        const qsizetype equals = s.indexOf(u'=', param + 1);
        if (equals >= 0 && equals < stop &&
            isSecretKey(QUrl::fromPercentEncoding(s.mid(param + 1, equals - param - 1).toUtf8())))
            spans.push_back({equals + 1, stop - equals - 1});
        param = next;
    }
}

/// The passwords of a keyword/value string ("host=h password='a b' dbname=d"): values run to
/// the next blank unless quoted, with backslash escapes in both; a dbname holding a URL is read
/// as one.
void keywordPasswords(const QString& s, QList<Span>& spans) {
    qsizetype i = 0;
    const auto skipBlanks = [&] {
        while (i < s.size() && s[i].isSpace())
            ++i;
    };
    while (true) {
        skipBlanks();
        const qsizetype keyFrom = i;
        while (i < s.size() && s[i] != u'=' && !s[i].isSpace())
            ++i;
        const QString key = s.mid(keyFrom, i - keyFrom);
        skipBlanks();
        if (key.isEmpty() || i >= s.size() || s[i] != u'=')
            return;
        ++i;
        skipBlanks();
        const qsizetype valueFrom = i;
        const bool quoted = i < s.size() && s[i] == u'\'';
        if (quoted)
            ++i;
        while (i < s.size() && (quoted ? s[i] != u'\'' : !s[i].isSpace()))
            i += s[i] == u'\\' ? 2 : 1;
        i = std::min(i + (quoted ? 1 : 0), s.size());
        if (isSecretKey(key))
            spans.push_back({valueFrom, i - valueFrom});
        else if (key == u"dbname" && startsWithScheme(QStringView(s).mid(valueFrom)))
            urlPasswords(s.left(i), valueFrom, spans);
    }
}

QList<Span> passwordSpans(const QString& dbName) {
    QList<Span> spans;
    if (startsWithScheme(dbName))
        urlPasswords(dbName, 0, spans);
    else if (dbName.contains(u'='))
        keywordPasswords(dbName, spans);
    std::sort(spans.begin(), spans.end(),
              [](const Span& a, const Span& b) { return a.from > b.from; });
    return spans;
}

} // namespace

QString shownDatabaseName(const QString& dbName) {
    QString shown = dbName;
    for (const Span& span : passwordSpans(dbName))
        shown.replace(span.from, span.length, kHidden);
    return shown;
}

QString withoutSecrets(QString text, const QString& dbName) {
    const QList<Span> spans = passwordSpans(dbName);
    if (spans.isEmpty())
        return text;
    text.replace(dbName, shownDatabaseName(dbName));
    // A driver quotes pieces of the name too, percent-encoded as typed or decoded. Passwords
    // of a character or two would blank out ordinary words and say little on their own.
    for (const Span& span : spans) {
        const QString raw = dbName.mid(span.from, span.length);
        for (const QString& secret : {raw, QUrl::fromPercentEncoding(raw.toUtf8())})
            if (secret.size() >= 3)
                text.replace(secret, kHidden);
    }
    return text;
}

} // namespace tarvo
