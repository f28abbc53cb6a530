// Processing history: the lines of an input header and the program's own
// argument line, written into output headers.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rylpack/rylio.h"
#include "rylpack/rylio_header.h"
#include "rylpack/rylio_internal.h"

namespace {

using rylio::set_result;

constexpr std::size_t MaxHistoryLineSize = 2049;  // argument line: 2048 characters
constexpr const char *HISTORY_KEY_PREFIX = "History-";
constexpr const char *argv_key = "_argv_key";

struct HSymb {
  std::string key;
  std::string line;
  std::size_t size = MaxHistoryLineSize;  // at most size-1 characters are kept
  int required = 1;
  std::size_t shortlen = 0;
};

struct HBlock {
  std::string key;
  std::vector<HSymb> lines;          // descending key order
  std::vector<HSymb> argv;           // the one argument line
  std::string current_key;           // empty when none
};

// The history store of the process, in descending key order.
std::vector<HBlock> &store() {
  static std::vector<HBlock> blocks;
  return blocks;
}

int g_debug = 0;

int cmp(const std::string &a, const std::string &b) {
  return rylio::compare_keys(a.c_str(), b.c_str(), 1);
}

HBlock *find_block(const char *key) {
  if (!key) return nullptr;
  for (auto &b : store())
    if (cmp(b.key, key) == 0) return &b;
  return nullptr;
}

// Inserts before the first entry whose key is not greater; an equal key is
// returned as it is.
template <typename T>
T &insert_sorted(std::vector<T> &list, const std::string &key, bool *existed) {
  auto it = list.begin();
  for (; it != list.end(); ++it) {
    int c = cmp(it->key, key);
    if (c == 0) {
      *existed = true;
      return *it;
    }
    if (c < 0) break;
  }
  *existed = false;
  T fresh;
  fresh.key = key;
  return *list.insert(it, std::move(fresh));
}

bool needquotes(const char *s) {
  if (!s[0]) return true;
  if (std::strchr(rylio::quote_chars, s[0])) return false;
  for (const char *p = s; *p; ++p)
    if (std::strchr(rylio::white_spaces, *p) || std::strchr(rylio::tobequoted, *p)) return true;
  return false;
}

void history_line_add(HSymb &l, const std::string &substring) {
  std::size_t room = l.size - 1;
  if (!l.line.empty() && l.line.size() < room) l.line += ' ';
  if (l.line.size() < room) l.line.append(substring, 0, room - l.line.size());
  if (l.required) l.shortlen = l.line.size();
  l.required = 1;
}

void debug(const char *call, const char *what) {
  if (g_debug) std::printf("\n %s %s\n", call, what);
}

int add_argument(const char *history_key, const std::string &text) {
  HBlock *b = find_block(history_key);
  if (!b || b->argv.empty()) return 0;
  history_line_add(b->argv.front(), text);
  return 1;
}

}  // namespace

int ryl_history_new(const char *history_key) {
  debug("ryl_history_new", "BEGIN");
  if (!history_key) return 0;
  bool existed;
  HBlock &b = insert_sorted(store(), history_key, &existed);
  b.lines.clear();
  b.argv.assign(1, HSymb{});
  b.argv.front().key = argv_key;
  b.current_key = std::string(HISTORY_KEY_PREFIX) + "1";
  debug("ryl_history_new", "END");
  return 1;
}

int ryl_history_argv(const char *history_key, const char *argument) {
  if (!argument) argument = "";
  std::string text;
  if (needquotes(argument)) {
    text += '"';
    text += argument;
    text += '"';
  } else {
    text = argument;
  }
  return add_argument(history_key, text);
}

int ryl_history_argv_noquotes(const char *history_key, const char *argument) {
  return add_argument(history_key, argument ? argument : "");
}

int ryl_history_skip(const char *history_key) {
  HBlock *b = find_block(history_key);
  if (!b || b->argv.empty()) return 0;
  b->argv.front().required = 0;
  return 1;
}

