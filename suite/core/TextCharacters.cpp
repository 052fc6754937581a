#include "TextCharacters.h"

namespace tarvo::suite {

namespace {

bool isBidirectionalControl(char32_t c) {
    return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E ||
           c == 0x200F || c == 0x061C;
}

bool isNoncharacter(char32_t c) {
    return (c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE;
}

} // namespace

std::optional<UnsafeCharacter> TextCharacters::firstUnsafe(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        char32_t code = c.unicode();
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(c, text[i + 1]);
            if (isNoncharacter(code))
                return UnsafeCharacter{i, code, UnsafeCharacter::Noncharacter};
            ++i;
            continue;
        }
        if (c.isSurrogate())
            return UnsafeCharacter{i, code, UnsafeCharacter::LoneSurrogate};
        if (code < 0x20 || (code >= 0x7F && code <= 0x9F))
            return UnsafeCharacter{i, code, UnsafeCharacter::Control};
        if (isNoncharacter(code))
            return UnsafeCharacter{i, code, UnsafeCharacter::Noncharacter};
        if (isBidirectionalControl(code))
            return UnsafeCharacter{i, code, UnsafeCharacter::Bidirectional};
    }
    return std::nullopt;
}

QString TextCharacters::describe(const UnsafeCharacter& c) {
    QString kind;
    switch (c.kind) {
    case UnsafeCharacter::Control:
        kind = tr("控制字符");
        break;
    case UnsafeCharacter::LoneSurrogate:
        kind = tr("不成对的代理码位，不是有效的字符");
        break;
    case UnsafeCharacter::Noncharacter:
        kind = tr("非字符码位");
        break;
    case UnsafeCharacter::Bidirectional:
        kind = tr("文字方向控制符，会使文字颠倒显示");
        break;
    }
    const QString code = QString::number(uint(c.code), 16).toUpper().rightJustified(4, u'0');
    return tr("U+%1（%2）").arg(code, kind);
}

} // namespace tarvo::suite
