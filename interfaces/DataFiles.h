#pragma once

#include <QString>

namespace tarvo {

/// The path of one of the files the program reads at run time (under `translations/`, `help/`
/// or `seed/`). They are looked for beside the libraries as installed, in the data folder
/// reached from the libraries' folder, so that a package unpacked under any root finds its own;
/// a program run from the build folder finds the build folder's.
QString dataFile(const QString& relativePath);

} // namespace tarvo
