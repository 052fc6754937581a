#include "XmlUtf8.h"

#include <array>

namespace tarvo::suite {

namespace {

// Byte classes: what a byte asks of a scan of character data.
enum : unsigned char { Ordinary, Control, Amp, Cr, Lt, Gt, Quote, Lead2, Lead3, Lead4, Bad };

constexpr std::array<unsigned char, 256> kClasses = [] {
    std::array<unsigned char, 256> t{};
    for (int b = 0; b < 0x20; ++b)
        t[b] = b == '\t' || b == '\n' ? Ordinary : Control;
    t['\r'] = Cr;
    t['&'] = Amp;
    t['<'] = Lt;
    t['>'] = Gt;
    t['"'] = Quote;
    for (int b = 0x80; b < 0x100; ++b)
        t[b] = b >= 0xC2 && b <= 0xDF   ? Lead2
               : b >= 0xE0 && b <= 0xEF ? Lead3
               : b >= 0xF0 && b <= 0xF4 ? Lead4
                                        : Bad;
    return t;
}();

bool continuation(unsigned char b) {
    return (b & 0xC0) == 0x80;
}

/// The length of the UTF-8 sequence at p (led by a byte of class lead), or 0 when it is not one
/// (overlong, a surrogate, past U+10FFFF, cut off). noncharacter tells U+FFFE and U+FFFF.
int sequenceAt(const unsigned char* p, const unsigned char* end, unsigned char lead,
               bool& noncharacter) {
    noncharacter = false;
    const int n = lead == Lead2 ? 2 : lead == Lead3 ? 3 : 4;
    if (end - p < n)
        return 0;
    for (int i = 1; i < n; ++i)
        if (!continuation(p[i]))
            return 0;
    if (n == 3) {
        if ((p[0] == 0xE0 && p[1] < 0xA0) || (p[0] == 0xED && p[1] > 0x9F))
            return 0;
        noncharacter = p[0] == 0xEF && p[1] == 0xBF && p[2] >= 0xBE;
    } else if (n == 4) {
        if ((p[0] == 0xF0 && p[1] < 0x90) || (p[0] == 0xF4 && p[1] > 0x8F))
            return 0;
    }
    return n;
}

} // namespace

XmlText scanXmlText(const char* from, const char* to) {
    auto p = reinterpret_cast<const unsigned char*>(from);
    const auto end = reinterpret_cast<const unsigned char*>(to);
    XmlText found = XmlText::Plain;
    while (p < end) {
        const unsigned char c = kClasses[*p];
        switch (c) {
        case Ordinary:
        case Gt:
        case Quote:
            ++p;
            continue;
        case Amp:
        case Cr:
            found = XmlText::Marked;
            ++p;
            continue;
        case Lead2:
        case Lead3:
        case Lead4: {
            bool noncharacter = false;
            const int n = sequenceAt(p, end, c, noncharacter);
            if (n == 0 || noncharacter)
                return XmlText::Invalid;
            p += n;
            continue;
        }
        default:
            return XmlText::Invalid;
        }
    }
    return found;
}

bool appendXmlEscapedUtf8(QByteArray& out, QByteArrayView text) {
    const qsizetype before = out.size();
    auto p = reinterpret_cast<const unsigned char*>(text.data());
    const auto end = p + text.size();
    auto run = p;
    const auto flushRun = [&] {
        out.append(reinterpret_cast<const char*>(run), p - run);
    };
    // A character XML cannot carry is marked, as the writer marks it in a QString.
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    while (p < end) {
        const unsigned char c = kClasses[*p];
        if (c == Ordinary || c == Quote) {
            ++p;
            continue;
        }
        if (c == Lead2 || c == Lead3 || c == Lead4) {
            bool noncharacter = false;
            const int n = sequenceAt(p, end, c, noncharacter);
            if (n == 0) {
                out.truncate(before);
                return false;
            }
            if (!noncharacter) {
                p += n;
                continue;
            }
            flushRun();
            out += kReplacement;
            p += n;
            run = p;
            continue;
        }
        if (c == Bad) {
            out.truncate(before);
            return false;
        }
        flushRun();
        out += c == Lt ? "&lt;" : c == Gt ? "&gt;" : c == Amp ? "&amp;" : c == Cr ? "&#13;" : kReplacement;
        run = ++p;
    }
    flushRun();
    return true;
}

} // namespace tarvo::suite
