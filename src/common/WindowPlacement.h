#pragma once

class QWidget;

namespace tarvo {

/// Puts a window over the centre of its owner's window and keeps it wholly within the available
/// area of the owner's screen, even when the owner stands half off it: a window larger than
/// that area is made smaller. Does nothing to a window without an owner.
void PlaceOverOwner(QWidget& window);

} // namespace tarvo
