// rylio: the header key order table and the ordering of symbols for
// writing. The table in use is the one piece of process-wide state of this
// file.
#include "rylpack/rylio_keyorder.h"

#include <cctype>
#include <cstring>
#include <new>

namespace rylio {

namespace {

const char *const keyorder_DefaultTable[] = {
    "ByteOrder",         "DataType",       "DataRasterConfiguration",
    "Dim_*",             "Title",          "Time",
    "Intensity*",        "ExposureTime",   "Dummy",
    "DDummy",            "Offset_*",       "Center_*",
    "BSize_*",           "PSize_*",        "Sample*",
    "WaveLength",        "DetectorRotation_*", "Projection*",
    "Raster*",           "AxisType_*",     "BeamCenter_*",
    "BeamDistance",      "DetectorTilt_*", "Norm*",
    "Attenuator*",       "Detector*",      "Experiment*",
    "Gestion*",          "Machine*",       "Monitor*",
    "Msensi*",           "Optics*",        "Proposal*",
    "Psic*",             "Session*",       "Pslit*",
    "Slit*",             "Station*",       "History-*",
    "HS32*",             "H*",             nullptr,
};

struct Table {
  std::vector<std::string> raw;   // as given, for printing
  std::vector<std::string> norm;  // normalised, for matching
};

std::string normalised(const char *text) {
  char buf[RylMaxKeyLen + 1];
  return keyorder_strcolup(buf, sizeof buf, text);
}

Table make_table(const char *const *patterns) {
  Table t;
  for (const char *const *p = patterns; *p; ++p) {
    t.raw.emplace_back(*p);
    t.norm.push_back(normalised(*p));
  }
  return t;
}

Table &table_in_use() {
  static Table table = make_table(keyorder_DefaultTable);
  return table;
}

// The walk over two normalised texts: a '*' skips to the first occurrence
// of the character after it (a trailing '*' to the end of the key).
int wild_match(const char *k, const char *p) {
  int differ = 0;
  for (;;) {
    if (*p == '*') {
      while (*p == '*') ++p;
      if (*k != *p)
        while (*k && *k != *p) ++k;
    }
    if (*p) {
      if (*k != *p) differ = 1;
    } else if (*k) {
      differ = 1;
    }
    if (!*k || !*p) break;
    ++k;
    ++p;
  }
  return differ;
}

}  // namespace

char *keyorder_strcolup(char *buffer, std::size_t buflen, const char *text) {
  if (!buffer || buflen == 0) return buffer;
  std::size_t n = 0;
  if (text)
    for (std::size_t i = 0; i < RylMaxKeyLen && text[i] && n + 1 < buflen; ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      if (c >= 33 && c <= 126) buffer[n++] = static_cast<char>(std::toupper(c));
    }
  buffer[n] = '\0';
  return buffer;
}

int keyorder_wildcmp(const char *key, const char *pattern) {
  char k[RylMaxKeyLen + 1], p[RylMaxKeyLen + 1];
  keyorder_strcolup(k, sizeof k, key);
  keyorder_strcolup(p, sizeof p, pattern);
  return wild_match(k, p);
}

std::size_t keyorder_table_size() { return table_in_use().norm.size(); }

const std::string &keyorder_table_pattern(std::size_t i) { return table_in_use().norm.at(i); }

int keyorder_ordersymbols(SymbolList *list, std::vector<SElement *> *order) {
  if (!list || !order) return -1;
  try {
    order->clear();
    std::vector<SElement *> all;
    std::vector<std::string> keys;  // normalised once, matched many times
    all.reserve(list->size());
    keys.reserve(list->size());
    for (SElement *e = list->head(); e; e = e->Next) {
      e->Flags.Read = 0;
      all.push_back(e);
      keys.push_back(normalised(e->Key.c_str()));
    }
    order->reserve(all.size());
    list->KeyOrderNo = 0;
    list->KeyOrderNextSymbol = list->head();
    auto take = [&](std::size_t i) {
      all[i]->Flags.Read = 1;
      order->push_back(all[i]);
    };
    // Reserved keys, exact case, as they stand at the head of the list.
    std::size_t i = 0;
    for (; i < all.size() && std::strncmp(all[i]->Key.c_str(), DATA_FORMAT_PREFIX, 4) == 0; ++i)
      take(i);
    list->KeyOrderNextSymbol = i < all.size() ? all[i] : nullptr;
    const Table &t = table_in_use();
    for (std::size_t p = 0; p < t.norm.size(); ++p) {
      list->KeyOrderNo = static_cast<rlong>(p);
      for (std::size_t j = i; j < all.size(); ++j)
        if (!all[j]->Flags.Read && wild_match(keys[j].c_str(), t.norm[p].c_str()) == 0) take(j);
    }
    list->KeyOrderNo = static_cast<rlong>(t.norm.size());
    for (std::size_t j = i; j < all.size(); ++j)
      if (!all[j]->Flags.Read) take(j);
    list->KeyOrderNextSymbol = nullptr;
    return 0;
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

}  // namespace rylio

int ryl_keyorder_set_table(const char *const *table) {
  try {
    // A null table means the default: callers that never set one and
    // callers that want it back use the same call.
    rylio::Table t = rylio::make_table(table ? table : rylio::keyorder_DefaultTable);
    rylio::table_in_use() = std::move(t);
    return 0;
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

void ryl_keyorder_print_table(FILE *out) {
  if (!out) out = stdout;
  const rylio::Table &t = rylio::table_in_use();
  for (std::size_t i = 0; i < t.raw.size(); ++i)
    std::fprintf(out, "keyorder_DefaultTable[%u] = %s\n", static_cast<unsigned>(i),
                 t.raw[i].c_str());
}
