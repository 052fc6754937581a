#pragma once

#include <QFont>
#include <QRawFont>
#include <QStringList>

#include <vector>

class QPainter;

namespace tarvo::suite {

/// A font of the printed pages with each character's glyph and advance looked up once: a long
/// list measures and sets millions of short cell texts, and shaping each of them anew costs
/// more than all the rest of printing. Sizes are in the page layout's units, so a layout holds
/// on every device.
class PrintFont {
public:
    explicit PrintFont(const QFont& font);

    const QFont& font() const { return m_font; }
    double width(QStringView text) const;
    double ascent() const { return m_ascent; }
    double height() const { return m_height; }
    double lineSpacing() const { return m_lineSpacing; }

    /// The lines a text takes in the given width: paragraphs at its line breaks, each broken
    /// at spaces and between ideographs where it can and inside a word (a long account number)
    /// where it must.
    QStringList wrap(QStringView text, double width) const;
    /// How many lines wrap() gives, without building them.
    int lineCount(QStringView text, double width) const;

    /// Sets one line with its baseline starting at the given point.
    void draw(QPainter& p, QPointF baseline, QStringView text) const;

private:
    QFont m_font;
    QRawFont m_raw;
    double m_ascent = 0;
    double m_height = 0;
    double m_lineSpacing = 0;
    mutable std::vector<float> m_advance; ///< per UTF-16 unit; < 0 until looked up
    mutable std::vector<quint32> m_glyph; ///< 0: set by the painter's own text path

    void lookUp(char16_t c) const;
    float advance(char16_t c) const;
    bool ownGlyphs(QStringView text) const;
    /// Where the line that starts at `from` ends (the next line's start).
    qsizetype lineEnd(QStringView paragraph, qsizetype from, double width) const;
};

} // namespace tarvo::suite
