// The integer widths of this system.
//
// The image format, the expression language and the command framework were
// laid out for a platform whose `long` is 32 bits wide: integer expressions
// wrap around and range-check at 32 bits, and block numbers, dimensions and
// option values are 32-bit quantities. On x86-64 Linux `long` is 64 bits, so
// the code never uses `long` for these values; it uses `rlong` instead.
#pragma once

#include <cstdint>

using rlong = std::int32_t;    // the design's signed `long`
using rulong = std::uint32_t;  // the design's `unsigned long`

// printf conversions for rlong; they are plain `int` on every target we build.
#define RLONG_FMT "%d"
