#include "XmlUtf8.h"

#include <array>
#include <cstring>

namespace tarvo::suite {

namespace {

// Byte classes: what a byte asks of a scan of character data that is known to be UTF-8.
enum : unsigned char { Ordinary, Control, Amp, Cr, Lt, Gt, Ef };

constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 0x20; ++b)
        t[b] = b == '\t' || b == '\n' ? Ordinary : Control;
    t['\r'] = Cr;
    t['&'] = Amp;
    t['<'] = Lt;
    t['>'] = Gt;
    t[0xEF] = Ef;
    return t;
}();

constexpr quint64 kOnes = 0x0101010101010101ULL;
constexpr quint64 kHighs = 0x8080808080808080ULL;

bool hasByte(quint64 w, unsigned char b) {
    const quint64 x = w ^ (kOnes * b);
    return ((x - kOnes) & ~x & kHighs) != 0;
}

/// Whether any of the eight bytes at p is not Ordinary (a few Ordinary ones may say yes too):
/// most character data is passed over eight bytes at a time.
bool wordNeedsLook(const unsigned char* p) {
    quint64 w;
    std::memcpy(&w, p, sizeof w);
    return ((w - kOnes * 0x20) & ~w & kHighs) != 0 || hasByte(w, '&') || hasByte(w, '<') ||
           hasByte(w, '>') || hasByte(w, 0xEF);
}

/// U+FFFE or U+FFFF at p (whose first byte is 0xEF), which XML cannot carry.
bool noncharacterAt(const unsigned char* p, const unsigned char* end) {
    return end - p >= 3 && p[1] == 0xBF && p[2] >= 0xBE;
}

} // namespace

XmlText scanXmlText(const char* from, const char* to) {
    if (!QByteArrayView(from, to).isValidUtf8())
        return XmlText::Invalid;
    auto p = reinterpret_cast<const unsigned char*>(from);
    const auto end = reinterpret_cast<const unsigned char*>(to);
    XmlText found = XmlText::Plain;
    for (; p < end; ++p) {
        while (end - p >= 8 && !wordNeedsLook(p))
            p += 8;
        if (p == end)
            break;
        switch (kClasses[*p]) {
        case Amp:
        case Cr:
            found = XmlText::Marked;
            break;
        case Control:
        case Lt:
            return XmlText::Invalid;
        case Ef:
            if (noncharacterAt(p, end))
                return XmlText::Invalid;
            break;
        default:
            break;
        }
    }
    return found;
}

namespace {

/// Where the first byte of UTF-8 text lies that the writer escapes or marks, or end. An
/// attribute's value also escapes its quotes, tabs and line feeds, which a reader would
/// otherwise end the value at or normalise to spaces.
template <bool Attribute>
const unsigned char* firstToEscape(const unsigned char* p, const unsigned char* end) {
    for (; p < end; ++p) {
        while (end - p >= 8 && !wordNeedsLook(p)) {
            if constexpr (Attribute) {
                quint64 w;
                std::memcpy(&w, p, sizeof w);
                if (hasByte(w, '"'))
                    break;
            }
            p += 8;
        }
        if (p == end)
            break;
        if (Attribute && (*p == '"' || *p == '\n' || *p == '\t'))
            return p;
        const unsigned char c = kClasses[*p];
        if (c != Ordinary && (c != Ef || noncharacterAt(p, end)))
            return p;
    }
    return end;
}

// A character XML cannot carry is marked rather than refused, so that one stray control
// character in a name does not make the whole list unprintable.
constexpr char kReplacement[] = "\xEF\xBF\xBD";

/// How text goes into XML: as character data, as an attribute's value, or as a reader gets
/// character data back (only what XML cannot carry marked).
enum class Escaped { Text, Attribute, Carried };

template <Escaped How> void appendEscaped(QByteArray& out, QByteArrayView text) {
    auto p = reinterpret_cast<const unsigned char*>(text.data());
    const auto end = p + text.size();
    auto run = p;
    while ((p = firstToEscape<How == Escaped::Attribute>(p, end)) < end) {
        const unsigned char c = kClasses[*p];
        out.append(reinterpret_cast<const char*>(run), p - run);
        const bool unfit = c == Control || c == Ef;
        if (How == Escaped::Carried && !unfit)
            out += char(*p);
        else
            out += *p == '"'    ? "&quot;"
                   : *p == '\n' ? "&#10;"
                   : *p == '\t' ? "&#9;"
                   : c == Lt    ? "&lt;"
                   : c == Gt    ? "&gt;"
                   : c == Amp   ? "&amp;"
                   : c == Cr    ? "&#13;"
                                : kReplacement;
        p += c == Ef ? 3 : 1;
        run = p;
    }
    out.append(reinterpret_cast<const char*>(run), end - run);
}

} // namespace

bool isPlainXmlUtf8(QByteArrayView text) {
    const auto p = reinterpret_cast<const unsigned char*>(text.data());
    return firstToEscape<false>(p, p + text.size()) == p + text.size();
}

void appendXmlEscapedUtf8(QByteArray& out, QByteArrayView text) {
    appendEscaped<Escaped::Text>(out, text);
}

void appendXmlAttributeUtf8(QByteArray& out, QByteArrayView text) {
    appendEscaped<Escaped::Attribute>(out, text);
}

void appendXmlCarriedUtf8(QByteArray& out, QByteArrayView text) {
    appendEscaped<Escaped::Carried>(out, text);
}

} // namespace tarvo::suite
