// rylio: key comparison and the conversion of value texts (escaping,
// quoting, decoding and line breaking).
#include "rylpack/rylio_header.h"
#include "rylpack/strlib.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace rylio {

bool is_white(int c) {
  return c == 0 || c == ' ' || c == '\t' || c == '\r' || c == '\n' ||
         c == '\f' || c == '\v';
}

namespace {

// The comparison text of a key: of its first RylMaxKeyLen characters
// (stopping at '~' when the key is a continuation key) the printable
// characters other than blank, upper-cased unless exact. out holds
// RylMaxKeyLen+1 bytes. Blanks and control characters are dropped so that
// "Dim _1" and "DIM_1" name the same key.
std::size_t reduce_key(const char *key, rlong depth, bool upper, char *out) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < RylMaxKeyLen && key[i]; ++i) {
    unsigned char c = static_cast<unsigned char>(key[i]);
    if (depth > 0 && c == Continuation) break;
    if (c < 33 || c > 126) continue;
    out[n++] = upper ? static_cast<char>(std::toupper(c)) : static_cast<char>(c);
  }
  out[n] = '\0';
  return n;
}

int sign_of(int v) { return (v > 0) - (v < 0); }

// Ties on the comparison text: Title < Title~1 < Title~2; a key with a
// malformed continuation (depth -1) sorts after the well-formed ones.
int compare_depths(rlong d1, rlong d2) {
  if (d1 >= 0 && d2 >= 0) return (d1 > d2) - (d1 < d2);
  if (d1 < 0 && d2 < 0) return 0;
  return d1 < 0 ? 1 : -1;
}

// Numeric comparison of two reduced keys (block keys): sign first, then the
// digit texts right-aligned, so that 9 < 10 and 007 equals 7 without
// converting (block keys may be longer than any integer type).
int compare_numeric(const char *t1, const char *t2) {
  bool neg1 = false, neg2 = false;
  if (*t1 == '+') ++t1; else if (*t1 == '-') { ++t1; neg1 = true; }
  if (*t2 == '+') ++t2; else if (*t2 == '-') { ++t2; neg2 = true; }
  if (neg1 != neg2) return neg1 ? -1 : 1;
  while (t1[0] == '0' && t1[1]) ++t1;
  while (t2[0] == '0' && t2[1]) ++t2;
  std::size_t l1 = std::strlen(t1), l2 = std::strlen(t2);
  std::size_t len = l1 > l2 ? l1 : l2;
  int r = 0;
  for (std::size_t i = 0; i < len && r == 0; ++i) {
    unsigned char c1 = i < len - l1 ? '0' : static_cast<unsigned char>(t1[i - (len - l1)]);
    unsigned char c2 = i < len - l2 ? '0' : static_cast<unsigned char>(t2[i - (len - l2)]);
    r = (c1 > c2) - (c1 < c2);
  }
  return (neg1 && neg2) ? -r : r;
}

bool is_reserved(const char *key) { return is_prefix(key, DATA_FORMAT_PREFIX, 0); }

}  // namespace

KeyForm key_form(const char *key) {
  KeyForm f;
  if (!key) key = "";
  char buf[RylMaxKeyLen + 1];
  f.Reserved = is_reserved(key);
  f.Depth = continuation_depth(key);
  f.Norm.assign(buf, reduce_key(key, f.Depth, true, buf));
  return f;
}

int compare_key_forms(const KeyForm &a, const KeyForm &b) {
  if (a.Reserved != b.Reserved) return a.Reserved ? -1 : 1;
  int r = sign_of(std::strcmp(a.Norm.c_str(), b.Norm.c_str()));
  if (r) return r;
  return compare_depths(a.Depth, b.Depth);
}

int compare_keys(const char *key1, const char *key2, int sortmode) {
  if (sortmode < 0 || sortmode > 2) {
    std::printf("ERROR: Unknown sortmode\n");
    std::fflush(stdout);
    std::exit(-1);
  }
  if (!key1) key1 = "";
  if (!key2) key2 = "";
  bool r1 = is_reserved(key1), r2 = is_reserved(key2);
  if (r1 != r2) return r1 ? -1 : 1;
  rlong d1 = continuation_depth(key1), d2 = continuation_depth(key2);
  char t1[RylMaxKeyLen + 1], t2[RylMaxKeyLen + 1];
  reduce_key(key1, d1, sortmode != 0, t1);
  reduce_key(key2, d2, sortmode != 0, t2);
  int r = sortmode == 2 ? compare_numeric(t1, t2) : sign_of(std::strcmp(t1, t2));
  if (r) return r;
  return compare_depths(d1, d2);
}

