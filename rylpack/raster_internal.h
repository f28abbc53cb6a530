// Pieces shared by the sources of the raster module.
#pragma once

#include <cstdint>

#include "rylpack/longint.h"

namespace raster_detail {

// |v| without overflow for the most negative value.
inline std::int64_t absval(rlong v) { return v < 0 ? -static_cast<std::int64_t>(v) : v; }

// True when order is a valid order: N >= 0 and every axis 1..N used once.
bool valid_order(const rlong *order);

// With the debug switch on, prints " <routine> <what>" on standard output.
void trace(const char *routine, const char *what);

// Integer expression of the order texts. Reads from *ps (leading white space
// skipped), advances *ps to where reading stopped and stores the error value
// of the expression language (0 on success) in *perrval.
rlong read_integer(const char **ps, int *perrval);

}  // namespace raster_detail
