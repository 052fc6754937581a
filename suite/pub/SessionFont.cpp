#include "SessionFont.h"

#include <QApplication>

namespace tarvo::suite {

QStringList sessionFontFamilies() {
    return {QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Sans Serif")};
}

void useSessionFont() {
    // Only the family: each window keeps the size the platform or the suite gives it.
    QFont font = QApplication::font();
    font.setFamilies(sessionFontFamilies());
    QApplication::setFont(font);
}

} // namespace tarvo::suite
