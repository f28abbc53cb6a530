#include "rylpack/gamma.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kHuge = std::numeric_limits<double>::max();
constexpr double kTwoPi = 2.0 * 3.141592653589793;

// Polynomial approximation of Gamma(2 + b) for b in [0, 1).
double gamma_poly(double b) {
  return 0.9999999758 +
         b * (0.4227874605 +
              b * (0.4117741955 +
                   b * (0.0821117404 +
                        b * (0.0721101567 +
                             b * (0.00445114 + b * (0.0051589951 + b * 0.0016063118))))));
}

}  // namespace

double gamma_log_stirling(double a) {
  if (a <= 2.0) return 1.0;
  const double y = a - 1.0;
  const double y2 = y * y;
  const double y3 = y2 * y;
  const double y5 = y3 * y2;
  const double y7 = y5 * y2;
  return (y + 0.5) * std::log(y) - y + 0.5 * std::log(kTwoPi) + 1.0 / (12.0 * y) -
         1.0 / (360.0 * y3) + 1.0 / (1260.0 * y5) - 1.0 / (1680.0 * y7);
}

double gamma_function(double x) {
  // The recurrence would never end for infinite arguments and would take
  // |x| steps for large negative ones. Below -300 every non-integral
  // argument ends as a signed zero (the product of the divisors exceeds the
  // double range) and every integral one at a pole, so both are answered
  // directly, with the sign the recurrence would give.
  if (std::isnan(x) || std::isinf(x)) return std::numeric_limits<double>::quiet_NaN();
  if (x < -300.0) {
    if (std::floor(x) == x) return kHuge;
    const double negatives = std::floor(-x) + 1.0;  // divisors below zero
    return std::fmod(negatives, 2.0) == 1.0 ? -0.0 : 0.0;
  }
  double result = 1.0;
  double a = x;
  // The loop ends: below 2 it climbs by one per step and a pole stops it;
  // from 3 to 20 it descends by one per step; a NaN fails the loop test.
  while (std::fabs(a - 2.0) >= 1e-6) {
    if (std::fabs(a) < 1e-30) return kHuge;
    if (a < 2.0) {
      result = result / a;
      a = a + 1.0;
    } else if (a >= 20.0) {
      return std::exp(gamma_log_stirling(a));
    } else if (a < 3.0) {
      return result * gamma_poly(a - 2.0);
    } else {
      a = a - 1.0;
      result = result * a;
    }
  }
  return result;
}

double gamma_log(double x) {
  if (std::isnan(x)) return x;
  double result = 0.0;
  double a = x;
  if (std::fabs(a - 2.0) < 1e-6) return 0.0;
  while (std::fabs(a - 2.0) >= 1e-6) {
    if (a < 1e-30) return kHuge;
    if (a < 2.0) {
      result -= std::log(a);
      a = a + 1.0;
    } else if (a >= 20.0) {
      return result + gamma_log_stirling(a);
    } else if (a < 3.0) {
      return result + std::log(gamma_poly(a - 2.0));
    } else {
      a = a - 1.0;
      result += std::log(a);
    }
  }
  return result;
}
