#include "astro/Search.h"

#include <algorithm>
#include <cmath>

bool IllinoisRule::Brackets(const Bracket& b) const {
  // Written so that a quantity that is not a number brackets nothing.
  return (b.fa <= 0.0 && b.fb >= 0.0) || (b.fa >= 0.0 && b.fb <= 0.0);
}

Proposal IllinoisRule::Propose(const Bracket& b) {
  if (b.fa == 0.0) return {b.a};
  if (b.fb == 0.0) return {b.b};
  const double lo = std::min(b.a, b.b), hi = std::max(b.a, b.b);
  if (hi - lo <= tolerance_) return {last_ ? *last_ : 0.5 * (lo + hi)};
  double c = (b.a * b.fb - b.b * b.fa) / (b.fb - b.fa);
  if (!(c > lo && c < hi)) c = 0.5 * (lo + hi);
  if (last_ && std::fabs(c - *last_) < tolerance_) return {c};
  return {std::nullopt, c};
}

void IllinoisRule::Take(Bracket& b, double t, double ft) {
  last_ = t;
  if (ft == 0.0) {
    b = {t, t, ft, ft};
  } else if ((ft < 0.0) == (b.fa < 0.0)) {
    b.a = t, b.fa = ft;
    if (kept_ == 1) b.fb /= 2.0;
    kept_ = 1;
  } else {
    b.b = t, b.fb = ft;
    if (kept_ == -1) b.fa /= 2.0;
    kept_ = -1;
  }
}

bool DesignNarrowing::Brackets(const Bracket& b) const { return Below(b.fa) && Above(b.fb); }

bool DesignNarrowing::MoveB(const Bracket& b) const { return std::fabs(b.fb - goal) > std::fabs(b.fa - goal); }

Proposal DesignNarrowing::Propose(const Bracket& b) const {
  const double da = std::fabs(b.fa - goal), db = std::fabs(b.fb - goal);
  const bool narrow = done == Done::kBothNearGoal ? da < tolerance && db < tolerance
                                                  : std::fabs(b.fa - b.fb) < tolerance;
  if (narrow) return {b.a};
  if (step == Step::kHalf) return {std::nullopt, (b.a + b.b) / 2.0};
  return {std::nullopt, MoveB(b) ? (b.a + 2.0 * b.b) / 3.0 : (2.0 * b.a + b.b) / 3.0};
}

void DesignNarrowing::Take(Bracket& b, double t, double ft) const {
  const bool moveB = MoveB(b);
  if (keepBracket && ft == goal) {
    b = {t, t, ft, ft};
    return;
  }
  // The farther end moves, unless the probe lies beyond the root: then the
  // other end takes it. A probe that is not a number goes where the root is
  // not said to be.
  const bool takeB = !keepBracket ? moveB : moveB ? Above(ft) : !Below(ft);
  if (takeB) {
    b.b = t, b.fb = ft;
  } else {
    b.a = t, b.fa = ft;
  }
}

Proposal TurningPointNarrowing::Propose(const Bracket& b) const {
  if (std::fabs(b.fa - b.fb) < tolerance) return {b.b};
  return {std::nullopt, (b.a + b.b) / 2.0};
}

void TurningPointNarrowing::Take(Bracket& b, double t, double ft) const {
  if ((b.fa > b.fb) == high) {
    b.b = t, b.fb = ft;
  } else {
    b.a = t, b.fa = ft;
  }
}
