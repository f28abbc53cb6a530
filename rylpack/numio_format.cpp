// The texts numbers are written in: integers, doubles, doubles in a unit,
// and hexadecimal.
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rylpack/numio_internal.h"
#include "rylpack/strlib.h"

namespace {

constexpr std::size_t FORMAT_LEN = 20;
constexpr int kMaxDigits = 80;

bool only_white_space(const char *s) {
  for (; *s; ++s)
    if (!std::isspace(static_cast<unsigned char>(*s))) return false;
  return true;
}

char *write_error(int *perrval) {
  num_set_err(perrval, NumWriteError);
  return nullptr;
}

char *copy_formatted(char *buffer, std::size_t buflen, int written, const char *tmp, int *perrval) {
  if (!buffer || buflen == 0 || written < 0) return write_error(perrval);
  strlib_copy(buffer, buflen, tmp);
  num_set_err(perrval, NumSuccess);
  return buffer;
}

}  // namespace

char *num_long2str(char *buffer, std::size_t buflen, rlong value, int *perrval) {
  char tmp[NumBUFLEN];
  const int written = std::snprintf(tmp, sizeof tmp, RLONG_FMT, value);
  return copy_formatted(buffer, buflen, written, tmp, perrval);
}

char *num_long2hex(char *buffer, std::size_t buflen, rlong value, int *perrval) {
  char tmp[NumBUFLEN];
  // The 32-bit pattern: -1 is 0xffffffff on every platform.
  const int written = std::snprintf(tmp, sizeof tmp, "0x%x", static_cast<unsigned>(static_cast<rulong>(value)));
  return copy_formatted(buffer, buflen, written, tmp, perrval);
}

char *double2s(char *buffer, double value, int ndigits) {
  if (!buffer) return nullptr;
  char format[FORMAT_LEN];
  if (ndigits == 0) {
    strlib_copy(format, sizeof format, "%g");
  } else {
    // Limited before negating: -INT32_MIN does not exist.
    const int n = ndigits > kMaxDigits || ndigits < -kMaxDigits ? kMaxDigits
                  : ndigits < 0                                 ? -ndigits
                                                                : ndigits;
    std::snprintf(format, sizeof format, "%%.%dg", n);
  }
  // Precision at most 80: the longest result (sign, 80 digits, point and a
  // three-digit exponent) fits NumBUFLEN.
  const int written = std::snprintf(buffer, NumBUFLEN, format, value);
  if (written <= 0) return nullptr;
  return buffer;
}

char *num_double2str(char *buffer, std::size_t buflen, double value, const char *unit,
                     int ndigits, int *perrval) {
  char number[NumBUFLEN];
  if (!unit || !*unit) {
    if (!buffer || buflen == 0 || !double2s(number, value, ndigits)) return write_error(perrval);
    strlib_copy(buffer, buflen, number);
    num_set_err(perrval, NumSuccess);
    return buffer;
  }

  int errval = NumSuccess;
  const char *tail = nullptr;
  const double unitvalue = num_str2double(unit, &tail, &errval);
  if (errval) {
    num_set_err(perrval, errval);
    return nullptr;
  }
  if (!only_white_space(tail)) {
    num_set_err(perrval, NumBadUnit);
    return nullptr;
  }
  if (unitvalue == 0.0) {
    num_set_err(perrval, NumDivByZero);
    return nullptr;
  }
  if (!double2s(number, value / unitvalue, ndigits)) return write_error(perrval);

  // Does the unit bind as a unit product? Then "0_unit" is exactly 0 and the
  // number can be joined to it directly; otherwise it needs parentheses.
  std::string probe;
  try {
    probe = std::string("0_") + unit;
  } catch (const std::bad_alloc &) {
    num_set_err(perrval, NumMemoryAllocationError);
    return nullptr;
  }
  const double zero = num_str2double(probe.c_str(), nullptr, &errval);
  if (errval) {
    num_set_err(perrval, errval);
    return nullptr;
  }
  const char *form = zero == 0.0 ? "%s_%s" : "%s_(%s)";
  if (!buffer || buflen == 0) return write_error(perrval);
  const int written = std::snprintf(buffer, buflen, form, number, unit);
  if (written < 0 || static_cast<std::size_t>(written) + 1 > buflen) return write_error(perrval);
  num_set_err(perrval, NumSuccess);
  return buffer;
}

char *num_double2hex(char *buffer, std::size_t buflen, double value, int ndigits, int *perrval) {
  const bool negative = value < 0.0;
  if (!buffer || buflen < 4 || (negative && buflen < 5)) return write_error(perrval);
  std::size_t pos = 0;
  if (negative) buffer[pos++] = '-';
  buffer[pos++] = '0';
  buffer[pos++] = 'x';
  double rest = std::fabs(value);

  if (std::isfinite(rest)) {
    // m: weight of the leading digit, 16^floor(log16 |value|). Taken from the
    // binary exponent, which is exact; a quotient of logarithms can fall an
    // ulp short at a power of 16 and lose the leading digit.
    double m = 1.0;
    if (rest > 0.0) {
      int e2 = 0;
      std::frexp(rest, &e2);  // rest = f * 2^e2, f in [0.5, 1)
      const int e16 = (e2 - 1) >= 0 ? (e2 - 1) / 4 : -((-(e2 - 1) + 3) / 4);
      m = std::ldexp(1.0, 4 * e16);
    }
    const long long nd = ndigits < 0 ? -static_cast<long long>(ndigits) : ndigits;
    const double weight = m * std::pow(16.0, static_cast<double>(-(nd - 1)));
    const double l = weight < 1.0 ? weight : 1.0;  // weight of the last digit
    if (m < 1.0) m = 1.0;

    // The integer digits are written in full, or not at all.
    std::size_t integer_digits = 1;
    for (double w = m; w >= 16.0; w /= 16.0) ++integer_digits;
    if (pos + integer_digits + 1 > buflen) return write_error(perrval);

    bool point = false;
    while (l <= m && buflen - pos >= 2) {
      const double d = std::floor(rest / m);
      rest = rest - m * d;
      if (m < 1.0 && !point) {
        // A fractional digit without its point would read as an integer
        // digit: stop instead.
        if (buflen - pos < 3) break;
        buffer[pos++] = '.';
        point = true;
      }
      if (!(d >= 0.0 && d <= 15.0)) break;
      buffer[pos++] = "0123456789abcdef"[static_cast<int>(d)];
      m = m / 16.0;
    }
  }
  buffer[pos] = '\0';
  num_set_err(perrval, NumSuccess);
  return buffer;
}