int ryl_history_take(const char *history_key) {
  HBlock *b = find_block(history_key);
  if (!b || b->argv.empty()) return 0;
  b->argv.front().required = 1;
  return 1;
}

int ryl_history_argv_shorten(const char *history_key) {
  HBlock *b = find_block(history_key);
  if (!b) return 0;
  if (!b->current_key.empty() && !b->argv.empty() && !b->argv.front().line.empty()) {
    HSymb &l = b->argv.front();
    if (l.shortlen < l.line.size()) l.line.resize(l.shortlen);
  }
  return 1;
}

int ryl_history_copy(const char *history_key_copy, const char *history_key) {
  HBlock *src = find_block(history_key);
  if (!src || !history_key_copy) return 0;
  HBlock copy = *src;  // before inserting: the insertion may move the source
  copy.key = history_key_copy;
  bool existed;
  HBlock &dst = insert_sorted(store(), history_key_copy, &existed);
  dst = std::move(copy);
  return 1;
}

int ryl_history_free(const char *history_key) {
  auto &blocks = store();
  if (!history_key) {
    blocks.clear();
    return 1;
  }
  for (auto it = blocks.begin(); it != blocks.end(); ++it)
    if (cmp(it->key, history_key) == 0) {
      blocks.erase(it);
      return 1;
    }
  return 0;
}

void ryl_history_print(FILE *out, const char *history_key, int level, int verbose) {
  (void)level;
  if (!out) out = stdout;
  for (const auto &b : store()) {
    if (history_key && cmp(b.key, history_key) != 0) continue;
    std::fprintf(out, "History block \"%s\" (current key %s)\n", b.key.c_str(),
                 b.current_key.empty() ? "(none)" : b.current_key.c_str());
    for (const auto &l : b.lines) std::fprintf(out, "  %s = %s\n", l.key.c_str(), l.line.c_str());
    for (const auto &l : b.argv) {
      std::fprintf(out, "  %s = %s\n", l.key.c_str(), l.line.c_str());
      if (verbose)
        std::fprintf(out, "    required = %d, shortlen = %zu, size = %zu\n", l.required,
                     l.shortlen, l.size);
    }
  }
}

void hist_debug(int debug_level) { g_debug = debug_level; }

const char *ryl_history_argv_line(const char *history_key) {
  HBlock *b = find_block(history_key);
  return (b && !b->argv.empty()) ? b->argv.front().line.c_str() : nullptr;
}

const char *ryl_history_current_key(const char *history_key) {
  HBlock *b = find_block(history_key);
  return (b && !b->current_key.empty()) ? b->current_key.c_str() : nullptr;
}

// ---- history lines of blocks and named headers -----------------------------------

