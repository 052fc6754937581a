#include "PrintFont.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>

namespace tarvo::suite {

namespace {

bool isIdeographic(char16_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

bool closes(char16_t c) {
    static const QString marks = QStringLiteral(",.;:?!)]}，。、；：？！）》」』】〕…");
    return marks.contains(QChar(c));
}

bool opens(char16_t c) {
    static const QString marks = QStringLiteral("([{（《「『【〔");
    return marks.contains(QChar(c));
}

/// A new line may begin at `at`: after a space, or next to an ideograph unless punctuation
/// would be left at a line's start or end.
bool mayBreakBefore(QStringView text, qsizetype at) {
    const char16_t before = text[at - 1].unicode();
    const char16_t here = text[at].unicode();
    if (here == u' ')
        return false;
    if (before == u' ')
        return true;
    return (isIdeographic(before) || isIdeographic(here)) && !closes(here) && !opens(before);
}

template <typename Each> void forEachParagraph(QStringView text, Each each) {
    qsizetype from = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\n' && text[i] != u'\r')
            continue;
        each(text.mid(from, i - from));
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            ++i;
        from = i + 1;
    }
}

} // namespace

PrintFont::PrintFont(const QFont& font)
    : m_font(font), m_raw(QRawFont::fromFont(font)), m_advance(0x10000, -1.0f),
      m_glyph(0x10000, 0) {
    const QFontMetricsF fm(font);
    m_ascent = fm.ascent();
    m_height = fm.height();
    m_lineSpacing = fm.lineSpacing();
}

void PrintFont::lookUp(char16_t c) const {
    const QChar ch(c);
    if (c >= 0x20 && !ch.isSurrogate() && m_raw.isValid() && m_raw.supportsCharacter(ch)) {
        const QList<quint32> glyphs = m_raw.glyphIndexesForString(QString(ch));
        if (glyphs.size() == 1 && glyphs[0] != 0) {
            m_glyph[c] = glyphs[0];
            m_advance[c] = float(m_raw.advancesForGlyphIndexes(glyphs).value(0).x());
            return;
        }
    }
    m_advance[c] = float(QFontMetricsF(m_font).horizontalAdvance(ch));
}

float PrintFont::advance(char16_t c) const {
    if (m_advance[c] < 0)
        lookUp(c);
    return m_advance[c];
}

bool PrintFont::ownGlyphs(QStringView text) const {
    for (QChar c : text)
        if (advance(c.unicode()) >= 0 && m_glyph[c.unicode()] == 0)
            return false;
    return true;
}

double PrintFont::width(QStringView text) const {
    double w = 0;
    for (QChar c : text) {
        if (c.isSurrogate())
            return QFontMetricsF(m_font).horizontalAdvance(text.toString());
        w += advance(c.unicode());
    }
    return w;
}

qsizetype PrintFont::lineEnd(QStringView paragraph, qsizetype from, double width) const {
    double used = 0;
    qsizetype lastBreak = -1;
    for (qsizetype i = from; i < paragraph.size(); ++i) {
        if (i > from && mayBreakBefore(paragraph, i))
            lastBreak = i;
        const char16_t c = paragraph[i].unicode();
        const double a = advance(c);
        // Spaces hang past the edge; anything else starts the next line.
        if (i > from && c != u' ' && used + a > width)
            return lastBreak > from ? lastBreak : i;
        used += a;
    }
    return paragraph.size();
}

QStringList PrintFont::wrap(QStringView text, double width) const {
    QStringList lines;
    forEachParagraph(text, [&](QStringView paragraph) {
        qsizetype from = 0;
        do {
            const qsizetype end = lineEnd(paragraph, from, width);
            lines << paragraph.mid(from, end - from).toString();
            from = end;
        } while (from < paragraph.size());
    });
    return lines;
}

int PrintFont::lineCount(QStringView text, double width) const {
    int n = 0;
    forEachParagraph(text, [&](QStringView paragraph) {
        qsizetype from = 0;
        do {
            from = lineEnd(paragraph, from, width);
            ++n;
        } while (from < paragraph.size());
    });
    return n;
}

void PrintFont::draw(QPainter& p, QPointF baseline, QStringView text) const {
    if (text.isEmpty())
        return;
    if (!ownGlyphs(text)) {
        p.setFont(m_font);
        p.drawText(baseline, text.toString());
        return;
    }
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(text.size());
    positions.reserve(text.size());
    double x = 0;
    for (QChar c : text) {
        glyphs << m_glyph[c.unicode()];
        positions << QPointF(x, 0);
        x += m_advance[c.unicode()];
    }
    QGlyphRun run;
    run.setRawFont(m_raw);
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    p.drawGlyphRun(baseline, run);
}

} // namespace tarvo::suite
