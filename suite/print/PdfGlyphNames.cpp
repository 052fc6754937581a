#include "PdfGlyphNames.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QRawFont>
#include <QRegularExpression>

#include <set>

namespace tarvo::suite {

namespace {

constexpr char16_t kSurrogatesFirst = 0xD800;
constexpr char16_t kSurrogatesLast = 0xDFFF;

bool isSurrogate(char16_t c) {
    return c >= kSurrogatesFirst && c <= kSurrogatesLast;
}

/// For each glyph of the font, the lowest code point mapped to it: the name Qt's writer gives.
QHash<quint32, char16_t> lowestCodePoints(const QRawFont& font) {
    QString all;
    all.reserve(0x10000);
    for (char32_t c = 1; c < 0x10000; ++c)
        if (!isSurrogate(char16_t(c)))
            all += QChar(char16_t(c));
    const QList<quint32> glyphs = font.glyphIndexesForString(all);
    QHash<quint32, char16_t> lowest;
    for (qsizetype i = glyphs.size() - 1; i >= 0; --i)
        if (glyphs[i] != 0)
            lowest.insert(glyphs[i], all.at(i).unicode());
    return lowest;
}

QString fromHex(const QByteArray& hex) {
    QString text;
    for (qsizetype i = 0; i + 4 <= hex.size(); i += 4)
        text += QChar(char16_t(hex.mid(i, 4).toUInt(nullptr, 16)));
    return text;
}

QByteArray toHex(const QString& text) {
    QByteArray hex;
    for (QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex;
}

/// The text each glyph code of a ToUnicode map stands for.
QMap<uint, QString> readCMap(const QByteArray& cmap) {
    QMap<uint, QString> codes;
    static const QRegularExpression chars(QStringLiteral("beginbfchar(.*?)endbfchar"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression pair(QStringLiteral("<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]*)>"));
    static const QRegularExpression ranges(QStringLiteral("beginbfrange(.*?)endbfrange"),
                                           QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression range(QStringLiteral(
        "<([0-9A-Fa-f]+)>\\s*<([0-9A-Fa-f]+)>\\s*(?:<([0-9A-Fa-f]*)>|\\[([^\\]]*)\\])"));
    static const QRegularExpression item(QStringLiteral("<([0-9A-Fa-f]*)>"));
    const QString text = QString::fromLatin1(cmap);
    for (auto s = chars.globalMatch(text); s.hasNext();)
        for (auto m = pair.globalMatch(s.next().captured(1)); m.hasNext();) {
            const auto p = m.next();
            codes.insert(p.captured(1).toUInt(nullptr, 16), fromHex(p.captured(2).toLatin1()));
        }
    for (auto s = ranges.globalMatch(text); s.hasNext();)
        for (auto m = range.globalMatch(s.next().captured(1)); m.hasNext();) {
            const auto r = m.next();
            const uint first = r.captured(1).toUInt(nullptr, 16);
            const uint last = r.captured(2).toUInt(nullptr, 16);
            if (r.hasCaptured(4)) {
                uint code = first;
                for (auto i = item.globalMatch(r.captured(4)); i.hasNext() && code <= last;)
                    codes.insert(code++, fromHex(i.next().captured(1).toLatin1()));
                continue;
            }
            // A range with one destination counts its last code unit up.
            const QString start = fromHex(r.captured(3).toLatin1());
            if (start.isEmpty())
                continue;
            for (uint code = first; code <= last; ++code) {
                QString t = start;
                t.back() = QChar(char16_t(t.back().unicode() + (code - first)));
                codes.insert(code, t);
            }
        }
    return codes;
}

/// The map with its mappings replaced; the header and trailer lines are kept as written.
QByteArray writeCMap(const QByteArray& old, const QMap<uint, QString>& codes) {
    static const QRegularExpression first(QStringLiteral("\\d+\\s+beginbf(char|range)"));
    static const QRegularExpression last(QStringLiteral("endbf(char|range)"));
    const QString text = QString::fromLatin1(old);
    const auto head = first.match(text);
    qsizetype tail = -1;
    for (auto m = last.globalMatch(text); m.hasNext();)
        tail = m.next().capturedEnd();
    if (!head.hasMatch() || tail < 0)
        return {};
    QByteArray body;
    // A map section may hold at most 100 mappings.
    constexpr int kPerSection = 100;
    for (auto it = codes.cbegin(); it != codes.cend();) {
        QByteArray section;
        int n = 0;
        for (; it != codes.cend() && n < kPerSection; ++it, ++n)
            section += '<' + QByteArray::number(it.key(), 16).rightJustified(4, '0').toUpper() +
                       "> <" + toHex(it.value()) + ">\n";
        body += QByteArray::number(n) + " beginbfchar\n" + section + "endbfchar\n";
    }
    return old.left(head.capturedStart()) + body + old.mid(tail);
}

struct Stream {
    QByteArray content;
    bool found = false;
};

/// The latest uncompressed stream of object `number`, as Qt writes its ToUnicode maps; `text` is
/// the file read as Latin-1, so that its offsets are the file's.
Stream plainStream(const QByteArray& pdf, const QString& text, int number) {
    const QRegularExpression head(
        QStringLiteral("(?:^|[\\r\\n])%1 0 obj\\s*<<([^>]*)>>\\s*stream\\r?\\n").arg(number));
    QRegularExpressionMatch found;
    for (auto m = head.globalMatch(text); m.hasNext();)
        found = m.next();
    if (!found.hasMatch() || found.captured(1).contains(QLatin1String("/Filter")))
        return {};
    static const QRegularExpression length(QStringLiteral("/Length\\s+(\\d+)\\b(?!\\s+\\d+\\s+R)"));
    const auto l = length.match(found.captured(1));
    if (!l.hasMatch())
        return {};
    const qsizetype size = l.captured(1).toLongLong();
    if (found.capturedEnd() + size > pdf.size())
        return {};
    return {pdf.mid(found.capturedEnd(), size), true};
}

/// The last trailer's dictionary without its brackets and the offset of the last cross-reference
/// table; empty when the file ends otherwise.
std::pair<QByteArray, QByteArray> lastTrailer(const QByteArray& pdf) {
    const qsizetype at = pdf.lastIndexOf("trailer");
    const qsizetype open = at < 0 ? -1 : pdf.indexOf("<<", at);
    if (open < 0)
        return {};
    int depth = 0;
    qsizetype close = -1;
    for (qsizetype i = open; i + 1 < pdf.size(); ++i) {
        if (pdf[i] == '<' && pdf[i + 1] == '<') {
            ++depth;
            ++i;
        } else if (pdf[i] == '>' && pdf[i + 1] == '>') {
            ++i;
            if (--depth == 0) {
                close = i - 1;
                break;
            }
        }
    }
    static const QRegularExpression startxref(QStringLiteral("startxref\\s+(\\d+)"));
    const auto x = startxref.match(QString::fromLatin1(pdf.mid(close < 0 ? at : close)));
    if (close < 0 || !x.hasMatch())
        return {};
    static const QRegularExpression prev(QStringLiteral("/Prev\\s+\\d+"));
    QString dict = QString::fromLatin1(pdf.mid(open + 2, close - open - 2));
    dict.remove(prev);
    return {dict.trimmed().toLatin1(), x.captured(1).toLatin1()};
}

} // namespace

void PdfGlyphNames::note(const QFont& font, const QString& text) {
    const QString key = font.key();
    if (!m_fonts.contains(key))
        m_fonts.insert(key, font);
    QSet<char16_t>& painted = m_painted[key];
    for (QChar c : text)
        if (!isSurrogate(c.unicode()))
            painted.insert(c.unicode());
}

QHash<char16_t, char16_t> PdfGlyphNames::renames() const {
    QHash<char16_t, char16_t> out;
    for (auto it = m_painted.cbegin(); it != m_painted.cend(); ++it) {
        const QRawFont raw = QRawFont::fromFont(m_fonts.value(it.key()));
        if (!raw.isValid())
            continue;
        const QHash<quint32, char16_t> lowest = lowestCodePoints(raw);
        for (char16_t c : it.value()) {
            const QList<quint32> glyph = raw.glyphIndexesForString(QString(QChar(c)));
            const char16_t named = glyph.isEmpty() ? 0 : lowest.value(glyph.first());
            // When both characters were painted, one glyph can carry only one name: the
            // painted character Qt chose keeps it.
            if (named != 0 && named != c && !it.value().contains(named))
                out.insert(named, c);
        }
    }
    return out;
}

QByteArray PdfGlyphNames::update(const QByteArray& pdf, const QHash<char16_t, char16_t>& renames) {
    if (renames.isEmpty())
        return {};
    const auto [trailer, previous] = lastTrailer(pdf);
    if (trailer.isEmpty())
        return {};
    static const QRegularExpression reference(QStringLiteral("/ToUnicode\\s+(\\d+)\\s+0\\s+R"));
    const QString text = QString::fromLatin1(pdf);
    std::set<int> maps; // in order, as a cross-reference table lists its objects
    for (auto m = reference.globalMatch(text); m.hasNext();)
        maps.insert(m.next().captured(1).toInt());

    QByteArray objects = pdf.endsWith('\n') ? QByteArray() : QByteArray("\n");
    QByteArray xref;
    for (int number : maps) {
        const Stream stream = plainStream(pdf, text, number);
        if (!stream.found)
            continue;
        QMap<uint, QString> codes = readCMap(stream.content);
        bool renamed = false;
        for (QString& named : codes)
            if (named.size() == 1 && renames.contains(named.front().unicode())) {
                named = QChar(renames.value(named.front().unicode()));
                renamed = true;
            }
        const QByteArray cmap = renamed ? writeCMap(stream.content, codes) : QByteArray();
        if (cmap.isEmpty())
            continue;
        xref += QByteArray::number(number) + " 1\n" +
                QByteArray::number(pdf.size() + objects.size()).rightJustified(10, '0') +
                " 00000 n \n";
        objects += QByteArray::number(number) + " 0 obj\n<< /Length " +
                   QByteArray::number(cmap.size()) + " >>\nstream\n" + cmap +
                   "\nendstream\nendobj\n";
    }
    if (xref.isEmpty())
        return {};
    const qsizetype table = pdf.size() + objects.size();
    return objects + "xref\n" + xref + "trailer\n<< " + trailer + " /Prev " + previous +
           " >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
}

bool PdfGlyphNames::mendFile(const QString& path) const {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray appended = update(file.readAll(), renames());
    file.close();
    if (appended.isEmpty())
        return true;
    return file.open(QIODevice::Append) && file.write(appended) == appended.size() && file.flush();
}

} // namespace tarvo::suite
