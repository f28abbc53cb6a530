#include "rylpack/strlib.h"

#include <cstring>

char *strlib_copy(char *dst, std::size_t cap, const char *src) {
  if (!dst || cap == 0) return dst;
  std::size_t n = 0;
  if (src) {
    while (n + 1 < cap && src[n]) ++n;
    std::memcpy(dst, src, n);
  }
  dst[n] = '\0';
  return dst;
}
