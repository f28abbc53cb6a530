// rylio: reading header text from a stream and writing symbol lines.
#include "rylpack/rylio_header.h"

#include <cstdio>
#include <cstring>

namespace rylio {

namespace {

// File positions are 64-bit: a series of images easily grows beyond 2 GB.
std::int64_t stream_pos(FILE *channel) { return static_cast<std::int64_t>(ftello(channel)); }

// A character for the messages; end of file prints as a blank.
int shown(int c) { return c == EOF ? ' ' : c; }

}  // namespace

int check_start(FILE *channel) {
  int c = std::getc(channel);
  if (c == '\r') c = std::getc(channel);
  if (c == '\n') c = std::getc(channel);
  if (c == EOF) return -1;
  if (c == 0) return -2;
  return c == StartHeader ? 0 : 1;
}

int check_end(FILE *channel) {
  int c = std::getc(channel);
  if (c == EOF || c == 0) return -1;
  if (c != EndHeader) {
    std::ungetc(c, channel);
    return 1;
  }
  c = std::getc(channel);
  if (c == '\r') c = std::getc(channel);
  if (c == '\n') return 0;
  if (c == EOF || c == 0) return -1;
  std::ungetc(c, channel);
  return 1;
}

int skipcomment(FILE *channel) {
  for (;;) {
    int c = std::getc(channel);
    if (c == EOF) return -1;
    if (c == '\n') return 0;
    if (c == '\r') {
      std::getc(channel);  // the LF of CR LF
      return 0;
    }
  }
}

int get_key(char *buffer, std::size_t buflen, FILE *channel, std::int64_t *keypos,
            rulong *keylen) {
  if (!buffer || buflen == 0 || !channel) return -1;
  int prev = 0;
  for (;;) {
    // Skip white space, stray terminators and comment lines.
    int c;
    for (;;) {
      c = std::getc(channel);
      if (c == EOF || c == 0) return -1;
      if (c == Comment && prev == '\n') {
        if (skipcomment(channel)) return -1;
        prev = '\n';
        continue;
      }
      if (c == Terminator || is_white(c)) {
        prev = c;
        continue;
      }
      break;
    }
    if (c == EndHeader) {
      std::ungetc(c, channel);
      if (check_end(channel) == 0) return 1;
      std::fprintf(stderr,
                   "\nERROR: position %ld, end marker \xB4%c\xB4 not followed by eol\n",
                   static_cast<long>(stream_pos(channel)), EndHeader);
      return -1;
    }
    std::int64_t pos = stream_pos(channel) - 1;
    std::size_t n = 0;
    bool restart = false;
    while (c != Separator) {
      if (c == Terminator || c == '\r' || c == '\n') {  // a line without '='
        prev = c;
        restart = true;
        break;
      }
      if (c == EOF || c == 0 || c == EndHeader) {
        std::fprintf(stderr, "\nERROR: position %ld, '%c' read, separator '%c' not found\n",
                     static_cast<long>(stream_pos(channel)), shown(c), Separator);
        return -1;
      }
      if (is_white(c)) c = ' ';
      if (n + 1 < buflen) buffer[n++] = static_cast<char>(c);
      c = std::getc(channel);
    }
    if (restart) continue;
    if (n > 0 && buffer[n - 1] == ' ') --n;
    buffer[n] = '\0';
    if (keypos) *keypos = pos;
    if (keylen) *keylen = static_cast<rulong>(n);
    return 0;
  }
}

int get_val(char *buffer, std::size_t buflen, FILE *channel, std::int64_t *valpos,
            rulong *vallen) {
  if (!buffer || buflen == 0 || !channel) return -1;
  int c;
  do c = std::getc(channel);
  while (c != EOF && c != 0 && is_white(c));
  std::int64_t pos = stream_pos(channel) - 1;
  std::size_t n = 0;
  while (c != Terminator) {
    if (c == EOF || c == 0) {
      std::fprintf(stderr, "\nERROR: position %ld,'%c' read, terminator '%c' not found\n",
                   static_cast<long>(stream_pos(channel)), shown(c), Terminator);
      return -1;
    }
    if (n + 1 < buflen) buffer[n++] = static_cast<char>(c);
    c = std::getc(channel);
  }
  if (n > 0 && is_white(static_cast<unsigned char>(buffer[n - 1]))) --n;
  buffer[n] = '\0';
  if (valpos) *valpos = pos;
  if (vallen) *vallen = static_cast<rulong>(n);
  return 0;
}

int get_symbol_list(SymbolList *list, FILE *channel, int level) {
  if (!list || !channel) return -1;
  char key[RylMaxKeyLen + 1];
  char val[RylMaxValLen + 1];
  for (;;) {
    std::int64_t keypos = 0, valpos = 0;
    rulong keylen = 0, vallen = 0;
    int r = get_key(key, sizeof key, channel, &keypos, &keylen);
    if (r == 1) return 0;
    if (r < 0) return -1;
    if (level == 0 && !is_prefix(key, DATA_FORMAT_PREFIX, 0)) {
      // Only the leading reserved keys were asked for: leave the stream at
      // this key.
      return fseeko(channel, static_cast<off_t>(keypos), SEEK_SET) ? -1 : 0;
    }
    if (get_val(val, sizeof val, channel, &valpos, &vallen)) return -1;
    SElement *e = nullptr;
    if (insert_symbol(list, key, val, &e)) return -1;
    e->KeyPos = keypos;
    e->ValPos = valpos;
  }
}

int put_symbol(FILE *channel, SElement *symbol, std::int64_t *pos, const char **pstep) {
  const char *step = nullptr;
  if (pstep) *pstep = nullptr;
  if (!channel || !symbol || !pos) return -1;
  symbol->KeyLen = static_cast<rulong>(symbol->Key.size());
  symbol->ValLen = static_cast<rulong>(symbol->Value.size());
  symbol->KeyPos = *pos;
  symbol->ValPos = symbol->KeyPos + static_cast<std::int64_t>(symbol->KeyLen) + 3;
  if (std::fwrite(symbol->Key.data(), 1, symbol->Key.size(), channel) != symbol->Key.size())
    step = "Key";
  else if (std::fputs(symbol_separator, channel) == EOF)
    step = "symbol_separator";
  else if (std::fwrite(symbol->Value.data(), 1, symbol->Value.size(), channel) !=
           symbol->Value.size())
    step = "Value";
  else if (std::fputs(symbol_terminator, channel) == EOF)
    step = "symbol_terminator";
  if (step) {
    if (pstep) *pstep = step;
    return -1;
  }
  *pos = symbol->ValPos + static_cast<std::int64_t>(symbol->ValLen) + 4;
  return 0;
}

}  // namespace rylio
