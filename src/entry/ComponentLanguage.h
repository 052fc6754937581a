#pragma once

#include <QString>

namespace tarvo {

/// Shows the component's own texts (menus, toolbars, captions) in the session language. The
/// texts are written in Chinese; other languages come from the translations built into the
/// component. Windows already open follow at once.
void useComponentLanguage(const QString& localeId);

} // namespace tarvo
