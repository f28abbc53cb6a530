#include "rylpack/strlib.h"

#include <cctype>
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

int strlib_ncasecmp(const char *s1, const char *s2, std::size_t n) {
  if (!s1) s1 = "";
  if (!s2) s2 = "";
  for (std::size_t i = 0; i < n; ++i) {
    int c1 = std::tolower(static_cast<unsigned char>(s1[i]));
    int c2 = std::tolower(static_cast<unsigned char>(s2[i]));
    if (c1 != c2) return c1 < c2 ? -1 : 1;
    if (c1 == 0) break;
  }
  return 0;
}
