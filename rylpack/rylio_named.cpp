// Named header copies: headers held in memory under a name, filled from a
// block, changed by key, walked in key order and written into another block.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rylpack/rylio_internal.h"
#include "rylpack/rylio_keyorder.h"

namespace {

using rylio::set_result;

using rylio::compare_keys;

struct HElement {
  std::string Key;
  std::string Value;
  struct {
    unsigned short Read = 0;
  } Flags;
  HElement *Next = nullptr;  // walk order link, kept equal to the list order
  unsigned long StatMinValLen = 0;
  unsigned long StatMaxValLen = 0;
  unsigned long StatKeyUpdateCount = 0;
  unsigned long StatValueUpdateCount = 0;
};

struct HList {
  std::string Key;
  std::vector<std::unique_ptr<HElement>> Elements;  // ascending, mode 1
  short KeyOrderNo = 0;

  void relink() {
    for (std::size_t i = 0; i < Elements.size(); ++i)
      Elements[i]->Next = i + 1 < Elements.size() ? Elements[i + 1].get() : nullptr;
  }
  HElement *root() { return Elements.empty() ? nullptr : Elements.front().get(); }
};

// The named headers of the process, in descending key order.
std::vector<std::unique_ptr<HList>> &headers() {
  static std::vector<std::unique_ptr<HList>> list;
  return list;
}

int g_debug = 0;

HList *find_header(const char *key) {
  if (!key) return nullptr;
  for (auto &h : headers())
    if (compare_keys(h->Key.c_str(), key, 1) == 0) return h.get();
  return nullptr;
}

HList *get_header(const char *key) {
  if (HList *h = find_header(key)) return h;
  auto &list = headers();
  auto it = list.begin();
  while (it != list.end() && compare_keys((*it)->Key.c_str(), key, 1) > 0) ++it;
  auto h = std::make_unique<HList>();
  h->Key = key;
  return list.insert(it, std::move(h))->get();
}

HElement *find_element(HList *h, const char *key) {
  for (auto &e : h->Elements)
    if (compare_keys(e->Key.c_str(), key, 1) == 0) return e.get();
  return nullptr;
}

bool insert_header_element(HList *h, const char *Key, const char *Value) {
  if (!Key || !Value) return false;
  const unsigned long len = std::strlen(Value);
  HElement *e = find_element(h, Key);
  bool fresh = false;
  if (!e) {
    auto it = h->Elements.begin();
    while (it != h->Elements.end() && compare_keys((*it)->Key.c_str(), Key, 1) < 0) ++it;
    auto n = std::make_unique<HElement>();
    n->Key = Key;
    n->StatMinValLen = n->StatMaxValLen = len;
    e = h->Elements.insert(it, std::move(n))->get();
    h->relink();
    fresh = true;
  }
  if (len < e->StatMinValLen) e->StatMinValLen = len;
  if (len > e->StatMaxValLen) e->StatMaxValLen = len;
  ++e->StatKeyUpdateCount;
  if (fresh ? len > 0 : e->Value != Value) ++e->StatValueUpdateCount;
  e->Value = Value;
  return true;
}

// Adds the symbols of a symbol list except the reserved keys.
bool add_symbols(HList *h, rylio::SymbolList *list) {
  for (rylio::SElement *s = list->head(); s; s = s->Next) {
    if (std::strncmp(s->Key.c_str(), rylio::DATA_FORMAT_PREFIX,
                     std::strlen(rylio::DATA_FORMAT_PREFIX)) == 0)
      continue;
    if (rylio::continuation_depth(s->Key.c_str()) != 0) continue;  // joined into its base key
    rylio::SElement *full = nullptr;
    if (rylio::search_string(list, s->Key.c_str(), &full) != 0 || !full) return false;
    if (!insert_header_element(h, s->Key.c_str(), full->String.c_str())) return false;
  }
  return true;
}

const char *const kStatKeys[] = {"Invalid", "MinValLen", "MaxValLen", "KeyUpdateCount",
                                 "ValueUpdateCount"};

}  // namespace

