#include "PdfGlyphNames.h"

#include <QByteArray>
#include <QFile>
#include <QMap>
#include <QRawFont>
#include <QRegularExpression>

#include <functional>
#include <optional>
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

/// What an update needs of a written PDF, read from memory or from its file.
struct WrittenPdf {
    qint64 size = 0;
    bool endsWithNewline = true;
    std::pair<QByteArray, QByteArray> trailer;
    std::set<int> maps; ///< ToUnicode objects, in order, as a cross-reference table lists them
    std::function<Stream(int number)> stream;
};

const QRegularExpression& toUnicodeReference() {
    static const QRegularExpression reference(QStringLiteral("/ToUnicode\\s+(\\d+)\\s+0\\s+R"));
    return reference;
}

void collectMaps(const QString& text, std::set<int>& maps) {
    for (auto m = toUnicodeReference().globalMatch(text); m.hasNext();)
        maps.insert(m.next().captured(1).toInt());
}

/// The update, empty when no map names a glyph wrongly; nothing when the file is not laid out
/// as expected (no trailer, no maps, a map that cannot be read or written again).
std::optional<QByteArray> buildUpdate(const WrittenPdf& pdf,
                                      const QHash<char16_t, char16_t>& renames) {
    const auto& [trailer, previous] = pdf.trailer;
    if (trailer.isEmpty() || pdf.maps.empty())
        return std::nullopt;
    QByteArray objects = pdf.endsWithNewline ? QByteArray() : QByteArray("\n");
    QByteArray xref;
    for (int number : pdf.maps) {
        const Stream stream = pdf.stream(number);
        if (!stream.found)
            return std::nullopt;
        QMap<uint, QString> codes = readCMap(stream.content);
        bool renamed = false;
        for (QString& named : codes)
            if (named.size() == 1 && renames.contains(named.front().unicode())) {
                named = QChar(renames.value(named.front().unicode()));
                renamed = true;
            }
        if (!renamed)
            continue;
        const QByteArray cmap = writeCMap(stream.content, codes);
        if (cmap.isEmpty())
            return std::nullopt;
        xref += QByteArray::number(number) + " 1\n" +
                QByteArray::number(pdf.size + objects.size()).rightJustified(10, '0') +
                " 00000 n \n";
        objects += QByteArray::number(number) + " 0 obj\n<< /Length " +
                   QByteArray::number(cmap.size()) + " >>\nstream\n" + cmap +
                   "\nendstream\nendobj\n";
    }
    if (xref.isEmpty())
        return QByteArray();
    const qint64 table = pdf.size + objects.size();
    return objects + "xref\n" + xref + "trailer\n<< " + trailer + " /Prev " + previous +
           " >>\nstartxref\n" + QByteArray::number(table) + "\n%%EOF\n";
}

QByteArray readAt(QFile& file, qint64 offset, qint64 size) {
    return file.seek(offset) ? file.read(size) : QByteArray();
}

/// Object offsets from the file's one cross-reference table, as Qt's writer lays it out.
class CrossReference {
public:
    CrossReference(QFile& file, const QByteArray& startxref) : m_file(file) {
        bool ok = false;
        m_table = startxref.toLongLong(&ok);
        const QByteArray head = ok ? readAt(file, m_table, 64) : QByteArray();
        static const QRegularExpression section(
            QStringLiteral("^xref\\s+(\\d+)\\s+(\\d+) ?\\r?\\n"));
        const auto m = section.match(QString::fromLatin1(head));
        if (!m.hasMatch())
            return;
        m_first = m.captured(1).toInt();
        m_count = m.captured(2).toInt();
        m_entries = m_table + m.capturedEnd();
    }
    bool valid() const { return m_count > 0; }
    Stream stream(int number) const {
        if (number < m_first || number >= m_first + m_count)
            return {};
        bool ok = false;
        const qint64 at =
            readAt(m_file, m_entries + 20 * qint64(number - m_first), 10).toLongLong(&ok);
        if (!ok)
            return {};
        static const QRegularExpression length(QStringLiteral("/Length\\s+(\\d+)"));
        QByteArray object = readAt(m_file, at, 512);
        const auto l = length.match(QString::fromLatin1(object));
        if (!l.hasMatch())
            return {};
        object = readAt(m_file, at, 512 + l.captured(1).toLongLong());
        return plainStream(object, QString::fromLatin1(object), number);
    }

private:
    QFile& m_file;
    qint64 m_table = 0;
    qint64 m_entries = 0;
    int m_first = 0;
    int m_count = 0;
};

} // namespace

