// Line editing used by the dialogue and by the expression helpers.
#include <cctype>
#include <cstring>

#include "rylpack/strlib.h"
#include "vilopack/vilo_input.h"

namespace {

bool is_space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

// Copies [begin, begin+n) into sout, cut to len-1 characters.
void copy_part(const char *begin, std::size_t n, char *sout, std::size_t len) {
  if (!sout || len == 0) return;
  if (n > len - 1) n = len - 1;
  if (n) std::memmove(sout, begin, n);
  sout[n] = '\0';
}

// Last occurrence of a non-empty s2 in s1, or null.
const char *find_last(const char *s1, const char *s2) {
  const char *last = nullptr;
  for (const char *p = std::strstr(s1, s2); p; p = std::strstr(p + 1, s2)) last = p;
  return last;
}

}  // namespace

char *CopyLine(const char *s1, char *sout, std::size_t len, int conversion) {
  strlib_copy(sout, len, s1);
  if (!sout || len == 0) return sout;
  for (char *p = sout; *p; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (conversion == -1) *p = static_cast<char>(std::tolower(c));
    else if (conversion == 1) *p = static_cast<char>(std::toupper(c));
  }
  return sout;
}

char *EditLine(int EditFlag, char *str) {
  if (!str) return str;
  for (char *p = str; *p; ++p)
    if (*p == '\t') *p = ' ';

  if (EditFlag & UnComment) {
    if (char *hash = std::strchr(str, '#')) *hash = '\0';
  }

  // Remove or collapse white space in one pass over the text.
  char *w = str;
  bool in_space = false;
  for (const char *r = str; *r; ++r) {
    if (is_space(*r)) {
      if (!(EditFlag & NoBlanks) && !in_space) *w++ = ' ';
      in_space = true;
    } else {
      *w++ = *r;
      in_space = false;
    }
  }
  *w = '\0';

  if (EditFlag & (Trim | NoBlanks)) {
    std::size_t n = std::strlen(str);
    while (n > 0 && is_space(str[n - 1])) str[--n] = '\0';
    std::size_t lead = 0;
    while (is_space(str[lead])) ++lead;
    if (lead) std::memmove(str, str + lead, n - lead + 1);
  }

  if (EditFlag & LowerCase) {
    for (char *p = str; *p; ++p) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
  } else if (EditFlag & UpperCase) {
    for (char *p = str; *p; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
  }
  return str;
}

const char *RightFR(const char *s1, const char *s2, char *sout, std::size_t len) {
  if (!s1) s1 = "";
  const char *occ = (s2 && *s2) ? find_last(s1, s2) : nullptr;
  const char *from = occ ? occ + std::strlen(s2) : s1;
  copy_part(from, std::strlen(from), sout, len);
  return occ;
}

const char *LeftFR(const char *s1, const char *s2, char *sout, std::size_t len) {
  if (!s1) s1 = "";
  const char *occ = (s2 && *s2) ? find_last(s1, s2) : nullptr;
  copy_part(s1, occ ? static_cast<std::size_t>(occ - s1) : 0, sout, len);
  return occ;
}

const char *RightFL(const char *s1, const char *s2, char *sout, std::size_t len) {
  if (!s1) s1 = "";
  const char *occ = (s2 && *s2) ? std::strstr(s1, s2) : nullptr;
  if (occ) {
    const char *from = occ + std::strlen(s2);
    copy_part(from, std::strlen(from), sout, len);
  } else {
    copy_part(s1, 0, sout, len);
  }
  return occ;
}

const char *LeftFL(const char *s1, const char *s2, char *sout, std::size_t len) {
  if (!s1) s1 = "";
  const char *occ = (s2 && *s2) ? std::strstr(s1, s2) : nullptr;
  copy_part(s1, occ ? static_cast<std::size_t>(occ - s1) : std::strlen(s1), sout, len);
  return occ;
}

const char *ViloInputVersion() { return "ViloInput V4.41 Tessmor 2015-12-07"; }
