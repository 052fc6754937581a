#pragma once

class QObject;

namespace tarvo {

/// The component's application object, handed to the help services as the owner of its help.
QObject* ComponentApp();

} // namespace tarvo