int PdfGlyphNames::slot(const QFont& font) {
    const QString key = font.key();
    const auto found = m_slots.constFind(key);
    if (found != m_slots.cend())
        return *found;
    const int slot = int(m_fonts.size());
    m_slots.insert(key, slot);
    m_fonts.push_back(font);
    m_painted.emplace_back(0x10000, false);
    return slot;
}

void PdfGlyphNames::note(int slot, QStringView text) {
    std::vector<bool>& painted = m_painted[slot];
    for (QChar c : text)
        if (!isSurrogate(c.unicode()))
            painted[c.unicode()] = true;
}

QHash<char16_t, char16_t> PdfGlyphNames::renames(const std::function<void()>& tick) const {
    QHash<char16_t, char16_t> out;
    for (size_t s = 0; s < m_fonts.size(); ++s) {
        if (tick)
            tick();
        const QRawFont raw = QRawFont::fromFont(m_fonts[s]);
        if (!raw.isValid())
            continue;
        const std::vector<bool>& painted = m_painted[s];
        const QHash<quint32, char16_t> lowest = lowestCodePoints(raw);
        for (char32_t c = 0; c < painted.size(); ++c) {
            if (!painted[c])
                continue;
            const QList<quint32> glyph = raw.glyphIndexesForString(QString(QChar(char16_t(c))));
            const char16_t named = glyph.isEmpty() ? 0 : lowest.value(glyph.first());
            // When both characters were painted, one glyph can carry only one name: the
            // painted character Qt chose keeps it.
            if (named != 0 && named != c && !painted[named])
                out.insert(named, char16_t(c));
        }
    }
    return out;
}

std::optional<QByteArray> PdfGlyphNames::update(const QByteArray& pdf,
                                                const QHash<char16_t, char16_t>& renames) {
    if (renames.isEmpty())
        return QByteArray();
    const QString text = QString::fromLatin1(pdf);
    WrittenPdf written;
    written.size = pdf.size();
    written.endsWithNewline = pdf.endsWith('\n');
    written.trailer = lastTrailer(pdf);
    collectMaps(text, written.maps);
    written.stream = [&](int number) { return plainStream(pdf, text, number); };
    return buildUpdate(written, renames);
}

PdfGlyphNames::Mending PdfGlyphNames::mendFile(const QString& path,
                                               const std::function<void()>& tick) const {
    const QHash<char16_t, char16_t> names = renames(tick);
    if (names.isEmpty())
        return Mending::Unneeded;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Mending::CannotWrite;
    // The file is read a piece at a time: a long list's PDF need not fit in memory.
    constexpr qint64 kTail = 4096;
    constexpr qint64 kChunk = 1 << 20;
    constexpr qint64 kOverlap = 64;
    WrittenPdf written;
    written.size = file.size();
    const QByteArray tail = readAt(file, std::max<qint64>(0, written.size - kTail), kTail);
    written.endsWithNewline = tail.endsWith('\n');
    written.trailer = lastTrailer(tail);
    const CrossReference xref(file, written.trailer.second);
    std::optional<QByteArray> appended;
    if (xref.valid()) {
        for (qint64 at = 0; at < written.size; at += kChunk - kOverlap) {
            collectMaps(QString::fromLatin1(readAt(file, at, kChunk)), written.maps);
            if (tick)
                tick();
        }
        written.stream = [&](int number) { return xref.stream(number); };
        appended = buildUpdate(written, names);
    } else {
        appended = update(readAt(file, 0, written.size), names);
    }
    file.close();
    if (!appended) {
        // The PDF is whole and opens; only its text, extracted or searched, may read radicals
        // for some characters. Not worth failing the print for, but not to go unnoticed when a
        // new Qt lays its files out otherwise.
        qWarning("PDF \"%s\": its glyph names could not be mended (%d characters would read "
                 "wrongly); the file is not laid out as expected",
                 qPrintable(path), int(names.size()));
        return Mending::NotUnderstood;
    }
    if (appended->isEmpty())
        return Mending::Unneeded;
    const bool done = file.open(QIODevice::Append) &&
                      file.write(*appended) == appended->size() && file.flush();
    return done ? Mending::Mended : Mending::CannotWrite;
}

} // namespace tarvo::suite
