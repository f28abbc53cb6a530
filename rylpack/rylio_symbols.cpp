// rylio: the symbol list of a block header and the storing of long values
// over continuation keys.
#include "rylpack/rylio_header.h"
#include "rylpack/strlib.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace rylio {

SymbolList::~SymbolList() { clear(); }

SElement *SymbolList::link_before(SElement *pos, std::unique_ptr<SElement> e) {
  SElement *p = e.release();  // from here on the list owns the element
  p->List = this;
  p->Next = pos;
  p->Previous = pos ? pos->Previous : tail_;
  if (p->Previous) p->Previous->Next = p; else head_ = p;
  if (pos) pos->Previous = p; else tail_ = p;
  ++count_;
  touched();
  return p;
}

std::unique_ptr<SElement> SymbolList::unlink(SElement *e) {
  if (e->Previous) e->Previous->Next = e->Next; else head_ = e->Next;
  if (e->Next) e->Next->Previous = e->Previous; else tail_ = e->Previous;
  e->Previous = e->Next = nullptr;
  e->List = nullptr;
  --count_;
  touched();
  return std::unique_ptr<SElement>(e);
}

void SymbolList::clear() {
  // Iteratively, so that a long list cannot exhaust the stack.
  while (head_) unlink(head_);
}

namespace {

// Keys are kept to RylMaxKeyLen characters; a longer one is announced
// with `format` and cut.
std::string cut_key(const char *Key, const char *format) {
  std::size_t len = std::strlen(Key);
  if (len <= RylMaxKeyLen) return std::string(Key, len);
  std::fprintf(stderr, format, static_cast<unsigned long>(len), Key,
               static_cast<unsigned long>(RylMaxKeyLen));
  return std::string(Key, RylMaxKeyLen);
}

constexpr const char *kWarnInsert = "\nWARNING: The length %lu of %10s... exceeds %ld\n";
constexpr const char *kWarnList = "\nWARNING: The length %lu of %10s... exceeds %lu\n";
constexpr const char *kWarnSearch =
    "\nWARNING (search_symbol): The length %lu of %10s... exceeds %lu\n";

SElement *find_equal(const SymbolList *list, const KeyForm &f) {
  for (SElement *e = list->head(); e; e = e->Next)
    if (compare_key_forms(f, e->Form) == 0) return e;
  return nullptr;
}

std::unique_ptr<SElement> make_element(std::string key, const char *Value) {
  auto e = std::make_unique<SElement>();
  e->Form = key_form(key.c_str());
  e->Key = std::move(key);
  e->Value = Value;
  e->KeyLen = static_cast<rulong>(e->Key.size());
  e->ValLen = static_cast<rulong>(e->Value.size());
  return e;
}

// True for the continuation keys base~1, base~2, ... of a base key.
bool continues(const SElement *base, const SElement *e) {
  return base->Form.Depth == 0 && e->Form.Depth > 0 &&
         e->Form.Reserved == base->Form.Reserved && e->Form.Norm == base->Form.Norm;
}

// Rebuilds the decoded value of a base element from its own value and the
// values of the continuation keys that follow it without a gap.
void update_string(SElement *base) {
  std::size_t total = base->Value.size();
  rlong depth = 1;
  for (SElement *e = base->Next; e && continues(base, e) && e->Form.Depth == depth;
       e = e->Next, ++depth)
    total += e->Value.size();
  std::string out;
  out.reserve(total);
  std::vector<char> piece;
  auto append = [&](const std::string &value) {
    piece.resize(value.size() + 1);
    out += val2str(piece.data(), piece.size(), value.c_str());
  };
  append(base->Value);
  depth = 1;
  for (SElement *e = base->Next; e && continues(base, e) && e->Form.Depth == depth;
       e = e->Next, ++depth)
    append(e->Value);
  base->String = std::move(out);
}

}  // namespace

