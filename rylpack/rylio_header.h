// rylio internal: the text of one block header.
//
// A block header is a list of symbols (key and value) written as lines
// "key = value ;" between "{" and "}". This file declares how a header is
// held in memory (the symbol list of a block), how raw value strings are
// escaped, quoted, split over continuation keys and broken into lines, how
// keys are compared, and how header text is read from and written to a
// stream. It is internal to the data-file library: other modules use
// rylpack/rylio.h.
//
// Everything here lives in namespace rylio so that short names such as
// strtrm or is_prefix cannot collide with other modules.
#pragma once

#include "rylpack/longint.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct DBlock;  // the block record that owns a symbol list (file layout)

namespace rylio {

// Character classes and fixed texts of the header syntax.
inline constexpr const char *white_spaces = " \t\r\n\f\v";
inline constexpr const char *quote_chars = "\"";
inline constexpr const char *tobequoted = "()[]{}*";
inline constexpr const char *header_begin = "{\r\n";
inline constexpr const char *symbol_separator = " = ";
inline constexpr const char *symbol_terminator = " ;\r\n";
inline constexpr const char *header_end = "\r\n}\n";
inline constexpr const char *line_feed = "\n";
inline constexpr char StartHeader = '{';
inline constexpr char EndHeader = '}';
inline constexpr char Separator = '=';
inline constexpr char Terminator = ';';
inline constexpr char Continuation = '~';
inline constexpr char Comment = '#';
inline constexpr char QuoteChar = '"';

// Keys beginning with this text carry the file structure.
inline constexpr const char *DATA_FORMAT_PREFIX = "RYL_";

// Limits: characters of a key that are kept and compared, characters of a
// value text kept by the reader, characters of a value returned as a line,
// and the stream buffer size.
inline constexpr rulong RylMaxKeyLen = 64;
inline constexpr rulong RylMaxValLen = 2048;
inline constexpr rulong RylMaxLinLen = 1023;
inline constexpr rulong RylBufferSize = 512;

// Capacity of one encoded value piece written under one key (terminator
// included): a finished piece, line continuations included, holds at most
// 1023 characters.
inline constexpr std::size_t RylPieceLen = 1024;

// True for the characters of white_spaces and for the terminator byte 0.
bool is_white(int c);

// ---------------------------------------------------------------------------
// Symbol list

struct SEFlags {
  unsigned short Read = 0;  // taken already while ordering keys for writing
};

class SymbolList;

// A key reduced for comparison in mode 1: reserved or not, the upper-case
// printable characters of its base part, its continuation depth.
struct KeyForm {
  bool Reserved = false;
  rlong Depth = 0;
  std::string Norm;
};
KeyForm key_form(const char *key);
// compare_keys in mode 1 on two reduced keys.
int compare_key_forms(const KeyForm &a, const KeyForm &b);

// One key of a block header.
struct SElement {
  std::string Key;     // at most RylMaxKeyLen characters
  std::string Value;   // escaped value text as it stands in the file
  std::int64_t KeyPos = 0;  // file position of the key's first character
  std::int64_t ValPos = 0;  // file position of the value's first character
  rulong KeyLen = 0;   // Key.size()
  rulong ValLen = 0;   // Value.size()
  std::string String;  // decoded value joined over continuation keys (cache)
  SEFlags Flags;
  SElement *Previous = nullptr;
  SElement *Next = nullptr;  // owned through SymbolList
  SymbolList *List = nullptr;

  // Comparison form of Key under mode 1, kept so that sorted insertion and
  // searches do not normalise every key of the list again.
  KeyForm Form;
};

// The symbol list of one block header, sorted by key comparison mode 1
// (reserved keys may be put at the head out of order), with the key-order
// cursor that the writer uses. Owns its elements; every change of the list
// resets the cursor.
class SymbolList {
 public:
  SymbolList() = default;
  ~SymbolList();
  SymbolList(const SymbolList &) = delete;
  SymbolList &operator=(const SymbolList &) = delete;

  SElement *head() const { return head_; }
  std::size_t size() const { return count_; }

  DBlock *Block = nullptr;                  // owner, may be null
  rlong KeyOrderNo = 0;                     // key-order cursor: pattern index
  SElement *KeyOrderNextSymbol = nullptr;   // key-order cursor: next symbol

  // Low-level list surgery used by the symbol routines; they keep the
  // count and reset the key-order cursor.
  SElement *link_before(SElement *pos, std::unique_ptr<SElement> e);
  std::unique_ptr<SElement> unlink(SElement *e);
  void clear();

