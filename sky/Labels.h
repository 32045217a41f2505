// Where the sky chart's names go: each near its own point (a body's disc, a
// figure's first star, a mansion's star), moved around that point where it
// would cover a body, a readout text (the tides among them), the moon's
// picture, another name or the panel's edge, and left out where no place
// around it is free. Qt-free: the caller measures the texts.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "sky/Chart.h"
#include "sky/Readout.h"

struct LabelRect {
  int x = 0, y = 0, w = 0, h = 0;
  bool Overlaps(const LabelRect& o) const { return x < o.x + o.w && o.x < x + w && y < o.y + o.h && o.y < y + h; }
};

// Width in pixels of a UTF-8 text in the chart's font.
using TextWidth = std::function<int(const std::string&)>;

// The text drawn beside body i (BodyLabels order).
const std::string& BodyLabelText(int i);

// The boxes no name may cover: the visible bodies' discs, the readout's
// texts and the moon's picture (with its orbit symbol).
std::vector<LabelRect> FixedSkyBoxes(const BodyMark marks[kChartBodyCount], const std::vector<ReadoutText>& readout,
                                     const TextWidth& width, int lineHeight);

// The body labels' top-left corners; none for a body out of sight.
struct BodyLabelPlaces {
  std::optional<PixelPoint> at[kChartBodyCount];
};

// Places the body labels, then moves layout.names and layout.mansions (in
// that order of precedence); a name without a free place is dropped (its
// figure's name index becomes -1, a mansion's entry is removed). A body label
// goes outside the panel where no place inside is free (a body at its edge),
// and stays at its first choice where none is free at all.
BodyLabelPlaces PlaceSkyLabels(SkyChartLayout& layout, const BodyMark marks[kChartBodyCount],
                               const std::vector<ReadoutText>& readout, const TextWidth& width, int lineHeight);
