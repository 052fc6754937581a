#pragma once

#include <QByteArray>
#include <QStringView>

namespace tarvo::suite {

/// Appends one code point as UTF-8. Inline: the search index and the print data call it per
/// character of a whole list.
inline void appendUtf8(QByteArray& out, char32_t c) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

/// Appends a text as UTF-8, half a surrogate pair without its other half as U+FFFD (the
/// library's conversion would write '?', a character that looks as if the text held it).
inline void appendUtf8(QByteArray& out, QStringView text) {
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!text[i].isSurrogate())
            continue;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
            continue;
        }
        out += text.sliced(from, i - from).toUtf8();
        out += "\xEF\xBF\xBD";
        from = i + 1;
    }
    out += text.sliced(from).toUtf8();
}

} // namespace tarvo::suite
