#include "widgets/AlmanacFont.h"

#include <QStringList>

QFont AlmanacFont(int pixelHeight) {
  QFont font;
  font.setFamilies(QStringList{QStringLiteral("MS ゴシック"), QStringLiteral("IPAGothic"),
                               QStringLiteral("IPAゴシック"), QStringLiteral("IPAexGothic"),
                               QStringLiteral("Noto Sans Mono CJK JP"), QStringLiteral("monospace")});
  font.setStyleHint(QFont::TypeWriter);
  font.setPixelSize(pixelHeight > 0 ? pixelHeight : 12);
  return font;
}
