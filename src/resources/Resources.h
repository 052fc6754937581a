#pragma once

#include <QIcon>
#include <QString>

namespace tarvo {

/// The component's own pictures, by resource number. Bitmaps and icons are numbered apart:
/// icon 107 and bitmap 107 are different pictures.
enum class PictureKind { Bitmap, Icon };

/// The picture of a resource number; raises an error naming it when there is none.
QIcon LoadResPicture(int number, PictureKind kind);

/// A text of the component's string table (the toolbar texts of the card window); empty when
/// the table has no such entry.
QString LoadResString(int id);

} // namespace tarvo
