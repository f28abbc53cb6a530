// rylio internal: the order in which header keys are written.
//
// Headers are kept sorted alphabetically in memory but written in a fixed,
// readable order: reserved keys, then the keys describing the array, title,
// time, intensities, geometry, instrument and facility groups, history
// lines and last everything else. The order is a table of patterns; '*'
// matches any run of characters, and keys and patterns are compared on
// their upper-case printable characters.
#pragma once

#include "rylpack/rylio.h"
#include "rylpack/rylio_header.h"

#include <cstddef>
#include <string>
#include <vector>

namespace rylio {

// Of the first 64 characters of text the printable characters other than
// blank, upper-cased, cut to buflen-1. Returns buffer.
char *keyorder_strcolup(char *buffer, std::size_t buflen, const char *text);

// 0 when key matches the wildcard pattern (both normalised as above).
int keyorder_wildcmp(const char *key, const char *pattern);

// The symbols of a block in writing order: the reserved keys at the head
// of the list, then the symbols matching each pattern of the table in
// turn, then the rest, each group in list order. Fills *order (no null
// entry at its end) and returns 0; -1 when memory runs out. Uses the
// list's key-order cursor and the symbols' Read flags.
int keyorder_ordersymbols(SymbolList *list, std::vector<SElement *> *order);

// Number of patterns in the table in use, and the normalised pattern i.
std::size_t keyorder_table_size();
const std::string &keyorder_table_pattern(std::size_t i);

// Walking a list of header elements in key order, one element per call
// (the named header copies use this). Element must have `Key` (a
// std::string), `Next` and `Flags.Read`. The first call clears the Read
// flags and the pattern index; each call returns the next element, or null
// when all were returned.
template <class Element>
Element *keyorder_next_header_element(Element *root, short *pKeyOrderNo) {
  std::string key;
  const std::size_t n = keyorder_table_size();
  while (*pKeyOrderNo >= 0 && static_cast<std::size_t>(*pKeyOrderNo) < n) {
    const std::string &pattern = keyorder_table_pattern(*pKeyOrderNo);
    for (Element *e = root; e; e = e->Next) {
      if (e->Flags.Read) continue;
      if (keyorder_wildcmp(e->Key.c_str(), pattern.c_str()) == 0) {
        e->Flags.Read = 1;
        return e;
      }
    }
    ++*pKeyOrderNo;
  }
  for (Element *e = root; e; e = e->Next) {
    if (!e->Flags.Read) {
      e->Flags.Read = 1;
      return e;
    }
  }
  return nullptr;
}

template <class Element>
Element *keyorder_first_header_element(Element *root, short *pKeyOrderNo) {
  for (Element *e = root; e; e = e->Next) e->Flags.Read = 0;
  *pKeyOrderNo = 0;
  return keyorder_next_header_element(root, pKeyOrderNo);
}

}  // namespace rylio
