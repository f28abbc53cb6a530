// Order texts: parsing "2,-1" or a raster number, and printing an order.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "rylpack/raster.h"
#include "rylpack/raster_internal.h"
#include "rylpack/strlib.h"

using raster_detail::absval;

namespace {

// Error values of the integer expression language (same numbers as the
// expression evaluator reports).
enum : int {
  kNumScanError = 2,
  kNumBadParenthesis = 4,
  kNumNoFloatNumber = 5,
  kNumIntegerOverflow = 9,
  kNumDivByZero = 10,
};

// A small reader for the integer expressions that appear in order texts:
// signed sums, products, quotients and remainders of decimal literals,
// parentheses and the truth words, in 32-bit wrapping arithmetic. Casts,
// functions and named constants belong to the full expression evaluator;
// here they end with kNumNoFloatNumber like any unknown word.
class IntegerReader {
 public:
  explicit IntegerReader(const char *s) : p_(s) {}

  rlong expression(int level) {
    bool negate = false;
    if (*p_ == '+' || *p_ == '-') negate = *p_++ == '-';
    std::uint32_t value = static_cast<std::uint32_t>(term(level));
    if (negate) value = 0u - value;
    while (!err_) {
      if (*p_ == '+' || *p_ == '-') {
        const bool minus = *p_++ == '-';
        const std::uint32_t t = static_cast<std::uint32_t>(term(level));
        value = minus ? value - t : value + t;
        continue;
      }
      if (*p_ == '\0' || *p_ == ',' || *p_ == ';' || std::isspace(static_cast<unsigned char>(*p_)))
        break;
      if (*p_ == ')') {
        if (level == 0) err_ = kNumBadParenthesis;
        break;
      }
      err_ = kNumScanError;
    }
    return static_cast<rlong>(value);
  }

  const char *position() const { return p_; }
  int error() const { return err_; }

 private:
  rlong term(int level) {
    rlong value = factor(level);
    while (!err_ && (*p_ == '*' || *p_ == '/' || *p_ == '%')) {
      const char op = *p_++;
      const rlong f = factor(level);
      if (err_) break;
      if (op == '*') {
        value = static_cast<rlong>(static_cast<std::uint32_t>(value) * static_cast<std::uint32_t>(f));
      } else if (f == 0) {
        err_ = kNumDivByZero;
      } else if (value == std::numeric_limits<rlong>::min() && f == -1) {
        err_ = kNumIntegerOverflow;  // the quotient does not fit
      } else {
        value = op == '/' ? value / f : value % f;
      }
    }
    return value;
  }

  rlong factor(int level) {
    if (err_) return 0;
    if (*p_ == '(') {
      ++p_;
      const rlong v = expression(level + 1);
      if (err_) return v;
      if (*p_ != ')') {
        err_ = kNumBadParenthesis;
        return v;
      }
      ++p_;
      return v;
    }
    if (std::isdigit(static_cast<unsigned char>(*p_))) {
      // A literal beyond the range gives the nearest limit.
      std::int64_t v = 0;
      while (std::isdigit(static_cast<unsigned char>(*p_))) {
        if (v <= std::numeric_limits<rlong>::max()) v = v * 10 + (*p_ - '0');
        ++p_;
      }
      return v > std::numeric_limits<rlong>::max() ? std::numeric_limits<rlong>::max()
                                                   : static_cast<rlong>(v);
    }
    static const struct {
      const char *word;
      rlong value;
    } words[] = {{"true", 1}, {"false", 0}, {"yes", 1}, {"no", 0}};
    for (const auto &w : words) {
      const std::size_t len = std::strlen(w.word);
      std::size_t i = 0;
      while (i < len && p_[i] &&
             std::tolower(static_cast<unsigned char>(p_[i])) == static_cast<unsigned char>(w.word[i]))
        ++i;
      if (i == len) {
        p_ += len;
        return w.value;
      }
    }
    err_ = kNumNoFloatNumber;
    return 0;
  }

