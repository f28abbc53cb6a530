// rylio, element conversion between machine types with a value offset.
//
// One loop per (source, destination) pair, instantiated from a template, so
// that the rule for an element is chosen once per call and not per element.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <vector>

#include "rylpack/rylio_binary.h"

namespace {

// Exact floor of a double without the library call: below 2^52 in
// magnitude the value truncates into an int64 exactly; larger ones (and
// NaN, and infinities) are already integral or go on to the clipping.
double floor_exact(double v) {
  if (!(v < 4503599627370496.0 && v > -4503599627370496.0)) return v;
  const double t = static_cast<double>(static_cast<std::int64_t>(v));
  return t > v ? t - 1 : t;
}

// floor(x + 0.5 + o) or floor(x + o + 0.5), evaluated in extended precision
// as on the platform the file format comes from, then rounded to double.
template <class S>
double round_half_up(S x, rlong o, bool offset_first) {
  const long double lx = x, lo = o;
  const long double t = offset_first ? (lx + lo) + 0.5L : (lx + 0.5L) + lo;
  return static_cast<double>(std::floor(t));
}

// Clips an integral double to [lo, hi] of D; NaN gives 0.
template <class D>
D clip(double v) {
  constexpr double lo = static_cast<double>(std::numeric_limits<D>::lowest());
  constexpr double hi = static_cast<double>(std::numeric_limits<D>::max());
  if (std::isnan(v)) return 0;
  if (v <= lo) return std::numeric_limits<D>::lowest();
  if (v >= hi) return std::numeric_limits<D>::max();
  return static_cast<D>(v);
}

template <class D>
D clip_int(std::int64_t v) {
  if (v < static_cast<std::int64_t>(std::numeric_limits<D>::lowest())) return std::numeric_limits<D>::lowest();
  if (v > static_cast<std::int64_t>(std::numeric_limits<D>::max())) return std::numeric_limits<D>::max();
  return static_cast<D>(v);
}

// The rule for one element. `fast` is set for float sources without
// offset: a float plus 0.5 is exact in double, so the double floor equals
// the extended one and the x87 path can be skipped.
template <class D, class S, bool fast>
inline D convert_one(S x, rlong o) {
  constexpr bool int_src = std::is_integral_v<S>;
  if constexpr (std::is_same_v<D, double>) {
    if constexpr (int_src)
      return static_cast<double>(static_cast<std::int64_t>(x) + o);
    else
      return static_cast<double>(x) + static_cast<double>(o);
  } else if constexpr (std::is_same_v<D, float>) {
    if constexpr (int_src)
      return static_cast<float>(static_cast<std::int64_t>(x) + o);
    else
      return static_cast<float>(x) + static_cast<float>(o);
  } else if constexpr (std::is_same_v<D, std::int16_t>) {
    if constexpr (int_src) {
      // Truncated to 16 bits, the offset first: wraps like the stored type.
      const auto o16 = static_cast<std::uint16_t>(static_cast<std::int16_t>(o));
      return static_cast<std::int16_t>(static_cast<std::uint16_t>(static_cast<std::uint16_t>(x) + o16));
    } else if constexpr (fast) {
      return clip<D>(floor_exact(static_cast<double>(x) + 0.5));
    } else {
      return clip<D>(round_half_up(x, o, true));
    }
  } else if constexpr (std::is_same_v<D, std::int32_t>) {
    if constexpr (int_src)
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(x) + static_cast<std::uint32_t>(o));
    else if constexpr (fast)
      return clip<D>(floor_exact(static_cast<double>(x) + 0.5));
    else
      return clip<D>(round_half_up(x, o, false));
  } else {
    // unsigned char, char, unsigned short, unsigned int / long: clipped.
    if constexpr (int_src)
      return clip_int<D>(static_cast<std::int64_t>(x) + o);
    else if constexpr (fast)
      return clip<D>(floor_exact(static_cast<double>(x) + 0.5));
    else
      return clip<D>(round_half_up(x, o, false));
  }
}

template <class D, class S, bool fast>
void convert_separate(unsigned char *__restrict d, const unsigned char *__restrict s, std::size_t n,
                      rlong o) {
  for (std::size_t i = 0; i < n; ++i) {
    S x;
    std::memcpy(&x, s + i * sizeof(S), sizeof x);
    const D y = convert_one<D, S, fast>(x, o);
    std::memcpy(d + i * sizeof(D), &y, sizeof y);
  }
}

