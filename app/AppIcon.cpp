#include "app/AppIcon.h"

// Outside any namespace, as the resource initialiser requires.
static void LoadResources() { Q_INIT_RESOURCE(ombrel); }

QIcon AppIcon() {
  // The resources live in a static library, so nothing would pull them in
  // unless we ask for them once.
  static const bool loaded = (LoadResources(), true);
  (void)loaded;
  return QIcon(QStringLiteral(":/ombrel.png"));
}
