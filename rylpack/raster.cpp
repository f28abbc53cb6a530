// Version text and the diagnostic switch of the raster module.
#include <cstdio>
#include <vector>

#include "rylpack/raster.h"
#include "rylpack/raster_internal.h"

namespace {
// The module's one piece of process-wide state.
int debug_switch = 0;
}  // namespace

const char *raster_version() { return "raster : V1.8 Tessmor 2015-12-08"; }

void raster_debug(int debug) { debug_switch = debug; }

int raster_debug_get() { return debug_switch; }

namespace raster_detail {

void trace(const char *routine, const char *what) {
  if (debug_switch) std::printf(" %s %s\n", routine, what);
}

bool valid_order(const rlong *order) {
  if (!order || order[0] < 0) return false;
  const rlong n = order[0];
  std::vector<char> seen(static_cast<std::size_t>(n) + 1, 0);
  for (rlong k = 1; k <= n; ++k) {
    const std::int64_t a = absval(order[k]);
    if (a < 1 || a > n || seen[a]) return false;
    seen[a] = 1;
  }
  return true;
}

}  // namespace raster_detail
