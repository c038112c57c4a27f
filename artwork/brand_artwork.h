#pragma once

#include <QIcon>
#include <QPixmap>

namespace trv {

// The pictures the build renders from the brand artwork.
QPixmap KorvanexIconPicture();    // the maker's mark, 32 x 32
QPixmap KorvanexSplashPicture();  // the maker's picture, 1022 x 766
QIcon ProductIcon();              // the window icon, in every size of the icon theme

}  // namespace trv
