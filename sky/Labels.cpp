#include "sky/Labels.h"

#include <array>
#include <cmath>

#include "core/Text.h"
#include "sky/MoonPicture.h"

namespace {

// The sky panel's frame, inside which every name stays.
constexpr LabelRect kPanel{1, 1, 518, 298};

struct Anchor {
  double x, y, half;  // the point named and the half size of its mark
};

LabelRect DiscBox(const BodyMark& m) {
  // One pixel more on each side: the sun's outline is two pixels wide.
  const int left = static_cast<int>(std::floor(m.x - m.halfSize)) - 1;
  const int top = static_cast<int>(std::floor(m.y - m.halfSize)) - 1;
  const int right = static_cast<int>(std::ceil(m.x + m.halfSize)) + 2;
  const int bottom = static_cast<int>(std::ceil(m.y + m.halfSize)) + 2;
  return {left, top, right - left, bottom - top};
}

bool Inside(const LabelRect& r, const LabelRect& frame) {
  return r.x >= frame.x && r.y >= frame.y && r.x + r.w <= frame.x + frame.w && r.y + r.h <= frame.y + frame.h;
}

// The places tried for a w x h text naming `a`: its first choice, then
// around the mark at growing distances: right, left, above, below and the
// four corners.
std::vector<PixelPoint> Candidates(PixelPoint first, const Anchor& a, int w, int h) {
  std::vector<PixelPoint> out{first};
  for (const int gap : {2, 8, 16}) {
    const double right = a.x + a.half + gap, left = a.x - a.half - gap - w;
    const double above = a.y - a.half - gap - h, below = a.y + a.half + gap;
    const double middleY = a.y - h / 2.0, middleX = a.x - w / 2.0;
    const std::array<std::pair<double, double>, 8> around = {{{right, middleY},
                                                               {left, middleY},
                                                               {middleX, above},
                                                               {middleX, below},
                                                               {right, above},
                                                               {right, below},
                                                               {left, above},
                                                               {left, below}}};
    for (const auto& [x, y] : around) out.push_back({TruncToPixel(std::floor(x)), TruncToPixel(std::floor(y))});
  }
  return out;
}

class Placer {
 public:
  explicit Placer(std::vector<LabelRect> taken) : taken_(std::move(taken)) {}

  // The first free place among the candidates inside the panel (or, with
  // `anywhere`, outside it), taken; none when all are covered.
  std::optional<PixelPoint> Place(const std::vector<PixelPoint>& candidates, int w, int h, bool anywhere = false) {
    for (const PixelPoint& c : candidates) {
      const LabelRect r{c.x, c.y, w, h};
      if ((!anywhere && !Inside(r, kPanel)) || Covers(r)) continue;
      taken_.push_back(r);
      return c;
    }
    return std::nullopt;
  }

 private:
  // Two pixels kept free around a text, so that two never read as one.
  bool Covers(const LabelRect& r) const {
    const LabelRect room{r.x - 2, r.y, r.w + 4, r.h};
    for (const LabelRect& t : taken_)
      if (room.Overlaps(t)) return true;
    return false;
  }
  std::vector<LabelRect> taken_;
};

// A star's mark: the dot at the label's anchor, if one lies there.
Anchor StarAnchor(const SkyChartLayout& layout, PixelPoint at) {
  for (const StarDot& d : layout.dots)
    if (d.centre.x == at.x && d.centre.y == at.y) return {d.x, d.y, d.halfSize};
  return {static_cast<double>(at.x), static_cast<double>(at.y), 0.0};
}

}  // namespace

const std::string& BodyLabelText(int i) {
  static const std::array<std::string, kChartBodyCount> labels = [] {
    std::array<std::string, kChartBodyCount> out;
    for (int k = 0; k < kChartBodyCount; ++k) out[k] = text::SjisFormat("%3s ", BodyLabels[k]);
    return out;
  }();
  return labels[i];
}

std::vector<LabelRect> FixedSkyBoxes(const BodyMark marks[kChartBodyCount], const std::vector<ReadoutText>& readout,
                                     const TextWidth& width, int lineHeight) {
  std::vector<LabelRect> boxes;
  for (int i = 0; i < kChartBodyCount; ++i)
    if (marks[i].visible) boxes.push_back(DiscBox(marks[i]));
  for (const ReadoutText& t : readout) boxes.push_back({t.x, t.y, width(t.text), lineHeight});
  // The moon's picture and the orbit symbol beside it.
  const int r = static_cast<int>(kMoonRadius) + 10;
  boxes.push_back({kMoonCentreX - r, kMoonCentreY - r, 2 * r + 1, 2 * r + 1});
  return boxes;
}

BodyLabelPlaces PlaceSkyLabels(SkyChartLayout& layout, const BodyMark marks[kChartBodyCount],
                               const std::vector<ReadoutText>& readout, const TextWidth& width, int lineHeight) {
  Placer placer(FixedSkyBoxes(marks, readout, width, lineHeight));
  BodyLabelPlaces bodies;
  for (int i = 0; i < kChartBodyCount; ++i) {
    const BodyMark& m = marks[i];
    if (!m.visible) continue;
    const double d = m.halfSize;
    const PixelPoint first{TruncToPixel(m.x - d + 10), TruncToPixel(m.y + d - 20)};
    const int w = width(BodyLabelText(i));
    // A body at the panel's edge (or under the horizon, beyond it) may be
    // named outside the panel, where the form cuts the text.
    const std::vector<PixelPoint> candidates = Candidates(first, {m.x, m.y, d}, w, lineHeight);
    std::optional<PixelPoint> at = placer.Place(candidates, w, lineHeight);
    if (!at) at = placer.Place(candidates, w, lineHeight, true);
    bodies.at[i] = at.value_or(first);
  }
  for (FigureSpan& f : layout.figures) {
    if (f.name < 0) continue;
    ChartLabel& n = layout.names[f.name];
    const int w = width(n.text);
    const std::optional<PixelPoint> at =
        placer.Place(Candidates(n.topLeft, StarAnchor(layout, n.topLeft), w, lineHeight), w, lineHeight);
    if (at)
      n.topLeft = *at;
    else
      f.name = -1;
  }
  std::vector<ChartLabel> kept;
  for (const ChartLabel& m : layout.mansions) {
    // The mansion's star lies about 3 pixels left of and 8 below its first choice.
    const Anchor star{m.topLeft.x - 3.0, m.topLeft.y + 8.0, 1.0};
    const int w = width(m.text);
    if (const std::optional<PixelPoint> at = placer.Place(Candidates(m.topLeft, star, w, lineHeight), w, lineHeight))
      kept.push_back({*at, m.text});
  }
  layout.mansions = std::move(kept);
  return bodies;
}
