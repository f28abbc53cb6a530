// Order texts: parsing "2,-1" or a raster number, and printing an order.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>
#include <string>
#include <vector>

#include "rylpack/numio.h"
#include "rylpack/raster.h"
#include "rylpack/raster_internal.h"
#include "rylpack/strlib.h"

using raster_detail::absval;

namespace {

const char *skip_white(const char *p) {
  while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

}  // namespace

namespace raster_detail {

rlong read_integer(const char **ps, int *perrval) {
  const char *tail = *ps;
  const rlong v = num_str2long(*ps, &tail, perrval);
  *ps = tail;
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
