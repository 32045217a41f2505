// The one root finder of every event search: a bracket whose ends hold a
// root is narrowed, one probe at a time, by a rule until the rule calls it
// narrow enough. The rules say how a bracket narrows and when it is done:
// false position with the Illinois halving for the precise model's events
// and eclipses, and the design's own stopping rules (the farther end moved by
// half or by a third, its tolerances; the tides' turning point) wherever the
// design's times must come out as they always have.
#pragma once

#include <optional>

// Two points and the searched quantity at each. The points need not be in
// order: a search may run backwards from a moment.
struct Bracket {
  double a, b;
  double fa, fb;
};

enum class RootStatus {
  kFound,          // the bracket narrowed to a root
  kNoSignChange,   // the ends hold no root (or a quantity is not a number)
  kNotConverged,   // the rule's probes ran out first
};

struct RootResult {
  RootStatus status;
  std::optional<double> root;  // present exactly when found
};

// What a rule tells the finder before each probe: the root, once the bracket
// is narrow enough, else the next point to probe.
struct Proposal {
  std::optional<double> root;
  double next = 0.0;
};

// A rule has
//   bool Brackets(const Bracket&) const     whether the ends hold a root
//   Proposal Propose(const Bracket&)         the root or the next point
//   void Take(Bracket&, double t, double ft) the probed point in place of an end
//   int MaxProbes() const                    how many probes it may take
// The rule is asked once more after its last probe.
template <class F, class Rule>
RootResult FindRoot(F f, Bracket bracket, Rule rule) {
  if (!rule.Brackets(bracket)) return {RootStatus::kNoSignChange, std::nullopt};
  for (int probes = 0;; ++probes) {
    const Proposal p = rule.Propose(bracket);
    if (p.root) return {RootStatus::kFound, p.root};
    if (probes == rule.MaxProbes()) return {RootStatus::kNotConverged, std::nullopt};
    rule.Take(bracket, p.next, f(p.next));
  }
}

// False position with the Illinois halving, so that both ends close in: a
// root of a sign change (either way; an end at zero is the root). Done when
// the bracket is within the tolerance or a new estimate moves by less than
// it: on smooth quantities the steps shrink faster than quadratically by
// then, and the estimate is the root to far better than the tolerance.
class IllinoisRule {
 public:
  explicit IllinoisRule(double tolerance) : tolerance_(tolerance) {}

  bool Brackets(const Bracket& b) const;
  Proposal Propose(const Bracket& b);
  void Take(Bracket& b, double t, double ft);
  int MaxProbes() const { return 100; }

 private:
  double tolerance_;
  std::optional<double> last_;  // the last estimate probed
  int kept_ = 0;                // the end that stayed at the last probe: -1 a, +1 b
};

// The design's narrowing: the end farther from the goal moves, to the
// midpoint or a third of the way to the other end. With `keepBracket` the
// moved end never steps over the root (a probe beyond it replaces the other
// end instead, and a probe on the goal is the root); without, the farther end
// takes every probe, as the design's first search of an hour does. The
// bracket's root is its end `a` once its values are done.
struct DesignNarrowing {
  enum class Step { kHalf, kThird };
  enum class Done {
    kBothNearGoal,  // both ends' values within the tolerance of the goal
    kEndsAgree,     // the ends' values within the tolerance of each other
  };

  double goal;
  bool rising;  // the quantity crosses the goal upwards from a to b
  Step step;
  Done done;
  double tolerance;
  int maxProbes;
  bool keepBracket;

  bool Brackets(const Bracket& b) const;
  Proposal Propose(const Bracket& b) const;
  void Take(Bracket& b, double t, double ft) const;
  int MaxProbes() const { return maxProbes; }

 private:
  bool Below(double v) const { return rising ? v < goal : v > goal; }
  bool Above(double v) const { return rising ? v > goal : v < goal; }
  bool MoveB(const Bracket& b) const;
};

// The design's turning point (a high or a low water) within a bracket the
// samples found: the end on the wrong side of the turn (the lower one for a
// high) moves to the midpoint; done, at end b, when the ends' values agree
// to the tolerance.
struct TurningPointNarrowing {
  bool high;
  double tolerance;
  int maxProbes;

  bool Brackets(const Bracket&) const { return true; }  // the samples bracket it
  Proposal Propose(const Bracket& b) const;
  void Take(Bracket& b, double t, double ft) const;
  int MaxProbes() const { return maxProbes; }
};