rlong continuation_depth(const char *key) {
  if (!key) return 0;
  const char *t = std::strchr(key, Continuation);
  if (!t) return 0;
  ++t;
  if (!*t) return -1;
  long long n = 0;
  for (; *t; ++t) {
    if (*t < '0' || *t > '9') return -1;
    n = n * 10 + (*t - '0');
    if (n > 0x7fffffffLL) return -1;  // not a depth this system can form
  }
  return n > 0 ? static_cast<rlong>(n) : -1;
}

char *continuation_key(char *buffer, std::size_t buflen, const char *key,
                       rlong depth) {
  if (!buffer || buflen == 0 || !key) return nullptr;
  if (depth <= 0) return strlib_copy(buffer, buflen, key);
  const char *b = key;
  while (*b && is_white(static_cast<unsigned char>(*b))) ++b;
  const char *e = b + std::strlen(b);
  while (e > b && is_white(static_cast<unsigned char>(e[-1]))) --e;
  std::string k(b, e);
  if (k.find(Continuation) != std::string::npos) return nullptr;
  char num[16];
  std::snprintf(num, sizeof num, "%c%d", Continuation, static_cast<int>(depth));
  k += num;
  if (k.size() + 1 > buflen) return nullptr;
  return strlib_copy(buffer, buflen, k.c_str());
}

bool is_prefix(const char *key, const char *prefix, int csens) {
  if (!key || !prefix || !*prefix) return false;
  std::size_t n = std::strlen(prefix);
  if (n > RylMaxKeyLen) n = RylMaxKeyLen;
  for (std::size_t i = 0; i < n; ++i)
    if (!key[i]) return false;
  return csens ? std::strncmp(key, prefix, n) == 0
               : strlib_ncasecmp(key, prefix, n) == 0;
}

char *strtrm(char *buffer, std::size_t buflen, const char *str) {
  if (!buffer || buflen == 0) return buffer;
  if (!str) str = "";
  while (*str && is_white(static_cast<unsigned char>(*str))) ++str;
  std::size_t n = std::strlen(str);
  while (n > 0 && is_white(static_cast<unsigned char>(str[n - 1]))) --n;
  if (n > buflen - 1) n = buflen - 1;
  std::memcpy(buffer, str, n);
  buffer[n] = '\0';
  return buffer;
}

char *str2val(char *buffer, std::size_t buflen, const char *string,
              const char **pnext) {
  if (!string) string = "";
  if (pnext) *pnext = string;
  if (!buffer || buflen == 0) return buffer;
  if (buflen < 3) {
    buffer[0] = '\0';
    return buffer;
  }
  // buffer[0] is a placeholder for an opening quote; the encoded text may
  // take buflen-3 characters so that a closing quote and the terminator
  // still fit. An escape is taken only as a whole.
  const std::size_t limit = buflen - 3;
  char *enc = buffer + 1;
  std::size_t n = 0;
  const char *s = string;
  buffer[0] = QuoteChar;
  while (*s && n < limit) {
    char esc = 0;
    std::size_t take = 1;
    switch (*s) {
      case '\r': esc = 'l'; if (s[1] == '\n') take = 2; break;
      case '\n': esc = 'l'; break;
      case '{': esc = '('; break;
      case '}': esc = ')'; break;
      case ';': esc = ':'; break;
      case '\\': esc = '\\'; break;
      default: break;
    }
    if (!esc) {
      enc[n++] = *s++;
      continue;
    }
    if (n + 2 > limit) break;
    enc[n++] = '\\';
    enc[n++] = esc;
    s += take;
    // A line break also breaks the line in the encoded piece; breakval
    // removes it again, so it never reaches the file.
    if (esc == 'l' && n + 5 < buflen) {
      enc[n++] = '\r';
      enc[n++] = '\n';
    }
  }
  if (pnext) *pnext = s;
  bool quote = n == 0;
  if (!quote) {
    unsigned char first = static_cast<unsigned char>(enc[0]);
    unsigned char last = static_cast<unsigned char>(enc[n - 1]);
    quote = is_white(first) || first == QuoteChar || is_white(last) ||
            last == QuoteChar;
  }
  if (quote) {
    enc[n++] = QuoteChar;
    enc[n] = '\0';
    return buffer;
  }
  enc[n] = '\0';
  return enc;
}

