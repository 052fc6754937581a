#pragma once

#include <QFont>
#include <QHash>

#include <functional>
#include <optional>
#include <vector>

class QByteArray;

namespace tarvo::suite {

/// Qt's PDF writer names each embedded glyph (the ToUnicode map a reader extracts text with)
/// after the lowest code point the font maps to that glyph. Fonts that draw 行 and the radical ⾏,
/// or 户 and ⼾, or the space and the tab with one glyph thus make the PDF read back radicals,
/// and a search for 银行 finds nothing. This notes what was painted and gives the shared glyphs
/// the names of the characters actually painted with them.
class PdfGlyphNames {
public:
    void note(const QFont& font, QStringView text) { note(slot(font), text); }
    /// A number standing for the font, for noting many texts painted with it cheaply.
    int slot(const QFont& font);
    void note(int slot, QStringView text);

    /// The code points Qt's writer will wrongly name glyphs after, each with the painted
    /// character the glyph stands for.
    QHash<char16_t, char16_t> renames(const std::function<void()>& tick = {}) const;

    /// What to append to a PDF written by Qt so that readers take the renamed glyphs: an
    /// incremental update holding the corrected ToUnicode maps. It leaves the written bytes as
    /// they are, so a file can simply be extended. Empty when nothing needs renaming; nothing
    /// when the file is not laid out as Qt writes it.
    static std::optional<QByteArray> update(const QByteArray& pdf,
                                            const QHash<char16_t, char16_t>& renames);

    enum class Mending {
        Mended,
        Unneeded,
        NotUnderstood, ///< left as written, and a warning logged
        CannotWrite,   ///< the file cannot be read or extended
    };
    /// Appends the update to a PDF file, reading it a piece at a time (tick is called between
    /// pieces).
    Mending mendFile(const QString& path, const std::function<void()>& tick = {}) const;

private:
    QHash<QString, int> m_slots; ///< by font key
    std::vector<QFont> m_fonts;
    std::vector<std::vector<bool>> m_painted; ///< per slot, by character
};

} // namespace tarvo::suite