int ryl_new_header(const char *header_key) {
  if (!header_key) return 0;
  HList *h = get_header(header_key);
  h->Elements.clear();
  h->KeyOrderNo = 0;
  return 1;
}

int ryl_free_header(const char *header_key) {
  auto &list = headers();
  if (!header_key) {
    list.clear();
    return 1;
  }
  for (auto it = list.begin(); it != list.end(); ++it)
    if (compare_keys((*it)->Key.c_str(), header_key, 1) == 0) {
      list.erase(it);
      return 1;
    }
  return 0;
}

int ryl_read_header(int stream, rlong DataNumber, rlong DataChain, const char *header_key,
                    int *pErrorValue, int *pstatus) {
  if (!header_key) {
    set_result(pErrorValue, pstatus, CouldNotCreateHeader);
    return 0;
  }
  int err = RoutineSucceeded;
  bool absent = false;
  DBlock *b = rylio::open_read_block(stream, DataNumber, DataChain, &absent, &err);
  if (!b) {
    set_result(pErrorValue, pstatus, err);
    return absent ? 0 : 1;
  }
  HList *h = get_header(header_key);
  DFile *file = b->Chain->File;
  if (file->GeneralBlock && file->GeneralBlock != b && !add_symbols(h, &file->GeneralBlock->Symbols)) {
    h->Elements.clear();
    set_result(pErrorValue, pstatus, CouldNotReadGeneralHeader);
    return 1;
  }
  if (!add_symbols(h, &b->Symbols)) {
    h->Elements.clear();
    set_result(pErrorValue, pstatus, CouldNotReadHeader);
    return 1;
  }
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

int ryl_write_header(int stream, rlong DataNumber, rlong DataChain, const char *header_key,
                     int *pErrorValue, int *pstatus) {
  HList *h = find_header(header_key);
  if (!h) {
    set_result(pErrorValue, pstatus, CouldNotFindHeaderKey);
    return 0;
  }
  int err = RoutineSucceeded;
  DBlock *b = rylio::open_write_block(stream, DataNumber, DataChain, &err);
  if (!b) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  for (auto &e : h->Elements) {
    rylio::SElement *s = nullptr;
    if (rylio::insert_string(&b->Symbols, e->Key.c_str(), e->Value.c_str(),
                             rylio::settings().max_line_width, &s) != 0) {
      set_result(pErrorValue, pstatus, CouldNotInsertSymbol);
      return 0;
    }
  }
  b->Flags.HeaderChanged = 1;
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

namespace {
int walk(const char *header_key, const char **pkey, const char **pvalue, bool first,
         int *pErrorValue, int *pstatus) {
  HList *h = find_header(header_key);
  if (!h) {
    set_result(pErrorValue, pstatus, CouldNotFindHeaderKey);
    return 0;
  }
  HElement *e = first ? rylio::keyorder_first_header_element(h->root(), &h->KeyOrderNo)
                      : rylio::keyorder_next_header_element(h->root(), &h->KeyOrderNo);
  if (pkey) *pkey = e ? e->Key.c_str() : nullptr;
  if (pvalue) *pvalue = e ? e->Value.c_str() : nullptr;
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}
}  // namespace

int ryl_first_header_element(const char *header_key, const char **pkey, const char **pvalue,
                             int *pErrorValue, int *pstatus) {
  return walk(header_key, pkey, pvalue, true, pErrorValue, pstatus);
}

int ryl_next_header_element(const char *header_key, const char **pkey, const char **pvalue,
                            int *pErrorValue, int *pstatus) {
  return walk(header_key, pkey, pvalue, false, pErrorValue, pstatus);
}

int ryl_search_header_element(const char *header_key, const char *key, const char **pvalue,
                              int *pErrorValue, int *pstatus) {
  HList *h = find_header(header_key);
  if (!h) {
    set_result(pErrorValue, pstatus, CouldNotFindHeaderKey);
    return 0;
  }
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  HElement *e = key ? find_element(h, key) : nullptr;
  if (!e) return 0;
  if (pvalue) *pvalue = e->Value.c_str();
  return 1;
}

int ryl_add_header_element(const char *header_key, const char *key, const char *value,
                           int *pErrorValue, int *pstatus) {
  HList *h = find_header(header_key);
  if (!h) {
    set_result(pErrorValue, pstatus, CouldNotFindHeaderKey);
    return 0;
  }
  if (!insert_header_element(h, key, value)) {
    set_result(pErrorValue, pstatus, CouldNotInsertElement);
    return 0;
  }
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

int ryl_delete_header_element(const char *header_key, const char *key, int *pErrorValue,
                              int *pstatus) {
  HList *h = find_header(header_key);
  if (!h) {
    set_result(pErrorValue, pstatus, CouldNotFindHeaderKey);
    return 0;
  }
  for (auto it = h->Elements.begin(); key && it != h->Elements.end(); ++it)
    if (compare_keys((*it)->Key.c_str(), key, 1) == 0) {
      h->Elements.erase(it);
      h->relink();
      break;
    }
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

unsigned long ryl_stat_header_element(const char *header_key, const char *key,
                                      const char *statkey, int *pErrorValue, int *pstatus) {
  HList *h = find_header(header_key);
  if (!h) {
    set_result(pErrorValue, pstatus, CouldNotFindHeaderKey);
    return 0;
  }
  int which = 0;
  for (int i = 1; i <= 4 && statkey; ++i)
    if (compare_keys(statkey, kStatKeys[i], 1) == 0) which = i;
  if (!which) {
    set_result(pErrorValue, pstatus, CouldNotFindStatParamKey);
    return 0;
  }
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  HElement *e = key ? find_element(h, key) : nullptr;
  if (!e) return 0;
  switch (which) {
    case 1: return e->StatMinValLen;
    case 2: return e->StatMaxValLen;
    case 3: return e->StatKeyUpdateCount;
    default: return e->StatValueUpdateCount;
  }
}

void ryl_print_header(FILE *out, const char *header_key, int level, int verbose) {
  (void)level;
  (void)verbose;
  if (!out) out = stdout;
  for (auto &h : headers()) {
    if (header_key && compare_keys(h->Key.c_str(), header_key, 1) != 0) continue;
    std::fprintf(out, "Header \"%s\"\n", h->Key.c_str());
    for (auto &e : h->Elements) std::fprintf(out, "   '%s' = '%s'\n", e->Key.c_str(), e->Value.c_str());
  }
}

void ryl_print_header_stat(FILE *out, const char *header_key, int level, int verbose) {
  (void)level;
  if (!out) out = stdout;
  for (auto &h : headers()) {
    if (header_key && compare_keys(h->Key.c_str(), header_key, 1) != 0) continue;
    std::fprintf(out, "Header \"%s\"\n", h->Key.c_str());
    for (auto &e : h->Elements) {
      if (verbose) {
        std::fprintf(out, "   '%s' = '%s' (length %lu..%lu, key set %lu, value changed %lu)\n",
                     e->Key.c_str(), e->Value.c_str(), e->StatMinValLen, e->StatMaxValLen,
                     e->StatKeyUpdateCount, e->StatValueUpdateCount);
      } else if (e->StatValueUpdateCount <= 1) {
        std::fprintf(out, "   '%s' = '%s'\n", e->Key.c_str(), e->Value.c_str());
      } else {
        std::fprintf(out, "   '%s' = <value> (<=%lu characters)\n", e->Key.c_str(),
                     e->StatMaxValLen);
      }
    }
  }
}

void header_debug(int debug) { g_debug = debug; }