char *val2str(char *buffer, std::size_t buflen, const char *value) {
  if (!buffer || buflen == 0) return buffer;
  if (!value) value = "";
  const char *p = value;
  while (*p && is_white(static_cast<unsigned char>(*p))) ++p;
  if (*p == QuoteChar) ++p;
  std::size_t n = 0;
  std::size_t kept = 0;  // characters up to here came from escapes: not trimmed
  while (*p && n < buflen - 1) {
    char c = *p++;
    if (c == '\r' || c == '\n') continue;
    if (c != '\\') {
      buffer[n++] = c;
      continue;
    }
    char e = *p;
    if (!e) break;
    ++p;
    switch (e) {
      case ':': c = ';'; break;
      case ')': c = '}'; break;
      case '(': c = '{'; break;
      case 's': c = ' '; break;
      case 't': c = '\t'; break;
      case 'f': c = '\f'; break;
      case 'v': c = '\v'; break;
      case 'n': c = '\n'; break;
      case 'r': c = '\r'; break;
      case 'l': c = line_feed[0]; break;
      case '\r':
      case '\n':
        // A line continuation. Only the backslash and this line-end
        // character go; further CR or LF characters are dropped above, so
        // that a continuation written with a bare LF loses no data.
        continue;
      default: c = e; break;
    }
    buffer[n++] = c;
    kept = n;
  }
  while (n > kept && is_white(static_cast<unsigned char>(buffer[n - 1]))) --n;
  if (n > 0 && buffer[n - 1] == QuoteChar) --n;
  buffer[n] = '\0';
  return buffer;
}

namespace {

// Skips line-end characters and existing continuations (a backslash
// followed by CR or LF) of an encoded piece.
const char *skip_line_ends(const char *p) {
  for (;;) {
    if (*p == '\r' || *p == '\n') ++p;
    else if (*p == '\\' && (p[1] == '\r' || p[1] == '\n')) p += 2;
    else return p;
  }
}

}  // namespace

char *breakval(char *buffer, std::size_t buflen, const char *string,
               rulong pos1, rulong pos2) {
  if (!buffer || buflen == 0) return buffer;
  if (!string) string = "";
  const std::size_t cap = buflen - 1;
  std::size_t o = 0;
  std::size_t width = pos1;
  std::size_t line = 0;           // characters in the current line
  std::size_t brk_o = 0;          // output position after the last blank
  const char *brk_in = nullptr;   // input position after the last blank
  const char *in = skip_line_ends(string);
  while (*in && o < cap) {
    std::size_t unit = (in[0] == '\\' && in[1]) ? 2 : 1;
    if (width > 0 && line > 0 && line + unit > width - 1) {
      // The line is full and input remains.
      if (brk_in) {
        o = brk_o;
        in = brk_in;
      }
      const char *r = skip_line_ends(in);
      if (!*r) break;
      if (!*skip_line_ends(r + 1)) {
        buffer[o++] = *r;  // a single last character stays on this line
        break;
      }
      if (o + 3 > cap) break;
      buffer[o++] = '\\';
      buffer[o++] = '\r';
      buffer[o++] = '\n';
      line = 0;
      brk_in = nullptr;
      width = pos2 < 2 ? 0 : pos2;
      in = r;
      continue;
    }
    if (o + unit > cap) break;
    bool blank = unit == 1 && in[0] == ' ';
    for (std::size_t i = 0; i < unit; ++i) buffer[o++] = *in++;
    line += unit;
    if (blank) {
      brk_o = o;
      brk_in = in;
    }
    in = skip_line_ends(in);
  }
  buffer[o] = '\0';
  return buffer;
}

}  // namespace rylio
