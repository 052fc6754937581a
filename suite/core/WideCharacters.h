#pragma once

namespace tarvo::suite {

/// East Asian wide and full-width characters, which take two columns of a terminal or a
/// spreadsheet cell: Hangul Jamo, CJK radicals to Yi (not the half-fill space), Hangul
/// syllables, compatibility ideographs and forms, full-width forms, the pictographs and the
/// supplementary ideograph planes.
inline bool isWideCharacter(char32_t c) {
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x1F300 && c <= 0x1F64F) ||
           (c >= 0x1F900 && c <= 0x1F9FF) || (c >= 0x20000 && c <= 0x3FFFD);
}

} // namespace tarvo::suite
