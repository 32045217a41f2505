#pragma once
// Chebyshev series through a function's values at the N Chebyshev nodes of
// [−1, 1]: the fits of the Earth's barycentre (per block of days) and of the
// sun and the moon around a syzygy share them.

#include <cmath>

namespace precise {

// The angle of node k (0 ≤ k < N); the node itself is its cosine.
template <int N>
double ChebyshevAngle(int k) {
  return M_PI * (k + 0.5) / N;
}

// Adds the share of a value taken at node k to the series' coefficients.
template <int N>
void AddChebyshevNode(double (&c)[N], int k, double value) {
  const double angle = ChebyshevAngle<N>(k);
  for (int j = 0; j < N; ++j) c[j] += 2.0 / N * std::cos(j * angle) * value;
}

// Clenshaw's sum of a series at x in [−1, 1].
template <int N>
double ChebyshevSum(const double (&c)[N], double x) {
  double b1 = 0.0, b2 = 0.0;
  for (int j = N - 1; j >= 1; --j) {
    const double b = 2.0 * x * b1 - b2 + c[j];
    b2 = b1, b1 = b;
  }
  return x * b1 - b2 + 0.5 * c[0];
}

}  // namespace precise
