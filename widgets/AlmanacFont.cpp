#include "widgets/AlmanacFont.h"

#include <QFontDatabase>
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

QString MissingJapaneseFontText() {
  if (!QFontDatabase::families(QFontDatabase::Japanese).isEmpty()) return {};
  return QStringLiteral(
      "No font with Japanese characters was found, so the window's texts show as empty boxes. "
      "Install a Japanese font (on Debian: fonts-ipafont-gothic).");
}
