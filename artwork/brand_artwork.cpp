#include "artwork/brand_artwork.h"

#include <QDirIterator>

namespace trv {

QPixmap KorvanexIconPicture() {
  return QPixmap(":/artwork/korvanex-icon.png");
}

QPixmap KorvanexSplashPicture() {
  return QPixmap(":/artwork/korvanex-splash.png");
}

QIcon ProductIcon() {
  QIcon icon;
  QDirIterator sizes(":/artwork", {"trv-config-*.png"});
  while (sizes.hasNext()) icon.addFile(sizes.next());
  return icon;
}

}  // namespace trv