// dest == src: a wider destination is filled from the last element down,
// so that no source element is overwritten before it is read.
template <class D, class S, bool fast>
void convert_inplace(unsigned char *p, std::size_t n, rlong o) {
  if constexpr (sizeof(D) > sizeof(S)) {
    for (std::size_t i = n; i-- > 0;) {
      S x;
      std::memcpy(&x, p + i * sizeof(S), sizeof x);
      const D y = convert_one<D, S, fast>(x, o);
      std::memcpy(p + i * sizeof(D), &y, sizeof y);
    }
  } else {
    for (std::size_t i = 0; i < n; ++i) {
      S x;
      std::memcpy(&x, p + i * sizeof(S), sizeof x);
      const D y = convert_one<D, S, fast>(x, o);
      std::memcpy(p + i * sizeof(D), &y, sizeof y);
    }
  }
}

template <class D, class S>
int convert(void *dest, const void *src, std::size_t n, rlong o) {
  auto *d = static_cast<unsigned char *>(dest);
  const auto *s = static_cast<const unsigned char *>(src);
  if (std::is_same_v<D, S> && o == 0) {
    if (d != s) std::memmove(d, s, n * sizeof(S));
    return 0;
  }
  const bool fast = std::is_same_v<S, float> && o == 0;
  if (d == s) {
    if (fast)
      convert_inplace<D, S, true>(d, n, o);
    else
      convert_inplace<D, S, false>(d, n, o);
    return 0;
  }
  // Partly overlapping arrays: convert from a copy of the source.
  std::vector<unsigned char> copy;
  const auto pd = reinterpret_cast<std::uintptr_t>(d), ps = reinterpret_cast<std::uintptr_t>(s);
  if (pd < ps + n * sizeof(S) && ps < pd + n * sizeof(D)) {
    try {
      copy.assign(s, s + n * sizeof(S));
    } catch (const std::bad_alloc &) {
      return -1;
    }
    s = copy.data();
  }
  if (fast)
    convert_separate<D, S, true>(d, s, n, o);
  else
    convert_separate<D, S, false>(d, s, n, o);
  return 0;
}

template <class S>
int to_destination(void *dest, int mtype_dest, const void *src, rlong o, std::size_t n) {
  switch (mtype_dest) {
    case MUnsignedChar: return convert<std::uint8_t, S>(dest, src, n, o);
    case MChar: return convert<std::int8_t, S>(dest, src, n, o);
    case MUnsignedShort: return convert<std::uint16_t, S>(dest, src, n, o);
    case MShort: return convert<std::int16_t, S>(dest, src, n, o);
    case MUnsignedInteger:
    case MUnsignedLong: return convert<std::uint32_t, S>(dest, src, n, o);
    case MInteger:
    case MLong: return convert<std::int32_t, S>(dest, src, n, o);
    case MFloat: return convert<float, S>(dest, src, n, o);
    case MDouble: return convert<double, S>(dest, src, n, o);
    default: return -1;
  }
}

}  // namespace

int ryl_machine2machine(void *dest, int mtype_dest, const void *src, rlong value_offset,
                        int mtype_src, std::size_t n) {
  if (!dest || !src) {
    std::fprintf(stderr, "SEVERE: ryl_machine2machine: NULL pointer\n");
    std::exit(-1);
  }
  const rlong o = value_offset;
  switch (mtype_src) {
    case MUnsignedChar: return to_destination<std::uint8_t>(dest, mtype_dest, src, o, n);
    case MChar: return to_destination<std::int8_t>(dest, mtype_dest, src, o, n);
    case MUnsignedShort: return to_destination<std::uint16_t>(dest, mtype_dest, src, o, n);
    case MShort: return to_destination<std::int16_t>(dest, mtype_dest, src, o, n);
    case MUnsignedInteger:
    case MUnsignedLong: return to_destination<std::uint32_t>(dest, mtype_dest, src, o, n);
    case MInteger:
    case MLong: return to_destination<std::int32_t>(dest, mtype_dest, src, o, n);
    case MFloat: return to_destination<float>(dest, mtype_dest, src, o, n);
    case MDouble: return to_destination<double>(dest, mtype_dest, src, o, n);
    default: return -1;
  }
}
