#include "WindowPlacement.h"

#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tarvo {

void PlaceOverOwner(QWidget& window) {
    const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : nullptr;
    if (!owner)
        return;
    const QScreen* screen = owner->screen();
    const QRect area = screen ? screen->availableGeometry() : QRect();
    if (area.isValid()) {
        // The frame's edges take room of their own besides the window's size.
        const QSize edges = window.frameGeometry().size() - window.size();
        const QSize room = area.size() - edges;
        if (window.width() > room.width() || window.height() > room.height())
            window.resize(window.size().boundedTo(room));
    }
    QRect mine(QPoint(), window.frameGeometry().size());
    mine.moveCenter(owner->frameGeometry().center());
    if (area.isValid()) {
        mine.moveLeft(std::clamp(mine.left(), area.left(),
                                 std::max(area.left(), area.right() - mine.width() + 1)));
        mine.moveTop(std::clamp(mine.top(), area.top(),
                                std::max(area.top(), area.bottom() - mine.height() + 1)));
    }
    window.move(mine.topLeft());
}

} // namespace tarvo
