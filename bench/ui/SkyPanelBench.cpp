// The sky panel drawn into the main form's off-screen image, as on every
// refresh of the main window.
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include "sky/ui/SkyPanel.h"

static void BM_DrawSkyPanel(benchmark::State& state) {
  QImage form(750, 520, QImage::Format_ARGB32_Premultiplied);
  SkyPanelInputs in;
  in.at.year = 2000;
  in.at.month = 1;
  in.at.day = 1;
  in.at.hour = 21.0;
  in.showMansions = true;
  double minute = 0.0;
  const Ephemeris& ephemeris = EphemerisOf(AstroModel::Design);
  SkyPanelMemory memory;
  for (auto _ : state) {
    // A new moment each time, as the clock moves the form on.
    in.at.hour = 21.0 + minute / 60.0;
    minute += 1.0;
    QPainter painter(&form);
    painter.translate(0, 270);
    DrawSkyPanel(painter, in, ephemeris, memory);
  }
}
BENCHMARK(BM_DrawSkyPanel)->Unit(benchmark::kMillisecond);
