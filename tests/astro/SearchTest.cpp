#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include "astro/Search.h"

namespace {

using Narrowing = DesignNarrowing;

double Cubic(double t) { return (t - 0.3) * (t * t + 1.0); }  // one root, at 0.3
double Step(double t) { return t < 0.3 ? -1.0 : 1.0; }       // a jump, no zero
double NotANumber(double) { return NAN; }

// Every rule into every status it can reach; each case gives the bracket and
// the root expected (none for the statuses without one).
struct FinderCase {
  std::string name;
  std::function<RootResult()> run;
  RootStatus status;
  std::optional<double> root;
  double tolerance;  // of the root
};

RootResult Illinois(double (*f)(double), double a, double b, double tolerance) {
  return FindRoot(f, {a, b, f(a), f(b)}, IllinoisRule(tolerance));
}

RootResult Design(double (*f)(double), double a, double b, const Narrowing& n) {
  return FindRoot(f, {a, b, f(a), f(b)}, n);
}

constexpr Narrowing kThirdsAgree{0.0, true, Narrowing::Step::kThird, Narrowing::Done::kEndsAgree, 1e-3, 31, true};
constexpr Narrowing kHalvesNear{0.0, true, Narrowing::Step::kHalf, Narrowing::Done::kBothNearGoal, 1e-6, 100, true};

TEST(FindRoot, EachRuleReachesEachStatus) {
  const double high = 1.3;
  const auto hill = [high](double t) { return -(t - high) * (t - high); };
  const std::vector<FinderCase> cases = {
      {"illinois", [] { return Illinois(Cubic, 0.0, 1.0, 1e-9); }, RootStatus::kFound, 0.3, 1e-12},
      {"illinois backwards", [] { return Illinois(Cubic, 1.0, 0.0, 1e-9); }, RootStatus::kFound, 0.3, 1e-12},
      {"illinois end on zero", [] { return Illinois(Cubic, 0.3, 1.0, 1e-9); }, RootStatus::kFound, 0.3, 0.0},
      {"illinois same signs", [] { return Illinois(Cubic, 0.5, 1.0, 1e-9); }, RootStatus::kNoSignChange, {}, 0},
      {"illinois not a number", [] { return Illinois(NotANumber, 0.0, 1.0, 1e-9); }, RootStatus::kNoSignChange,
       {}, 0},
      // A jump has no zero to settle on: with no tolerance the probes run out.
      {"illinois jump", [] { return Illinois(Step, 0.0, 1.0, 0.0); }, RootStatus::kNotConverged, {}, 0},
      {"design thirds", [] { return Design(Cubic, 0.0, 1.0, kThirdsAgree); }, RootStatus::kFound, 0.3, 1e-3},
      {"design halves", [] { return Design(Cubic, 0.0, 1.0, kHalvesNear); }, RootStatus::kFound, 0.3, 1e-5},
      {"design falling",
       [] {
         Narrowing falling = kHalvesNear;
         falling.rising = false;
         return Design([](double t) { return -Cubic(t); }, 0.0, 1.0, falling);
       },
       RootStatus::kFound, 0.3, 1e-5},
      {"design wrong way", [] { return Design(Cubic, 1.0, 0.0, kThirdsAgree); }, RootStatus::kNoSignChange, {}, 0},
      {"design few probes",
       [] {
         Narrowing few = kThirdsAgree;
         few.maxProbes = 3;
         return Design(Cubic, 0.0, 1.0, few);
       },
       RootStatus::kNotConverged, {}, 0},
      {"turning point", [&] { return FindRoot(hill, {0.0, 2.0, hill(0.0), hill(2.0)}, TurningPointNarrowing{true, 1e-9, 60}); },
       RootStatus::kFound, high, 1e-4},
      {"turning point few probes",
       [&] { return FindRoot(hill, {0.0, 2.0, hill(0.0), hill(2.0)}, TurningPointNarrowing{true, 1e-9, 3}); },
       RootStatus::kNotConverged, {}, 0},
  };
  for (const FinderCase& c : cases) {
    const RootResult r = c.run();
    EXPECT_EQ(r.status, c.status) << c.name;
    ASSERT_EQ(r.root.has_value(), c.root.has_value()) << c.name;
    if (c.root) {
      EXPECT_NEAR(*r.root, *c.root, c.tolerance) << c.name;
    }
  }
}

// The design's narrowing keeps the root where moving the farther end would
// step over it, and without keeping the bracket follows the farther end
// wherever the values lead (its first search of an hour).
TEST(FindRoot, DesignNarrowingKeepsTheRootOnlyWhenAsked) {
  // Flat, then steep near the end: b is the farther end, and the root lies
  // between the midpoint and b.
  const auto f = [](double t) { return t < 0.9 ? -0.1 : 20.0 * (t - 0.9) - 0.1; };
  Narrowing n{0.0, true, Narrowing::Step::kHalf, Narrowing::Done::kBothNearGoal, 1e-6, 100, true};
  const Bracket b{0.0, 1.0, f(0.0), f(1.0)};
  const RootResult kept = FindRoot(f, b, n);
  ASSERT_TRUE(kept.root);
  EXPECT_NEAR(*kept.root, 0.905, 1e-6);
  n.keepBracket = false;
  EXPECT_EQ(FindRoot(f, b, n).status, RootStatus::kNotConverged);
}

}  // namespace
