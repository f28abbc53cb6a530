// File layout: chains and blocks of an open file, locating the blocks of an
// existing file, and sizing, placing and writing blocks.
#include <unistd.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "rylpack/cmpr.h"
#include "rylpack/filename.h"
#include "rylpack/strlib.h"
#include "rylpack/numio.h"
#include "rylpack/rylio_binary.h"
#include "rylpack/rylio_errors.h"
#include "rylpack/rylio_internal.h"
#include "rylpack/rylio_keyorder.h"

namespace rylio {

namespace {

std::string format_u64(std::uint64_t v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%" PRIu64, v);
  return buf;
}

bool seek(FILE *f, std::int64_t pos) { return fseeko(f, static_cast<off_t>(pos), SEEK_SET) == 0; }
std::int64_t tell(FILE *f) { return static_cast<std::int64_t>(ftello(f)); }

// Case-insensitive test whether s ends with suffix.
bool ends_with_nocase(const std::string &s, const char *suffix) {
  std::size_t n = std::strlen(suffix);
  return s.size() >= n && strlib_ncasecmp(s.c_str() + s.size() - n, suffix, n) == 0;
}

// The compatibility key of a chain: its key without a final ".Psd".
std::string compat_key(const std::string &chainkey) {
  if (ends_with_nocase(chainkey, ".Psd")) return chainkey.substr(0, chainkey.size() - 4);
  return chainkey;
}

// An integer expression value of a key in a symbol list (block only).
bool list_long(SymbolList *list, const char *key, rlong *value) {
  SElement *e = nullptr;
  if (search_string(list, key, &e) != 0 || !e) return false;
  const char *tail = nullptr;
  int errval = 0;
  rlong v = num_str2long(e->String.c_str(), &tail, &errval);
  if (errval) return false;
  *value = v;
  return true;
}

const char *list_string(SymbolList *list, const char *key) {
  SElement *e = nullptr;
  if (search_string(list, key, &e) != 0 || !e) return nullptr;
  return e->String.c_str();
}

void set_symbol(SymbolList *list, const char *key, const std::string &value) {
  SElement *e = nullptr;
  insert_string(list, key, value.c_str(), 0, &e);
}

void set_symbol_root(SymbolList *list, const char *key, const std::string &value) {
  SElement *e = nullptr;
  insert_symbol_root(list, key, value.c_str(), &e);
}

// The directory of a header file, with '/', for names relative to it.
std::string header_directory(const std::string &name) {
  if (name.find('/') == std::string::npos) {
    char cwd[4096];
    if (getcwd(cwd, sizeof cwd)) return std::string(cwd) + "/";
    return "./";
  }
  return name.substr(0, name.rfind('/') + 1);
}

// Applies the keys that name a separate binary file to a block.
bool apply_binary_file(DFile *file, DBlock *b, SymbolList *list, std::int64_t pos) {
  const char *bname = list_string(list, KEY_BinaryFileName);
  if (!bname) return true;
  rlong fpos = 0;
  if (!list_long(list, KEY_BinaryFilePosition, &fpos)) {
    std::fprintf(stderr, "ERROR: The key \"%s\" requires the key \"%s\"\n", KEY_BinaryFileName,
                 KEY_BinaryFilePosition);
    print_file_warning(file, pos, "Missing binary file position");
    return false;
  }
  rlong fsize = 0;
  list_long(list, KEY_BinaryFileSize, &fsize);
  b->BinaryFileName = header_directory(file->Name) + bname;
  b->BinaryFilePos = fpos;
  b->BinaryFileLen = fsize > 0 ? static_cast<std::uint64_t>(fsize) : 0;
  return true;
}

// Finds the end of the header that starts at start and leaves the stream
// right after it. Returns the end position or -1. A header that states its
// size (hint, 0 when unknown) is checked there first, so that opening a file
// of many blocks costs one look per block.
std::int64_t search_header_end(DFile *file, std::int64_t start, std::uint64_t hint = 0) {
  FILE *f = file->Channel;
  const std::uint64_t b = file->BlockBoundary;
  if (b >= 4 && hint >= 4 && hint % b == 0) {
    char m[4];
    std::int64_t pos = start + static_cast<std::int64_t>(hint) - 4;
    if (seek(f, pos) && std::fread(m, 1, 4, f) == 4 && std::memcmp(m, header_end, 4) == 0)
      return pos + 4;
  }
  if (b >= 4) {
    for (std::uint64_t k = 1;; ++k) {
      std::int64_t pos = start + static_cast<std::int64_t>(k * b) - 4;
      if (!seek(f, pos)) break;
      char m[4];
      if (std::fread(m, 1, 4, f) != 4) break;
      if (std::memcmp(m, header_end, 4) == 0) return pos + 4;
    }
  }
  // Boundary 1, or no marker at a boundary: the first '}' followed by LF or
  // CR LF ends the header.
  if (!seek(f, start)) {
    std::perror("search_header_end->fseek");
    return -1;
  }
  int c;
  while ((c = std::fgetc(f)) != EOF) {
    if (c != EndHeader) continue;
    int d = std::fgetc(f);
    if (d == '\n') return tell(f);
    if (d == '\r') {
      int e = std::fgetc(f);
      if (e == '\n') return tell(f);
      if (e != EOF) std::ungetc(e, f);
    } else if (d != EOF) {
      std::ungetc(d, f);
    }
  }
  return -1;
}

// Binary length of a located block: the reserved size, the compatibility
// size, the array size, or 0.
std::uint64_t located_binary_length(SymbolList *list) {
  rlong v = 0;
  if (list_long(list, KEY_BinarySize, &v) && v >= 0) return static_cast<std::uint64_t>(v);
  if (list_long(list, KEY_Size, &v) && v >= 0) return static_cast<std::uint64_t>(v);
  rlong d = 0;
  std::uint64_t n = 0;
  for (int k = 1;; ++k) {
    char key[32];
    std::snprintf(key, sizeof key, "Dim_%d", k);
    if (!list_long(list, key, &d)) break;
    n = (k == 1 ? 1 : n) * static_cast<std::uint64_t>(d > 0 ? d : 0);
  }
  if (n == 0) return 0;
  const char *type = list_string(list, "DataType");
  int dtype = type ? ryl_string2datatype(type) : ryl_string2datatype("FloatValue");
  return n * ryl_data_sizeof(dtype);
}

}  // namespace

std::uint64_t ceilmod(std::uint64_t n, std::uint64_t b) {
  if (b <= 1) return n;
  return (n + b - 1) / b * b;
}

// ---- chains and blocks ---------------------------------------------------------

std::string default_chainkey(rlong num) {
  if (num == 0) return GENERAL_CHAIN_KEY;
  if (num == 1) return IMAGE_CHAIN_KEY;
  if (num == -1) return ERROR_CHAIN_KEY;
  const char *base = num > 0 ? IMAGE_CHAIN_KEY : ERROR_CHAIN_KEY;
  rulong n = num > 0 ? static_cast<rulong>(num) : 0u - static_cast<rulong>(num);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s.%u", base, n);
  return buf;
}

int chainkey2num(const char *key, rlong *pnum) {
  if (!key) return -1;
  struct Base { const char *key; rlong sign; } bases[] = {
      {IMAGE_CHAIN_KEY, 1}, {ERROR_CHAIN_KEY, -1}};
  if (compare_keys(key, GENERAL_CHAIN_KEY, 1) == 0) {
    *pnum = 0;
    return 0;
  }
  for (const Base &b : bases) {
    std::size_t n = std::strlen(b.key);
    if (strlib_ncasecmp(key, b.key, n) != 0) continue;
    if (key[n] == '\0') {
      *pnum = b.sign;
      return 0;
    }
    if (key[n] != '.') continue;
    const char *tail = nullptr;
    int errval = 0;
    rlong v = num_str2long(key + n + 1, &tail, &errval);
    if (errval || (tail && *tail)) return -1;
    *pnum = b.sign * v;
    return 0;
  }
  return -1;
}

std::string find_chainkey(DFile *file, rlong num) {
  if (file && file->GeneralBlock) {
    char key[64];
    std::snprintf(key, sizeof key, "%s%u", KEY_DataKeyPrefix, static_cast<rulong>(num));
    if (const char *v = list_string(&file->GeneralBlock->Symbols, key)) return v;
  }
  return default_chainkey(num);
}

DChain *find_chain(DFile *file, const std::string &key, bool create) {
  auto &chains = file->Chains;
  auto it = chains.begin();
  for (; it != chains.end(); ++it) {
    int c = compare_keys((*it)->ChainKey.c_str(), key.c_str(), 1);
    if (c == 0) return it->get();
    if (c > 0) break;
  }
  if (!create) return nullptr;
  auto chain = std::make_unique<DChain>();
  chain->ChainKey = key.substr(0, RylMaxKeyLen);
  chain->File = file;
  return chains.insert(it, std::move(chain))->get();
}

DBlock *find_block(DChain *chain, const std::string &key, bool create) {
  auto &blocks = chain->Blocks;
  // Blocks are mostly added in increasing order: look from the end.
  auto it = blocks.end();
  while (it != blocks.begin()) {
    auto prev = std::prev(it);
    int c = compare_keys((*prev)->BlockKey.c_str(), key.c_str(), 2);
    if (c == 0) return prev->get();
    if (c < 0) break;
    it = prev;
  }
  if (!create) return nullptr;
  auto block = std::make_unique<DBlock>();
  block->BlockKey = key;
  block->Chain = chain;
  block->Symbols.Block = block.get();
  chain->BlockNumbers.clear();
  chain->File->ChainNumbers.clear();
  return blocks.insert(it, std::move(block))->get();
}

DBlock *new_general_block(DFile *file) {
  DChain *chain = find_chain(file, GENERAL_CHAIN_KEY, true);
  chain->Blocks.clear();
  DBlock *g = find_block(chain, GENERAL_BLOCK_KEY, true);
  char key[64];
  std::snprintf(key, sizeof key, "%s%u", KEY_DataKeyPrefix, 1u);
  set_symbol(&g->Symbols, key, IMAGE_CHAIN_KEY);
  g->Flags.DataExternal = 0;
  file->GeneralBlock = g;
  return g;
}

SElement *search_general(DBlock *block, const char *key) {
  SElement *e = nullptr;
  if (block && search_string(&block->Symbols, key, &e) == 0 && e) return e;
  DFile *file = block && block->Chain ? block->Chain->File : nullptr;
  if (file && file->GeneralBlock && file->GeneralBlock != block &&
      search_string(&file->GeneralBlock->Symbols, key, &e) == 0 && e)
    return e;
  return nullptr;
}

const char *general_string(DBlock *block, const char *key) {
  SElement *e = search_general(block, key);
  return e ? e->String.c_str() : nullptr;
}

std::string block_id(const DBlock *block) {
  if (!block) return "";
  return block->BlockKey + "." + (block->Chain ? block->Chain->ChainKey : std::string());
}

// ---- messages -------------------------------------------------------------------

namespace {
void print_file_message(DFile *file, std::int64_t pos, const char *kind, const char *message) {
  std::fprintf(stderr, "\n   %s FILE %s\n", "RYL", kind);
  std::fprintf(stderr, "   %s\n", message);
  std::fprintf(stderr, "   File name    : %s\n", file ? file->Name.c_str() : "");
  std::fprintf(stderr, "   File position: %" PRIu64 " (%#" PRIx64 ")\n",
               static_cast<std::uint64_t>(pos), static_cast<std::uint64_t>(pos));
  if (file && file->LastBlockInFile)
    std::fprintf(stderr, "   Last block ID: %s\n", block_id(file->LastBlockInFile).c_str());
  else
    std::fprintf(stderr, "   Last block ID: (no block read)\n");
  std::fprintf(stderr, "\n");
}
}  // namespace

void print_file_error(DFile *file, std::int64_t pos, const char *message) {
  print_file_message(file, pos, "ERROR", message);
}

void print_file_warning(DFile *file, std::int64_t pos, const char *message) {
  print_file_message(file, pos, "WARNING", message);
}

// ---- opening an existing file ------------------------------------------------------

int read_general_block(DFile *file) {
  FILE *f = file->Channel;
  if (!seek(f, 0)) {
    std::perror("read_general_block->fseek");
    return -1;
  }
  DBlock *g = file->GeneralBlock;
  const std::int64_t start = 0;
  int found = check_start(f);
  auto no_general_header = [&](bool v2) {
    file->Flags.NoGeneralHeader = 1;
    file->Version.Major = v2 ? 2 : 1;
    file->Version.Minor = 0;
    if (!v2) file->BlockBoundary = 1;
    g = new_general_block(file);
    g->Flags.InternalHeader = 1;
    seek(f, 0);
    return 0;
  };
  if (found == -1) return no_general_header(true);  // an empty file
  if (found != 0) {
    char msg[64];
    std::snprintf(msg, sizeof msg, "This file is not a %s file", "RYL");
    print_file_error(file, start, msg);
    return -1;
  }
  free_symbol_list(&g->Symbols);
  if (get_symbol_list(&g->Symbols, f, 1) != 0) {
    print_file_error(file, start, "Error reading header values");
    return -1;
  }
  if (!list_string(&g->Symbols, KEY_DataFormatVersion))
    return no_general_header(list_string(&g->Symbols, KEY_DataBlockID) != nullptr);

  rlong v = 0;
  if (list_long(&g->Symbols, KEY_BlockBoundary, &v) && v > 0)
    file->BlockBoundary = static_cast<std::uint64_t>(v);
  std::uint64_t binlen = 0;
  if (list_long(&g->Symbols, KEY_BinarySize, &v) && v > 0) binlen = static_cast<std::uint64_t>(v);
  if (!apply_binary_file(file, g, &g->Symbols, start)) return -1;

  std::int64_t end = search_header_end(file, start);
  if (end < 0) {
    print_file_error(file, start, "Header end marker not found");
    return -1;
  }
  g->TextPos = start;
  g->TextLen = static_cast<std::uint64_t>(end - start);
  g->BinaryPos = end;
  g->BinaryLen = binlen;
  if (g->BinaryFileName.empty()) {
    g->BinaryFilePos = g->BinaryPos;
    g->BinaryFileLen = g->BinaryLen;
  }
  g->Flags.DiskBlockUsed = 1;
  g->Flags.DiskBlockFixed = 1;
  g->Flags.HeaderExternal = 0;
  // With the general block setting off the values are used but the block is
  // never rewritten.
  if (file->Flags.NoGeneralHeader) g->Flags.InternalHeader = 1;
  file->LastBlockInFile = g;
  if (!seek(f, g->BinaryPos + static_cast<std::int64_t>(binlen))) return -1;
  return 0;
}

int locate_block(DFile *file) {
  FILE *f = file->Channel;
  const std::int64_t start = tell(f);
  int found = check_start(f);
  if (found == -1) return 1;
  if (found != 0) {
    print_file_warning(file, start, "Expecting EOF or header start");
    return 2;
  }
  const bool v1 = file->Version.Major < 2;
  SymbolList scratch;
  if (get_symbol_list(&scratch, f, v1 ? 1 : 0) != 0) {
    print_file_warning(file, start,
                       v1 ? "Error reading header values V1.xx" : "Error reading header values");
    return 2;
  }
  // A block without its reserved size (written by another program) needs
  // the rest of its header to find its binary length from "Size" or its
  // dimensions; without it the data could never be read.
  if (!v1 && !list_string(&scratch, KEY_BinarySize) && get_symbol_list(&scratch, f, 1) != 0) {
    print_file_warning(file, start, "Error reading header values");
    return 2;
  }

  // The block identifier, by the first rule that applies.
  std::string blockkey, chainkey, mode;
  const char *v = nullptr;
  if (compare_keys(file->SequencingMode.c_str(), SEQUENCE_NUMBER, 1) == 0 &&
      !file->SequencingMode.empty()) {
    blockkey = format_u64(file->NextSequenceNumber);
    chainkey = IMAGE_CHAIN_KEY;
    mode = SEQUENCE_NUMBER;
  } else if ((v = list_string(&scratch, KEY_DataBlockID))) {
    std::string id = v;
    std::size_t dot = id.find('.');
    blockkey = id.substr(0, dot);
    chainkey = dot == std::string::npos ? "" : id.substr(dot + 1);
    mode = KEY_DataBlockID;
  } else if ((v = list_string(&scratch, KEY_Image))) {
    blockkey = v;
    chainkey = IMAGE_CHAIN_KEY;
    mode = KEY_Image;
  } else if ((v = list_string(&scratch, KEY_ImageError))) {
    blockkey = v;
    chainkey = ERROR_CHAIN_KEY;
    mode = KEY_ImageError;
  } else if ((v = list_string(&scratch, KEY_HeaderID))) {
    const char *colon = std::strchr(v, ':');
    const char *tail = nullptr;
    int errval = 0;
    rlong n = num_str2long(colon ? colon + 1 : "", &tail, &errval);
    blockkey = std::to_string(n);
    chainkey = IMAGE_CHAIN_KEY;
    mode = KEY_HeaderID;
  } else {
    std::fprintf(stderr, "WARNING: Missing block id\n");
    return -3;
  }
  file->SequencingMode = mode;

  DChain *chain = find_chain(file, chainkey, false);
  if (chain && find_block(chain, blockkey, false)) {
    if (mode == SEQUENCE_NUMBER) {
      std::fprintf(stderr, "ERROR: Duplicated %s (%s), file is corrupted.\n", KEY_DataBlockID,
                   blockkey.c_str());
      return -1;
    }
    if (mode == KEY_DataBlockID || mode == KEY_Image)
      std::fprintf(stderr, "WARNING: Duplicated %s (%s) found\n", mode.c_str(), blockkey.c_str());
    else
      std::fprintf(stderr, "WARNING: Duplicated %s (%s)\n", mode.c_str(), blockkey.c_str());
    return -2;
  }

  std::uint64_t binlen = located_binary_length(&scratch);
  DBlock probe;
  if (!apply_binary_file(file, &probe, &scratch, start)) return 2;

  rlong stated = 0;
  list_long(&scratch, KEY_HeaderSize, &stated);
  std::int64_t end = search_header_end(file, start, stated > 0 ? static_cast<std::uint64_t>(stated) : 0);
  if (end < 0) {
    print_file_warning(file, start, "Header end marker not found");
    return 2;
  }
  if (file->BlockBoundary > 1 && static_cast<std::uint64_t>(end) % file->BlockBoundary != 0) {
    if (binlen != 0) {
      std::fprintf(stderr, "WARNING: The binary section of this block starts at position %" PRIu64
                           ".\n", static_cast<std::uint64_t>(end));
      std::fprintf(stderr, "         This is not a multiple of the block boundary %" PRIu64 "\n",
                   file->BlockBoundary);
    }
    std::fprintf(stderr, "\nINFO: Reading the file %s with block boundary 1.\n\n",
                 file->Name.c_str());
    file->BlockBoundary = 1;
  }

  chain = find_chain(file, chainkey, true);
  DBlock *b = find_block(chain, blockkey, true);
  b->TextPos = start;
  b->TextLen = static_cast<std::uint64_t>(end - start);
  b->BinaryPos = end;
  b->BinaryLen = binlen;
  b->BinaryFileName = probe.BinaryFileName;
  b->BinaryFilePos = probe.BinaryFileName.empty() ? end : probe.BinaryFilePos;
  b->BinaryFileLen = probe.BinaryFileName.empty() ? binlen : probe.BinaryFileLen;
  b->Flags = DBFlags{};
  b->Flags.DiskBlockUsed = 1;
  b->Flags.DiskBlockFixed = 1;
  b->Flags.HeaderExternal = 1;
  b->Flags.DataExternal = 1;
  b->SequenceNumber = file->NextSequenceNumber++;
  file->LastBlockInFile = b;
  if (!seek(f, end + static_cast<std::int64_t>(binlen))) {
    print_file_warning(file, end, "Cannot find start of next block");
    return 2;
  }
  return 0;
}

int get_data_header(DBlock *block) {
  DFile *file = block->Chain->File;
  FILE *f = file->Channel;
  if (!f) return -1;
  if (!seek(f, block->TextPos)) {
    std::perror("get_data_header->fseek");
    return -1;
  }
  if (check_start(f) != 0) {
    std::fprintf(stderr, "get_data_header->check_start: header start not found\n");
    return -1;
  }
  free_symbol_list(&block->Symbols);
  if (get_symbol_list(&block->Symbols, f, 1) != 0) {
    std::fprintf(stderr, "get_data_header->get_symbol_list: error reading header\n");
    return -1;
  }
  block->Flags.HeaderExternal = 0;
  return 0;
}

// ---- sizing and writing -----------------------------------------------------------

int sync_data_block(DBlock *block) {
  DFile *file = block->Chain->File;
  const Settings &s = settings();
  SymbolList *list = &block->Symbols;
  const bool general = block == file->GeneralBlock;

  std::uint64_t binlen = ceilmod(block->RawLen ? block->RawLen : block->DataLen,
                                 file->BlockBoundary);
  if (general) binlen = block->BinaryLen;
  if (block->Flags.DiskBlockFixed) {
    std::uint64_t bigger = binlen > block->BinaryLen ? binlen : block->BinaryLen;
    if (bigger != block->BinaryLen) return -1;  // the data grew out of their space
    binlen = bigger;
  }
  block->BinaryLen = binlen;

  if (general) {
    if (s.write_header_size) set_symbol_root(list, KEY_HeaderSize, UNDETERMINED);
    rlong b = 0;
    if (list_long(list, KEY_BlockBoundary, &b) && b > 0) {
      file->BlockBoundary = static_cast<std::uint64_t>(b);
    } else {
      set_symbol_root(list, KEY_BlockBoundary, format_u64(file->BlockBoundary));
    }
    set_symbol_root(list, KEY_DataBlocks, UNDETERMINED);
    set_symbol_root(list, KEY_DataFormatVersion, "2.42");
  } else {
    if (s.write_header_size) set_symbol_root(list, KEY_HeaderSize, UNDETERMINED);
    set_symbol_root(list, KEY_BinarySize, format_u64(block->BinaryLen));
    set_symbol_root(list, KEY_DataBlockID, block_id(block));
    set_symbol(list, compat_key(block->Chain->ChainKey).c_str(), block->BlockKey);
  }

  if (!block->Flags.DiskBlockFixed) block->SequenceNumber = file->NextSequenceNumber;
  char id[64];
  std::snprintf(id, sizeof id, "EH:%06" PRIu64 ":%06u:%06u", block->SequenceNumber, 0u, 0u);
  set_symbol(list, KEY_HeaderID, id);
  set_symbol(list, KEY_Size, format_u64(block->BinaryLen));

  std::uint64_t n = netto_header_length(list);
  std::uint64_t textlen = ceilmod(n > s.minimum_header_size ? n : s.minimum_header_size,
                                  file->BlockBoundary);
  if (block->Flags.DiskBlockFixed) {
    if (textlen > block->TextLen) return -1;  // the header no longer fits
    textlen = block->TextLen;
  }
  block->TextLen = textlen;
  if (s.write_header_size) {
    std::string size = format_u64(textlen);
    SElement *e = nullptr;
    insert_symbol(list, KEY_HeaderSize, size.c_str(), &e);
    n = n - std::strlen(UNDETERMINED) + size.size();
  }
  block->PadLen = textlen - n;
  return 0;
}

namespace {

bool put_text(FILE *f, const char *text, std::size_t n, const char *step) {
  if (std::fwrite(text, 1, n, f) != n) {
    std::perror(step);
    return false;
  }
  return true;
}

bool put_padding(FILE *f, std::uint64_t padlen) {
  // Lines of PAD_WIDTH blanks separated by CR LF, then blanks to the end.
  std::string pad;
  pad.reserve(padlen);
  std::uint64_t i = 0;
  int c = 0;
  while (padlen >= 2 && i < padlen - 2) {
    if (c < PAD_WIDTH) {
      pad += ' ';
      ++i;
      ++c;
    } else {
      pad += "\r\n";
      i += 2;
      c = 0;
    }
  }
  while (i < padlen) {
    pad += ' ';
    ++i;
  }
  return put_text(f, pad.data(), pad.size(), "flush_data_block->pad_spaces");
}

bool put_blanks(FILE *f, std::uint64_t n) {
  static const char blanks[512] = {
#define B8 ' ', ' ', ' ', ' ', ' ', ' ', ' ', ' '
#define B64 B8, B8, B8, B8, B8, B8, B8, B8
      B64, B64, B64, B64, B64, B64, B64, B64
#undef B64
#undef B8
  };
  while (n > 0) {
    std::size_t k = n > sizeof blanks ? sizeof blanks : static_cast<std::size_t>(n);
    if (std::fwrite(blanks, 1, k, f) != k) {
      std::perror("flush_data_block->fwrite");
      return false;
    }
    n -= k;
  }
  return true;
}

}  // namespace

int flush_data_block(DBlock *block) {
  if (!(block->Flags.HeaderChanged || block->Flags.DataChanged) || block->Flags.InternalHeader)
    return 0;
  DFile *file = block->Chain->File;
  FILE *f = file->Channel;
  if (!f) return -1;

  // A compressed file opened for appending gets every block as one more
  // compressed member: the block is written to a scratch stream first.
  const bool packed_append = file->Flags.AppendOnlyFile && file->FileCompression != 1;
  std::unique_ptr<FILE, int (*)(FILE *)> scratch(nullptr, std::fclose);
  FILE *const target = f;
  if (packed_append) {
    scratch.reset(std::tmpfile());
    if (!scratch) return -1;
    f = scratch.get();
  }

  std::int64_t pos;
  if (packed_append) {
    pos = 0;
  } else if (file->Flags.AppendOnlyFile) {
    if (fseeko(f, 0, SEEK_END) != 0) {
      std::perror("flush_data_block->fseek");
      return -1;
    }
    pos = tell(f);
  } else {
    if (block->Flags.DiskBlockFixed) {
      pos = block->TextPos;
    } else if (DBlock *last = file->LastBlockInFile) {
      pos = last->TextPos + static_cast<std::int64_t>(last->TextLen + last->BinaryLen);
    } else {
      pos = 0;
    }
    if (!seek(f, pos)) {
      std::perror("flush_data_block->fseek");
      return -1;
    }
  }
  block->TextPos = pos;

  std::vector<SElement *> order;
  if (keyorder_ordersymbols(&block->Symbols, &order) != 0) {
    std::perror("flush_data_block ordersymbols");
    return -1;
  }
  if (!put_text(f, header_begin, 3, "flush_data_block->header_begin")) return -1;
  std::int64_t here = pos + 3;
  for (SElement *e : order) {
    const char *step = nullptr;
    if (put_symbol(f, e, &here, &step) != 0) {
      std::string label = std::string("flush_data_block->") + (step ? step : "Key");
      std::perror(label.c_str());
      return -1;
    }
  }
  if (!put_padding(f, block->PadLen)) return -1;
  if (!put_text(f, header_end, 4, "flush_data_block->header_end")) return -1;

  if (block->Flags.DataChanged && !block->Flags.InternalData) {
    block->BinaryPos = block->TextPos + static_cast<std::int64_t>(block->TextLen);
    block->BinaryFileName.clear();
    block->BinaryFilePos = block->BinaryPos;
    block->BinaryFileLen = block->BinaryLen;
    const unsigned char *bytes = block->RawLen ? block->Raw.data() : block->Data;
    std::size_t len = block->RawLen ? block->RawLen : block->DataLen;
    if (len > block->BinaryLen) return -1;
    if (len && !put_text(f, reinterpret_cast<const char *>(bytes), len, "flush_data_block->fwrite"))
      return -1;
    if (!put_blanks(f, block->BinaryLen - len)) return -1;
  } else if (!block->Flags.DiskBlockFixed) {
    block->BinaryPos = block->TextPos + static_cast<std::int64_t>(block->TextLen);
  }
  if (std::fflush(f) != 0) {
    std::perror("flush_data_block->fflush");
    return -1;
  }
  if (packed_append) {
    std::rewind(f);
    std::size_t converted = 0;
    int e = 0;
    if (fseeko(target, 0, SEEK_END) != 0 ||
        cmpr_deflatefile(target, f, file->FileCompression, &converted, &e) != 0 ||
        std::fflush(target) != 0) {
      std::fprintf(stderr, "%s cmpr_deflatefile errval=%d (%s)\n", "ERROR: flush_data_block", e,
                   cmpr_errval2string(e));
      return -1;
    }
  }

  if (block->SequenceNumber == file->NextSequenceNumber) {
    file->LastBlockInFile = block;
    ++file->NextSequenceNumber;
  }
  block->Flags.DiskBlockUsed = 1;
  block->Flags.DiskBlockFixed = 1;
  block->Flags.HeaderChanged = 0;
  block->Flags.DataChanged = 0;
  return 0;
}

namespace {

// Rewrites the count of data blocks in the general block on disk.
int update_general(DFile *file) {
  DBlock *g = file->GeneralBlock;
  SElement *e = nullptr;
  if (!g || search_symbol(&g->Symbols, KEY_DataBlocks, &e) != 0 || !e || !e->ValPos) return 0;
  std::uint64_t count = file->NextSequenceNumber >= 2 ? file->NextSequenceNumber - 2 : 0;
  std::string text = format_u64(count);
  // The value is rewritten in its own room only ("Undetermined" leaves 12
  // characters); a file written elsewhere with a shorter value keeps it
  // rather than have the bytes after it overwritten.
  const std::size_t width = e->ValLen;
  if (text.size() > width) return 0;
  text.append(width - text.size(), ' ');
  if (!seek(file->Channel, e->ValPos)) {
    std::perror("update_general->fseek");
    return -1;
  }
  if (std::fwrite(text.data(), 1, text.size(), file->Channel) != text.size()) {
    std::perror("rewrite_symbol->fputs");
    return -1;
  }
  e->Value = text;
  std::fflush(file->Channel);
  if (!file->Flags.TemporaryFile) fseeko(file->Channel, 0, SEEK_END);
  return 0;
}

}  // namespace

int put_data_block(DBlock *block) {
  DFile *file = block->Chain->File;
  const bool general = block == file->GeneralBlock;
  if (block->Flags.BadBlock) return 0;
  if (!(block->Flags.HeaderChanged || block->Flags.DataChanged)) return 0;
  if (general && file->Flags.NoGeneralHeader) return 0;
  if (block->Flags.InternalHeader) return 0;
  if (sync_data_block(block) != 0 || flush_data_block(block) != 0 ||
      (!file->Flags.NoGeneralHeader && !general && update_general(file) != 0)) {
    block->Flags.BadBlock = 1;
    return -1;
  }
  return 0;
}

int disk_write_block(DBlock *block) {
  if (!block) return 0;
  DFile *file = block->Chain->File;
  int errval = 0;
  int result = RoutineSucceeded;
  if (put_compressed_block(block, &errval) != 0) {
    result = errval ? errval : RoutineFailed;
    block->Flags.BadBlock = 1;
  } else if (put_data_block(block) != 0) {
    result = WriteDataError;
  }
  block->Raw.clear();
  block->Raw.shrink_to_fit();
  block->RawLen = 0;
  if (block != file->GeneralBlock) {
    if (!block->Flags.InternalHeader) {
      free_symbol_list(&block->Symbols);
      block->Flags.HeaderExternal = 1;
    }
    if (!block->Flags.InternalData) {
      block->release_data();
      block->DataByteOrder = block->DataRasterConfiguration = block->DataCompression = 0;
      block->DataType = block->DataValueOffset = 0;
      block->Flags.DataExternal = 1;
    }
  }
  if (file->ActiveBlock == block) file->ActiveBlock = nullptr;
  return result;
}

}  // namespace rylio

void DBlock::release_data() {
  if (Flags.ExternalDataAlloc) {
    Data = nullptr;
    DataBufferLen = 0;
    Flags.ExternalDataAlloc = 0;
  } else {
    DataOwn.clear();
    DataOwn.shrink_to_fit();
    Data = nullptr;
    DataBufferLen = 0;
  }
  if (Flags.ExternalDimAlloc) {
    Flags.ExternalDimAlloc = 0;
  } else {
    DimOwn.clear();
  }
  DataDim = nullptr;
  DataLen = 0;
  Raw.clear();
  Raw.shrink_to_fit();
  RawLen = 0;
}

bool DBlock::own_buffer(std::size_t n) {
  if (Flags.ExternalDataAlloc || !Data || DataBufferLen < n) {
    try {
      if (Flags.ExternalDataAlloc) Flags.ExternalDataAlloc = 0;
      DataOwn.resize(n);
    } catch (const std::bad_alloc &) {
      return false;
    }
    Data = DataOwn.data();
    DataBufferLen = DataOwn.size();
  }
  return true;
}