namespace {

using HeaderReader = bool (*)(const std::string &key, std::string *value, int *perr,
                              int *pstatus, const void *ctx);
using HeaderWriter = bool (*)(const std::string &key, const std::string &value, int *perr,
                              int *pstatus, const void *ctx);

std::string history_key(unsigned n) { return std::string(HISTORY_KEY_PREFIX) + std::to_string(n); }

// Reads History-1, History-2, ... until one is absent.
int read_history(const char *history_key_name, HeaderReader read, const void *ctx, int *perr,
                 int *pstatus) {
  HBlock *b = find_block(history_key_name);
  if (!b) {
    set_result(perr, pstatus, RoutineSucceeded);
    if (pstatus) *pstatus = status_error;
    return 0;
  }
  b->lines.clear();
  b->current_key.clear();
  for (unsigned n = 1;; ++n) {
    std::string key = history_key(n), value;
    int err = RoutineSucceeded, status = status_success;
    if (!read(key, &value, &err, &status, ctx)) {
      if (status != status_success) {
        set_result(perr, pstatus, err);
        return 0;
      }
      b->current_key = key;
      set_result(perr, pstatus, RoutineSucceeded);
      return 1;
    }
    if (value.size() > MaxHistoryLineSize - 1) value.resize(MaxHistoryLineSize - 1);
    bool existed;
    HSymb &l = insert_sorted(b->lines, key, &existed);
    l.line = value;
    l.size = value.size() + 1;
  }
}

int write_history(const char *history_key_name, HeaderWriter write, const void *ctx, int *perr,
                  int *pstatus) {
  HBlock *b = find_block(history_key_name);
  if (!b) {
    set_result(perr, pstatus, RoutineSucceeded);
    if (pstatus) *pstatus = status_error;
    return 0;
  }
  if (!b->argv.empty() && !b->argv.front().line.empty() && !b->current_key.empty()) {
    HSymb &l = b->argv.front();
    if (l.shortlen < l.line.size()) l.line.resize(l.shortlen);
    int err = RoutineSucceeded, status = status_success;
    if (!write(b->current_key, l.line, &err, &status, ctx)) {
      set_result(perr, pstatus, err);
      if (pstatus) *pstatus = status_error;
      return 1;
    }
  }
  for (const HSymb &l : b->lines) {
    int err = RoutineSucceeded, status = status_success;
    if (!write(l.key, l.line, &err, &status, ctx)) {
      set_result(perr, pstatus, err);
      if (pstatus) *pstatus = status_error;
      return 1;
    }
  }
  set_result(perr, pstatus, RoutineSucceeded);
  return 1;
}

struct BlockAddress {
  int stream;
  rlong number, chain;
};

}  // namespace

int ryl_read_header_history(int stream, rlong DataNumber, rlong DataChain,
                            const char *history_key_name, int *pErrorValue, int *pstatus) {
  BlockAddress where{stream, DataNumber, DataChain};
  return read_history(
      history_key_name,
      [](const std::string &key, std::string *value, int *perr, int *pstatus, const void *ctx) {
        auto *a = static_cast<const BlockAddress *>(ctx);
        const char *s = nullptr;
        ryl_read_header_string(a->stream, a->number, a->chain, key.c_str(), &s, perr, pstatus);
        if (*perr == CouldNotFindSymbol || *perr == CouldNotFindHeader) {
          *pstatus = status_success;  // an absent key or block ends the lines
          return false;
        }
        if (*pstatus != status_success || !s) return false;
        *value = s;
        return true;
      },
      &where, pErrorValue, pstatus);
}

int ryl_write_header_history(int stream, rlong DataNumber, rlong DataChain,
                             const char *history_key_name, int *pErrorValue, int *pstatus) {
  BlockAddress where{stream, DataNumber, DataChain};
  return write_history(
      history_key_name,
      [](const std::string &key, const std::string &value, int *perr, int *pstatus,
         const void *ctx) {
        auto *a = static_cast<const BlockAddress *>(ctx);
        return ryl_write_header_string(a->stream, a->number, a->chain, key.c_str(),
                                       value.c_str(), perr, pstatus) == 1;
      },
      &where, pErrorValue, pstatus);
}

int ryl_history_read_header(const char *header_key, const char *history_key_name,
                            int *pErrorValue, int *pstatus) {
  return read_history(
      history_key_name,
      [](const std::string &key, std::string *value, int *perr, int *pstatus, const void *ctx) {
        const char *s = nullptr;
        int found = ryl_search_header_element(static_cast<const char *>(ctx), key.c_str(), &s,
                                              perr, pstatus);
        if (!found) return false;
        *value = s;
        return true;
      },
      header_key, pErrorValue, pstatus);
}

int ryl_history_write_header(const char *header_key, const char *history_key_name,
                             int *pErrorValue, int *pstatus) {
  return write_history(
      history_key_name,
      [](const std::string &key, const std::string &value, int *perr, int *pstatus,
         const void *ctx) {
        return ryl_add_header_element(static_cast<const char *>(ctx), key.c_str(), value.c_str(),
                                      perr, pstatus) == 1;
      },
      header_key, pErrorValue, pstatus);
}