 private:
  void touched() {
    KeyOrderNo = 0;
    KeyOrderNextSymbol = head_;
  }
  SElement *head_ = nullptr;
  SElement *tail_ = nullptr;
  std::size_t count_ = 0;
};

// ---------------------------------------------------------------------------
// Key and value texts

// Compares two keys. Mode 0 compares the printable characters as they are,
// mode 1 without case, mode 2 as numbers (block keys: 9 < 10, -2 < -1 < 0).
// In every mode reserved keys ("RYL_", any case) come first and a
// continuation key key~n sorts directly after key~(n-1). Any other mode
// prints "ERROR: Unknown sortmode" and ends the process with status -1.
int compare_keys(const char *key1, const char *key2, int sortmode);

// 0 for a key without '~'; n > 0 for a key ending in '~' and a decimal
// number n > 0; -1 for any other use of '~'.
rlong continuation_depth(const char *key);

// The key of value piece `depth` of `key`: the key itself for depth <= 0,
// else the key trimmed of white space followed by '~' and the depth. Null
// when the trimmed key already holds '~' or the result does not fit buflen.
char *continuation_key(char *buffer, std::size_t buflen, const char *key,
                       rlong depth);

// True when key starts with prefix (both cut to RylMaxKeyLen characters);
// csens 0 compares without case. An empty or null prefix never matches.
bool is_prefix(const char *key, const char *prefix, int csens);

// Copies str without leading and trailing white space, cut to buflen-1.
char *strtrm(char *buffer, std::size_t buflen, const char *str);

// Encodes the start of the raw string as one value piece of at most
// buflen-1 characters (quotes included): line breaks, braces, ';' and
// backslashes are escaped, and the piece is quoted when it starts or ends
// with white space or a quote character or is empty. Returns the start of
// the piece inside buffer; *pnext receives where encoding stopped in
// string. buflen must be at least 6.
char *str2val(char *buffer, std::size_t buflen, const char *string,
              const char **pnext);

// Decodes one value text (escapes, quotes, line continuations) into at most
// buflen-1 characters. Returns buffer.
char *val2str(char *buffer, std::size_t buflen, const char *value);

// Breaks an encoded piece into lines with backslash-CR-LF continuations:
// the first line at most pos1 characters wide, the others pos2 (0 for pos1,
// or pos2 < 2, means no limit). Never splits an escape; prefers to break
// after a blank. Output cut to buflen-1 characters. Returns buffer.
char *breakval(char *buffer, std::size_t buflen, const char *string,
               rulong pos1, rulong pos2);

// ---------------------------------------------------------------------------
// Symbol list operations: 0 on success, -1 on failure.

// Inserts Key in sorted position with a copy of Value, or replaces the value
// of an equal key (keeping its spelling). Keys longer than RylMaxKeyLen are
// cut after a warning.
int insert_symbol(SymbolList *list, const char *Key, const char *Value,
                  SElement **symbol);
// Removes an equal key and puts a new element at the head of the list.
int insert_symbol_root(SymbolList *list, const char *Key, const char *Value,
                       SElement **symbol);
// Finds the element whose key equals Key (mode 1); -1 when absent.
int search_symbol(SymbolList *list, const char *Key, SElement **symbol);
// Unlinks and frees one element; *next receives the element after it.
int delete_symbol(SymbolList *list, SElement *symbol, SElement **next);
// Removes the element with an equal key; an absent key succeeds.
int remove_symbol(SymbolList *list, const char *Key, SElement **next);
// Frees all elements.
int free_symbol_list(SymbolList *list);

// Stores a raw string under BaseKey and as many continuation keys
// (BaseKey~1, BaseKey~2, ...) as needed, each piece encoded, broken into
// lines of at most max_line_width characters (0: no limit; this is the
// module's maximum line width setting) and at most 1023 characters long.
// Leftover continuation keys of an earlier, longer value are removed. A
// key that holds '~' cannot take continuation keys: a value that needs more
// than one piece under such a key is refused. *symbol receives the last
// element written.
int insert_string(SymbolList *list, const char *BaseKey, const char *String,
                  rulong max_line_width, SElement **symbol);
// search_symbol, then rebuilds the element's String from its value and the
// values of its continuation keys; -1 when absent.
int search_string(SymbolList *list, const char *BaseKey, SElement **symbol);
// Removes the key and the continuation keys that follow it.
int remove_string(SymbolList *list, const char *Key);

// Length of the header text without padding:
// 3 + sum(KeyLen + 3 + ValLen + 4) + 4.
rulong netto_header_length(const SymbolList *list);

// ---------------------------------------------------------------------------
// Reading header text from a stream

// Reads an optional CR, an optional LF and '{'. 0 when found, -1 at end of
// file, -2 for a byte 0, 1 for anything else.
int check_start(FILE *channel);
// Reads '}', an optional CR and a required LF: 0 when found, 1 when the
// first character is not '}' or no LF follows (the character is pushed
// back), -1 at end of file or a byte 0.
int check_end(FILE *channel);
// Skips a comment to the end of its line. 0, or -1 at end of file.
int skipcomment(FILE *channel);
// Reads the next key into buffer (65 bytes keep 64 characters). 0 when a
// key was read, 1 at the header end ("}" and a line end), -1 on error.
int get_key(char *buffer, std::size_t buflen, FILE *channel, std::int64_t *keypos,
            rulong *keylen);
// Reads the value after a key into buffer (2049 bytes keep 2048
// characters). 0, or -1 on error.
int get_val(char *buffer, std::size_t buflen, FILE *channel, std::int64_t *valpos,
            rulong *vallen);
// Reads the symbols of the header at the stream position into the list.
// level 0 reads only the leading reserved keys and leaves the stream at the
// first other key; any other level reads to the header end. 0, or -1 on
// error.
int get_symbol_list(SymbolList *list, FILE *channel, int level);

// ---------------------------------------------------------------------------
// Writing

// Writes one symbol line "Key = Value ;" CR LF at position *pos (the
// stream must stand there), records KeyPos and ValPos and advances *pos
// past the line. 0, or -1 with *pstep naming the piece that failed
// ("Key", "symbol_separator", "Value", "symbol_terminator").
int put_symbol(FILE *channel, SElement *symbol, std::int64_t *pos,
               const char **pstep);

}  // namespace rylio