  const char *p_;
  int err_ = 0;
};

const char *skip_white(const char *p) {
  while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

}  // namespace

namespace raster_detail {

rlong read_integer(const char **ps, int *perrval) {
  IntegerReader reader(skip_white(*ps));
  const rlong v = reader.expression(0);
  *ps = reader.position();
  *perrval = reader.error();
  return v;
}

}  // namespace raster_detail

rlong *raster_str2order(rlong *buffer, rlong nelem, rlong n, const char *str, const char **tail,
                        int *perrval) {
  const char *text = str ? str : "";
  auto fail = [&](int e) -> rlong * {
    if (perrval) *perrval = e;
    if (tail) *tail = text;
    raster_detail::trace("raster_str2order", "END (error)");
    return nullptr;
  };
  raster_detail::trace("raster_str2order", "BEGIN");
  // A negative axis count cannot describe any order.
  if (n < 0 || !buffer || static_cast<std::int64_t>(nelem) <= n) return fail(RasterParseBufferTooSmall);
  std::vector<char> used;
  try {
    used.assign(static_cast<std::size_t>(n) + 1, 0);
  } catch (const std::bad_alloc &) {
    return fail(RasterParseNoWorkBuffer);
  }

  buffer[0] = n;
  rlong count = 0;         // values read
  bool kept = false;       // the first value may be a raster number
  rlong kept_value = 0;
  bool complete = false;   // the order came from a raster number
  const char *p = text;
  for (rlong j = 1; j <= n && !complete; ++j) {
    p = skip_white(p);
    if (*p == '\0') {
      if (j == 2 && kept) {
        if (!raster_number2order(buffer, nelem, n, kept_value)) return fail(RasterParseBadNumber);
        count = n;
        complete = true;
        break;
      }
      if (used[j]) return fail(RasterParseDefaultUsed);
      buffer[j] = j;
      used[j] = 1;
      continue;
    }
    int e = 0;
    const rlong v = raster_detail::read_integer(&p, &e);
    if (e) return fail(RasterParseExpressionBase + e);
    ++count;
    if (count == 1) {
      kept = n >= 2 ? v != 0 : v > 0;
      kept_value = v;
    }
    const std::int64_t a = absval(v);
    if (a < 1 || a > n) {
      if (count != 1 || !kept) return fail(RasterParseBadAxis);
      if (!raster_number2order(buffer, nelem, n, v)) return fail(RasterParseBadNumber);
      count = n;
      complete = true;
    } else {
      if (used[a]) return fail(RasterParseAxisTwice);
      buffer[j] = v;
      used[a] = 1;
    }
    p = skip_white(p);
    if (complete && *p) return fail(RasterParseTrailingText);
    if (*p == ',') ++p;
  }
  if (*skip_white(p)) return fail(RasterParseTrailingText);
  if (count < n) return fail(RasterParseTooFewAxes);
  if (perrval) *perrval = RasterParseSuccess;
  if (tail) *tail = p;
  raster_detail::trace("raster_str2order", "END");
  return buffer;
}

std::vector<rlong> raster_str2order(rlong n, const char *str, const char **tail, int *perrval) {
  std::vector<rlong> order;
  if (n >= 0) {
    try {
      order.resize(static_cast<std::size_t>(n) + 1);
    } catch (const std::bad_alloc &) {
      if (perrval) *perrval = RasterParseNoResultBuffer;
      if (tail) *tail = str ? str : "";
      return {};
    }
  }
  if (!raster_str2order(order.data(), static_cast<rlong>(order.size()), n, str, tail, perrval))
    return {};
  return order;
}

rlong raster_str2number(rlong n, const char *str, const char **tail, int *perrval) {
  const std::vector<rlong> order = raster_str2order(n, str, tail, perrval);
  return order.empty() ? 0 : raster_order2number(order.data());
}

std::string raster_order2str(const rlong *order, int *perrval) {
  if (!order || order[0] < 0) {
    if (perrval) *perrval = 1;
    return {};
  }
  std::string text;
  char number[16];
  for (rlong k = 1; k <= order[0]; ++k) {
    std::snprintf(number, sizeof number, k == 1 ? RLONG_FMT : "," RLONG_FMT, order[k]);
    text += number;
  }
  if (perrval) *perrval = 0;
  return text;
}

char *raster_order2str(char *buffer, rlong nelem, const rlong *order, int *perrval) {
  if (!buffer || nelem <= 0) {
    if (perrval) *perrval = 2;
    return nullptr;
  }
  int e = 0;
  const std::string text = raster_order2str(order, &e);
  if (e) {
    if (perrval) *perrval = e;
    return nullptr;
  }
  strlib_copy(buffer, static_cast<std::size_t>(nelem), text.c_str());
  if (perrval) *perrval = 0;
  return buffer;
}
