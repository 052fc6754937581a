#pragma once

#include <QCoreApplication>
#include <QString>

#include <optional>

namespace tarvo::suite {

/// A character no text of the archive may hold, and where it stands.
struct UnsafeCharacter {
    enum Kind { Control, LoneSurrogate, Noncharacter, Bidirectional };
    qsizetype at = 0; ///< index into the text, in UTF-16 units
    char32_t code = 0;
    Kind kind = Control;
};

/// Characters that cannot stand in a code or a name: control characters, halves of a surrogate
/// pair without their other half, noncharacters, and the bidirectional controls that make a
/// name show in another order than it is stored (a bank name with U+202E in it reads backwards
/// in every list and print, while searches and lookups see the stored order).
class TextCharacters {
    Q_DECLARE_TR_FUNCTIONS(tarvo::suite::TextCharacters)
public:
    static std::optional<UnsafeCharacter> firstUnsafe(QStringView text);
    /// "U+202E（文字方向控制符）" in the session language.
    static QString describe(const UnsafeCharacter& c);
};

} // namespace tarvo::suite
