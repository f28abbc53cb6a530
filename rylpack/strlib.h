// Small string helpers shared by every module.
#pragma once

#include <cstddef>

// Copies at most cap-1 characters of src into dst and always terminates it
// (cap > 0). A null src gives an empty text. Returns dst.
char *strlib_copy(char *dst, std::size_t cap, const char *src);
