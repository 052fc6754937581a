#include "XlsxWidths.h"

#include "WideCharacters.h"

#include <algorithm>
#include <cmath>

namespace tarvo::suite {

namespace {

/// Room around the widest value, and more for the caption, which is bold.
constexpr int kValuePad = 1;
constexpr int kCaptionPad = 2;
constexpr double kNarrowest = 4;
/// What a spreadsheet's General format shows of a number at most before it rounds.
constexpr int kGeneralDigits = 11;
constexpr int kDateWidth = 10;

int digitsBeforePoint(double magnitude) {
    return magnitude < 10 ? 1 : int(std::floor(std::log10(magnitude))) + 1;
}

} // namespace

XlsxWidths::XlsxWidths(const QStringList& captions) : m_widest(int(captions.size()), 0) {
    for (const QString& caption : captions)
        m_caption << textWidth(caption.toUtf8());
}

int XlsxWidths::textWidth(QByteArrayView utf8) {
    int widest = 0;
    int line = 0;
    const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
    const qsizetype n = utf8.size();
    for (qsizetype i = 0; i < n;) {
        const unsigned char b = bytes[i];
        if (b < 0x80) {
            line = b == '\n' || b == '\r' ? 0 : line + 1;
            ++i;
        } else if (b < 0xE0) {
            ++line;
            i += 2;
        } else {
            const int length = b < 0xF0 ? 3 : 4;
            char32_t c = length == 3 ? b & 0x0F : b & 0x07;
            for (qsizetype k = i + 1; k < i + length && k < n; ++k)
                c = (c << 6) | (bytes[k] & 0x3F);
            line += isWideCharacter(c) ? 2 : 1;
            i += length;
        }
        widest = std::max(widest, line);
    }
    return widest;
}

void XlsxWidths::seeText(int column, QByteArrayView utf8) {
    int& widest = m_widest[column];
    // Most texts are short: not worth walking unless their bytes could be wider.
    if (utf8.size() > widest)
        widest = std::max(widest, textWidth(utf8));
}

void XlsxWidths::seeNumber(int column, double value, int decimals, bool grouped) {
    const double magnitude = std::fabs(value);
    const int digits = digitsBeforePoint(magnitude);
    int chars = (value < 0) + digits;
    if (decimals < 0) {
        // Shown as General: the digits after the point it has, up to what the cell shows.
        const double fraction = magnitude - std::floor(magnitude);
        chars = fraction > 0 ? std::min(kGeneralDigits, chars + 1 + kGeneralDigits - digits)
                             : std::min(kGeneralDigits, chars);
    } else {
        chars += (grouped ? (digits - 1) / 3 : 0) + (decimals > 0 ? decimals + 1 : 0);
    }
    m_widest[column] = std::max(m_widest[column], chars);
}

void XlsxWidths::seeDate(int column) {
    m_widest[column] = std::max(m_widest[column], kDateWidth);
}

double XlsxWidths::width(int column) const {
    const int chars =
        std::max(m_caption.value(column) + kCaptionPad, m_widest.value(column) + kValuePad);
    return std::clamp(double(chars), kNarrowest, kCap);
}

} // namespace tarvo::suite