int insert_symbol(SymbolList *list, const char *Key, const char *Value,
                  SElement **symbol) {
  if (symbol) *symbol = nullptr;
  if (!list || !Key || !Value) return -1;
  try {
    std::string key = cut_key(Key, kWarnInsert);
    KeyForm f = key_form(key.c_str());
    SElement *pos = nullptr;
    for (SElement *e = list->head(); e; e = e->Next) {
      int c = compare_key_forms(f, e->Form);
      if (c == 0) {  // same key: new value, the first spelling stays
        e->Value = Value;
        e->ValLen = static_cast<rulong>(e->Value.size());
        e->String.clear();
        if (symbol) *symbol = e;
        return 0;
      }
      // Reserved keys put at the head may be out of order, so the scan
      // goes on to the end to find an equal key.
      if (c < 0 && !pos) pos = e;
    }
    SElement *e = list->link_before(pos, make_element(std::move(key), Value));
    if (symbol) *symbol = e;
    return 0;
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

int insert_symbol_root(SymbolList *list, const char *Key, const char *Value,
                       SElement **symbol) {
  if (symbol) *symbol = nullptr;
  if (!list || !Key || !Value) return -1;
  try {
    std::string key = cut_key(Key, kWarnList);
    if (remove_symbol(list, key.c_str(), nullptr)) return -1;
    SElement *e = list->link_before(list->head(), make_element(std::move(key), Value));
    if (symbol) *symbol = e;
    return 0;
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

int search_symbol(SymbolList *list, const char *Key, SElement **symbol) {
  if (symbol) *symbol = nullptr;
  if (!list || !Key) return -1;
  try {
    std::string key = cut_key(Key, kWarnSearch);
    SElement *e = find_equal(list, key_form(key.c_str()));
    if (!e) return -1;
    if (symbol) *symbol = e;
    return 0;
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

int delete_symbol(SymbolList *list, SElement *symbol, SElement **next) {
  if (next) *next = nullptr;
  if (!list || !symbol || symbol->List != list) return -1;
  if (next) *next = symbol->Next;
  list->unlink(symbol);  // the returned owner frees the element
  return 0;
}

int remove_symbol(SymbolList *list, const char *Key, SElement **next) {
  if (next) *next = nullptr;
  if (!list || !Key) return -1;
  try {
    std::string key = cut_key(Key, kWarnList);
    SElement *e = find_equal(list, key_form(key.c_str()));
    if (!e) return 0;
    return delete_symbol(list, e, next);
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

int free_symbol_list(SymbolList *list) {
  if (!list) return -1;
  list->clear();
  return 0;
}

namespace {

struct Piece {
  std::string key;
  std::string value;
};

// Encodes the next piece of `rest` for `key` so that, line continuations
// included, it holds at most RylPieceLen-1 characters. The piece budget
// given to str2val shrinks by what the line breaking added beyond that.
bool encode_piece(const char *key, const char *rest, rulong width,
                  std::string *value, const char **pnext) {
  const std::size_t keylen = std::strlen(key);
  rulong pos1 = 0;  // first line: no limit unless the key leaves room
  if (width > 0 && width >= 3 + keylen) {
    rulong w = width - 3 - static_cast<rulong>(keylen);
    pos1 = w < 2 ? 2 : w;
  }
  char piece[RylPieceLen];
  // Continuations add three characters to lines of at least one character,
  // so four times the piece always suffices.
  std::vector<char> broken(4 * RylPieceLen + 8);
  std::size_t budget = RylPieceLen;
  for (;;) {
    const char *enc = str2val(piece, budget, rest, pnext);
    breakval(broken.data(), broken.size(), enc, pos1, width);
    std::size_t len = std::strlen(broken.data());
    if (len <= RylPieceLen - 1) {
      value->assign(broken.data(), len);
      return true;
    }
    std::size_t over = len - (RylPieceLen - 1);
    if (budget < 6 + over) return false;
    budget -= over;
  }
}

}  // namespace

int insert_string(SymbolList *list, const char *BaseKey, const char *String,
                  rulong max_line_width, SElement **symbol) {
  if (symbol) *symbol = nullptr;
  if (!list || !BaseKey || !String) return -1;
  try {
    // Encode every piece first, so that a value that cannot be stored
    // completely leaves the list unchanged.
    std::vector<Piece> pieces;
    const char *rest = String;
    char key[RylMaxKeyLen + 1];
    rlong depth = 0;
    do {
      if (!continuation_key(key, sizeof key, BaseKey, depth)) return -1;
      Piece p;
      // The base key goes in as given, so that a key that is too long is
      // announced and cut by insert_symbol.
      p.key = depth == 0 ? std::string(BaseKey) : std::string(key);
      const char *next = rest;
      if (!encode_piece(key, rest, max_line_width, &p.value, &next)) return -1;
      if (next == rest && *rest) return -1;  // no progress
      rest = next;
      pieces.push_back(std::move(p));
      ++depth;
    } while (*rest);

    SElement *e = nullptr;
    SElement *base = nullptr;
    for (const Piece &p : pieces) {
      if (insert_symbol(list, p.key.c_str(), p.value.c_str(), &e)) return -1;
      if (!base) base = e;
    }
    base->String = String;
    // Continuation keys of an earlier, longer value.
    for (SElement *n = e->Next; n && continues(base, n);) {
      if (delete_symbol(list, n, &n)) return -1;
    }
    if (symbol) *symbol = e;
    return 0;
  } catch (const std::bad_alloc &) {
    return -1;
  }
}

int search_string(SymbolList *list, const char *BaseKey, SElement **symbol) {
  SElement *e = nullptr;
  if (symbol) *symbol = nullptr;
  if (search_symbol(list, BaseKey, &e)) return -1;
  try {
    update_string(e);
  } catch (const std::bad_alloc &) {
    return -1;
  }
  if (symbol) *symbol = e;
  return 0;
}

int remove_string(SymbolList *list, const char *Key) {
  SElement *e = nullptr;
  if (!list || !Key) return -1;
  if (search_symbol(list, Key, &e)) return 0;  // absent: nothing to remove
  SElement *n = e->Next;
  // Copy the form: the element goes first.
  SElement base_copy;
  base_copy.Form = e->Form;
  if (delete_symbol(list, e, &n)) return -1;
  while (n && continues(&base_copy, n))
    if (delete_symbol(list, n, &n)) return -1;
  return 0;
}

rulong netto_header_length(const SymbolList *list) {
  rulong n = 3;  // header_begin
  if (list)
    for (const SElement *e = list->head(); e; e = e->Next)
      n += e->KeyLen + 3 + e->ValLen + 4;
  return n + 4;  // header_end
}

}  // namespace rylio
