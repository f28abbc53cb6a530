// Small string helpers shared by every module.
#pragma once

#include <cstddef>

// Copies at most cap-1 characters of src into dst and always terminates it
// (cap > 0). A null src gives an empty text. Returns dst.
char *strlib_copy(char *dst, std::size_t cap, const char *src);

// Compares at most n characters of s1 and s2 without regard to letter case
// (a null text counts as empty). Negative, 0 or positive like strncmp.
int strlib_ncasecmp(const char *s1, const char *s2, std::size_t n);
