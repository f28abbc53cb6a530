#include "rylpack/rylio_header.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

using namespace rylio;

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

struct FileCloser {
  void operator()(FILE *f) const { std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// A scratch stream holding `text`, positioned at its start.
File stream_with(const std::string &text) {
  File f(std::tmpfile());
  std::fwrite(text.data(), 1, text.size(), f.get());
  std::rewind(f.get());
  return f;
}

std::string contents(FILE *f) {
  std::string s;
  std::rewind(f);
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
  return s;
}

// Writes the list as a header in list order, as the block writer will.
std::string write_header(SymbolList *list, FILE *f) {
  std::fputs(header_begin, f);
  std::int64_t pos = 3;
  for (SElement *e = list->head(); e; e = e->Next) {
    const char *step = nullptr;
    EXPECT_EQ(put_symbol(f, e, &pos, &step), 0) << e->Key;
  }
  std::fputs(header_end, f);
  std::fflush(f);
  return contents(f);
}

std::vector<std::string> keys_of(const SymbolList &list) {
  std::vector<std::string> k;
  for (SElement *e = list.head(); e; e = e->Next) k.push_back(e->Key);
  return k;
}

std::string value_of(SymbolList *list, const char *key) {
  SElement *e = nullptr;
  if (search_string(list, key, &e)) return "<absent>";
  return e->String;
}

// Line breaks CR LF and lone CR come back as LF.
std::string normalised_breaks(const std::string &s) {
  std::string o;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\r') {
      o += '\n';
      if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
    } else {
      o += s[i];
    }
  }
  return o;
}

}  // namespace

TEST(RylioKeys, CompareKeysInEachMode) {
  struct Case { const char *a, *b; int mode, expect; } cases[] = {
      {"Dim_1", "DIM_1", 1, 0},         {"Dim_1", "Dim _1", 1, 0},
      {"Dim_1", "DIM_1", 0, 1},         {"Dim_1", "Dim_2", 1, -1},
      {"Zeta", "RYL_X", 1, 1},          {"ryl_a", "Alpha", 1, -1},
      {"RYL_B", "ryl_a", 1, 1},         {"Title", "Title~1", 1, -1},
      {"Title~2", "Title~1", 1, 1},     {"Title~10", "Title~9", 1, 1},
      {"Title~1", "TitleA", 1, -1},     {"Title~x", "Title~1", 1, 1},
      {"Title~x", "Title~x", 1, 0},     {"Title~1", "TITLE~01", 1, 0},
      {"2", "10", 2, -1},               {"2", "10", 1, 1},
      {"007", "7", 2, 0},               {"-2", "-1", 2, -1},
      {"-1", "0", 2, -1},               {"+5", "5", 2, 0},
      {"000", "0", 2, 0},               {"100", "99", 2, 1},
      {"-10", "-9", 2, -1},             {"12345678901234567890", "2", 2, 1},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(sign(compare_keys(c.a, c.b, c.mode)), c.expect)
        << c.a << " vs " << c.b << " mode " << c.mode;
    EXPECT_EQ(sign(compare_keys(c.b, c.a, c.mode)), -c.expect)
        << c.b << " vs " << c.a << " mode " << c.mode;
  }
}

TEST(RylioKeys, OnlyTheFirst64CharactersCount) {
  std::string a(64, 'A'), b(64, 'A');
  a += "x";
  b += "y";
  EXPECT_EQ(compare_keys(a.c_str(), b.c_str(), 1), 0);
  a[63] = 'B';
  EXPECT_NE(compare_keys(a.c_str(), b.c_str(), 1), 0);
}

TEST(RylioKeysDeathTest, UnknownSortModeEndsTheProcess) {
  EXPECT_EXIT(compare_keys("a", "b", 3), testing::ExitedWithCode(255),
              "");
}

TEST(RylioKeys, ContinuationDepthAndKey) {
  struct Case { const char *key; rlong depth; } depths[] = {
      {"Title", 0}, {"Title~1", 1}, {"Title~12", 12}, {"Title~007", 7},
      {"Title~0", -1}, {"Title~", -1}, {"Title~1x", -1}, {"Title~-1", -1},
      {"Ti~tle", -1}, {"Title~99999999999", -1}, {"", 0},
  };
  for (const auto &c : depths) EXPECT_EQ(continuation_depth(c.key), c.depth) << c.key;

  char buf[65];
  EXPECT_STREQ(continuation_key(buf, sizeof buf, " Title ", 3), "Title~3");
  EXPECT_STREQ(continuation_key(buf, sizeof buf, "Title", 0), "Title");
  EXPECT_STREQ(continuation_key(buf, sizeof buf, "Ti~tle", 0), "Ti~tle");
  EXPECT_EQ(continuation_key(buf, sizeof buf, "Ti~tle", 1), nullptr);
  std::string k62(62, 'k'), k63(63, 'k');
  EXPECT_STREQ(continuation_key(buf, sizeof buf, k62.c_str(), 1), (k62 + "~1").c_str());
  EXPECT_EQ(continuation_key(buf, sizeof buf, k63.c_str(), 1), nullptr);
  EXPECT_EQ(continuation_key(buf, sizeof buf, k62.c_str(), 10), nullptr);
}

TEST(RylioKeys, PrefixAndTrim) {
  EXPECT_TRUE(is_prefix("RYL_DataBlockID", "RYL_", 1));
  EXPECT_TRUE(is_prefix("ryl_x", "RYL_", 0));
  EXPECT_FALSE(is_prefix("ryl_x", "RYL_", 1));
  EXPECT_FALSE(is_prefix("RYL", "RYL_", 0));
  EXPECT_FALSE(is_prefix("anything", "", 0));
  EXPECT_FALSE(is_prefix("anything", nullptr, 0));
  char buf[8];
  EXPECT_STREQ(strtrm(buf, sizeof buf, " \t ab c \r\n"), "ab c");
  EXPECT_STREQ(strtrm(buf, sizeof buf, "   "), "");
  EXPECT_STREQ(strtrm(buf, 4, "  abcdef "), "abc");
}

TEST(RylioValues, EncodeOnePiece) {
  struct Case { const char *raw, *encoded; } cases[] = {
      {"plain", "plain"},
      {"a;b{c}d\\e", "a\\:b\\(c\\)d\\\\e"},
      {"x\ny", "x\\l\r\ny"},
      {"x\r\ny", "x\\l\r\ny"},
      {"x\ry", "x\\l\r\ny"},
      {"", "\"\""},
      {" lead", "\" lead\""},
      {"trail\t", "\"trail\t\""},
      {"\"q\"", "\"\"q\"\""},
      {"in\"side", "in\"side"},
      {"tab\tin", "tab\tin"},
  };
  for (const auto &c : cases) {
    char buf[64];
    const char *next = nullptr;
    EXPECT_STREQ(str2val(buf, sizeof buf, c.raw, &next), c.encoded) << c.raw;
    EXPECT_EQ(*next, '\0') << c.raw;
  }
}

TEST(RylioValues, EncodingStopsAtThePieceSizeWithoutSplittingAnEscape) {
  // buflen 10 leaves 7 encoded characters; an escape is never cut in two
  // and the result always fits.
  struct Case { const char *raw; const char *encoded; std::size_t consumed; } cases[] = {
      {"abcdefghij", "abcdefg", 7},
      {"abcdef;gh", "abcdef", 6},
      {"abcde;gh", "abcde\\:", 6},
      {"abcdef ", "\"abcdef \"", 7},  // a trailing blank needs the quotes
  };
  for (const auto &c : cases) {
    char buf[10];
    std::memset(buf, 'Z', sizeof buf);
    const char *next = nullptr;
    const char *enc = str2val(buf, sizeof buf, c.raw, &next);
    EXPECT_LT(std::strlen(enc) + (enc - buf), sizeof buf) << c.raw;
    EXPECT_EQ(static_cast<std::size_t>(next - c.raw), c.consumed) << c.raw;
    EXPECT_STREQ(enc, c.encoded) << c.raw;
  }
}

TEST(RylioValues, DecodeOneValue) {
  struct Case { const char *value, *decoded; } cases[] = {
      {"plain", "plain"},
      {"  spaced out  ", "spaced out"},
      {"\" lead\"", " lead"},
      {"\"\"", ""},
      {"a\\:b\\(c\\)d\\\\e", "a;b{c}d\\e"},
      {"\\s\\t\\f\\v\\n\\r\\l", " \t\f\v\n\r\n"},
      {"end\\s", "end "},
      {"end\\s  ", "end "},
      {"con\\\r\ntinued", "continued"},
      {"con\\\ntinued", "continued"},
      {"x\\\"", "x"},
      {"\"\"q\"\"", "\"q\""},
      {"a\r\nb", "ab"},
      {"dangling\\", "dangling"},
  };
  for (const auto &c : cases) {
    char buf[64];
    EXPECT_STREQ(val2str(buf, sizeof buf, c.value), c.decoded) << c.value;
  }
  char small[4];
  EXPECT_STREQ(val2str(small, sizeof small, "abcdef"), "abc");
}

TEST(RylioValues, BreakIntoLinesOfAtMostTheWidth) {
  const std::string text =
      "The quick brown fox jumps over the lazy dog and keeps on running "
      "across\\:the field until the sun sets behind\\(hills\\) far away";
  for (rulong width : {5u, 8u, 12u, 20u, 33u}) {
    char buf[1024];
    breakval(buf, sizeof buf, text.c_str(), width, width);
    std::string out(buf);
    std::size_t start = 0, lines = 0;
    for (;;) {
      std::size_t end = out.find("\r\n", start);
      std::string line = out.substr(start, end == std::string::npos ? end : end - start);
      if (end != std::string::npos) {
        EXPECT_LE(line.size(), width) << "width " << width << " line " << line;
        EXPECT_EQ(line.back(), '\\') << "width " << width;
        // An escape pair is never split by the continuation.
        EXPECT_FALSE(line.size() >= 2 && line[line.size() - 2] == '\\')
            << "width " << width << " line " << line;
      }
      ++lines;
      if (end == std::string::npos) break;
      start = end + 2;
    }
    EXPECT_GT(lines, 1u) << width;
    char back[1024], orig[1024];
    EXPECT_STREQ(val2str(back, sizeof back, buf), val2str(orig, sizeof orig, text.c_str()))
        << "width " << width;
  }
  char buf[64];
  EXPECT_STREQ(breakval(buf, sizeof buf, "a\\l\r\nb", 0, 0), "a\\lb");
  EXPECT_STREQ(breakval(buf, sizeof buf, "ab\\\r\ncd", 0, 0), "abcd");
  // Words move to the next line at the last blank.
  EXPECT_STREQ(breakval(buf, sizeof buf, "aa bb cc", 7, 7), "aa bb \\\r\ncc");
  // A single remaining character stays on the line.
  EXPECT_STREQ(breakval(buf, sizeof buf, "abcde", 5, 5), "abcde");
  EXPECT_STREQ(breakval(buf, sizeof buf, "abcdef", 5, 5), "abcd\\\r\nef");
  EXPECT_STREQ(breakval(buf, 5, "abcdefgh", 0, 0), "abcd");
}

TEST(RylioSymbols, KeysEqualWithoutCaseOrBlanksShareOneElement) {
  SymbolList list;
  SElement *e = nullptr;
  ASSERT_EQ(insert_symbol(&list, "Dim_1", "10", &e), 0);
  ASSERT_EQ(insert_symbol(&list, "DIM_1", "20", &e), 0);
  ASSERT_EQ(insert_symbol(&list, "Dim _1", "30", &e), 0);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(e->Key, "Dim_1");
  EXPECT_EQ(e->Value, "30");
  EXPECT_EQ(e->ValLen, 2u);
  ASSERT_EQ(search_symbol(&list, "dim_1", &e), 0);
  EXPECT_EQ(e->Value, "30");
  EXPECT_EQ(search_symbol(&list, "Dim_2", &e), -1);
  EXPECT_EQ(e, nullptr);
}

TEST(RylioSymbols, ListIsSortedWithReservedKeysFirst) {
  SymbolList list;
  for (const char *k : {"Title", "Dim_2", "RYL_BinarySize", "byteorder", "Dim_1",
                        "Title~1", "Size", "ryl_Abc", "Title~2", "Image"})
    ASSERT_EQ(insert_symbol(&list, k, "v", nullptr), 0) << k;
  std::vector<std::string> expect = {"ryl_Abc", "RYL_BinarySize", "byteorder", "Dim_1",
                                     "Dim_2",   "Image",          "Size",      "Title",
                                     "Title~1", "Title~2"};
  EXPECT_EQ(keys_of(list), expect);

  // Root insertion puts the key at the head, replacing an equal key.
  ASSERT_EQ(insert_symbol_root(&list, "RYL_DataBlockID", "1.Image.Psd", nullptr), 0);
  ASSERT_EQ(insert_symbol_root(&list, "RYL_BinarySize", "512", nullptr), 0);
  EXPECT_EQ(keys_of(list)[0], "RYL_BinarySize");
  EXPECT_EQ(keys_of(list)[1], "RYL_DataBlockID");
  EXPECT_EQ(list.size(), 11u);
  // An equal key behind an out-of-order head is still found and replaced.
  ASSERT_EQ(insert_symbol(&list, "RYL_DataBlockID", "2.Image.Psd", nullptr), 0);
  EXPECT_EQ(list.size(), 11u);

  SElement *next = nullptr;
  ASSERT_EQ(remove_symbol(&list, "DIM_1", &next), 0);
  ASSERT_NE(next, nullptr);
  EXPECT_EQ(next->Key, "Dim_2");
  EXPECT_EQ(remove_symbol(&list, "Absent", &next), 0);
  EXPECT_EQ(next, nullptr);
  EXPECT_EQ(list.size(), 10u);
  EXPECT_EQ(free_symbol_list(&list), 0);
  EXPECT_EQ(list.size(), 0u);
  EXPECT_EQ(list.head(), nullptr);
}

TEST(RylioSymbols, EveryChangeResetsTheKeyOrderCursor) {
  SymbolList list;
  insert_symbol(&list, "B", "1", nullptr);
  insert_symbol(&list, "A", "1", nullptr);
  list.KeyOrderNo = 5;
  list.KeyOrderNextSymbol = nullptr;
  insert_symbol(&list, "C", "1", nullptr);
  EXPECT_EQ(list.KeyOrderNo, 0);
  EXPECT_EQ(list.KeyOrderNextSymbol, list.head());
}

TEST(RylioSymbols, LongKeysAreCutTo64Characters) {
  SymbolList list;
  std::string k(70, 'K');
  testing::internal::CaptureStderr();
  ASSERT_EQ(insert_symbol(&list, k.c_str(), "v", nullptr), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("WARNING: The length 70 of"), std::string::npos) << err;
  EXPECT_NE(err.find("exceeds 64"), std::string::npos) << err;
  EXPECT_EQ(list.head()->Key, std::string(64, 'K'));
  EXPECT_EQ(list.head()->KeyLen, 64u);
}

TEST(RylioStrings, LongValueSpreadsOverContinuationKeys) {
  SymbolList list;
  std::string v(3000, 'a');
  for (std::size_t i = 0; i < v.size(); i += 7) v[i] = static_cast<char>('a' + i % 26);
  ASSERT_EQ(insert_string(&list, "Title", v.c_str(), 0, nullptr), 0);
  EXPECT_EQ(keys_of(list), (std::vector<std::string>{"Title", "Title~1", "Title~2"}));
  for (SElement *e = list.head(); e; e = e->Next) EXPECT_LE(e->Value.size(), 1023u);
  EXPECT_EQ(value_of(&list, "Title"), v);

  // A shorter value removes the continuation keys it no longer needs,
  // but not the keys of another base.
  insert_symbol(&list, "TitleX~1", "orphan", nullptr);
  ASSERT_EQ(insert_string(&list, "Title", "short", 0, nullptr), 0);
  EXPECT_EQ(keys_of(list), (std::vector<std::string>{"Title", "TitleX~1"}));
  EXPECT_EQ(value_of(&list, "Title"), "short");

  ASSERT_EQ(insert_string(&list, "Title", v.c_str(), 0, nullptr), 0);
  ASSERT_EQ(remove_string(&list, "title"), 0);
  EXPECT_EQ(keys_of(list), (std::vector<std::string>{"TitleX~1"}));
}

TEST(RylioStrings, ValueLengthsAroundThePieceSize) {
  for (std::size_t len : {0u, 1u, 1019u, 1020u, 1021u, 1022u, 1023u, 1024u, 1025u, 2042u,
                          2043u, 4096u}) {
    SymbolList list;
    std::string v(len, 'v');
    ASSERT_EQ(insert_string(&list, "Key", v.c_str(), 0, nullptr), 0) << len;
    std::size_t pieces = list.size();
    EXPECT_EQ(pieces, len == 0 ? 1u : (len + 1020) / 1021) << len;
    EXPECT_EQ(value_of(&list, "Key"), v) << len;
  }
}

TEST(RylioStrings, EscapedCharactersRoundTripThroughAHeaderFile) {
  std::mt19937 rng(12345);
  const char alphabet[] = "ab ;{}\\\"\t\r\n~=#xyz";
  for (int round = 0; round < 40; ++round) {
    std::string v;
    std::size_t len = rng() % 2600;
    for (std::size_t i = 0; i < len; ++i) v += alphabet[rng() % (sizeof alphabet - 1)];
    for (rulong width : {0u, 20u, 80u}) {
      SymbolList list;
      ASSERT_EQ(insert_string(&list, "Comment", v.c_str(), width, nullptr), 0);
      EXPECT_EQ(value_of(&list, "Comment"), normalised_breaks(v)) << round;
      for (SElement *e = list.head(); e; e = e->Next) {
        EXPECT_LE(e->Value.size(), 1023u);
        EXPECT_EQ(e->Value.find_first_of(";{}"), std::string::npos);
      }
      File f(std::tmpfile());
      std::string text = write_header(&list, f.get());
      std::rewind(f.get());
      SymbolList back;
      ASSERT_EQ(check_start(f.get()), 0);
      ASSERT_EQ(get_symbol_list(&back, f.get(), 1), 0) << text;
      EXPECT_EQ(keys_of(back), keys_of(list));
      EXPECT_EQ(value_of(&back, "Comment"), normalised_breaks(v))
          << "round " << round << " width " << width;
    }
  }
}

TEST(RylioStrings, LinesOfABrokenValueKeepTheWidth) {
  SymbolList list;
  std::string v;
  for (int i = 0; i < 60; ++i) v += "word" + std::to_string(i) + " ";
  ASSERT_EQ(insert_string(&list, "Comment", v.c_str(), 20, nullptr), 0);
  File f(std::tmpfile());
  std::string text = write_header(&list, f.get());
  std::size_t start = 3;
  int continued = 0;
  while (start < text.size()) {
    std::size_t end = text.find("\r\n", start);
    if (end == std::string::npos) break;
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\\') {
      EXPECT_LE(line.size(), 20u) << line;
      ++continued;
    }
    start = end + 2;
  }
  EXPECT_GT(continued, 10);
  std::rewind(f.get());
  SymbolList back;
  ASSERT_EQ(check_start(f.get()), 0);
  ASSERT_EQ(get_symbol_list(&back, f.get(), 1), 0);
  EXPECT_EQ(value_of(&back, "Comment"), value_of(&list, "Comment"));
  EXPECT_EQ(value_of(&back, "Comment"), v) << "the trailing blank is quoted";
}

TEST(RylioStrings, KeyWithTildeCannotTakeContinuations) {
  SymbolList list;
  EXPECT_EQ(insert_string(&list, "A~b", "short", 0, nullptr), 0);
  std::string v(2000, 'x');
  EXPECT_EQ(insert_string(&list, "A~b", v.c_str(), 0, nullptr), -1);
  EXPECT_EQ(value_of(&list, "A~b"), "short") << "a refused value leaves the list alone";
  std::string k64(64, 'k');
  EXPECT_EQ(insert_string(&list, k64.c_str(), v.c_str(), 0, nullptr), -1);
}

TEST(RylioHeaderText, WriteThenReadHeadersAroundTheBlockSize) {
  // Header texts of 511, 512 and 513 bytes: one symbol "Key = value ;".
  for (std::size_t total : {511u, 512u, 513u}) {
    SymbolList list;
    std::string v(total - 17, 'q');
    ASSERT_EQ(insert_symbol(&list, "Key", v.c_str(), nullptr), 0);
    EXPECT_EQ(netto_header_length(&list), total);
    File f(std::tmpfile());
    std::string text = write_header(&list, f.get());
    ASSERT_EQ(text.size(), total);
    SElement *e = list.head();
    EXPECT_EQ(text.substr(e->KeyPos, 3), "Key");
    EXPECT_EQ(e->ValPos, 9);
    EXPECT_EQ(text.substr(e->ValPos, e->ValLen), v);
    std::rewind(f.get());
    SymbolList back;
    ASSERT_EQ(check_start(f.get()), 0);
    ASSERT_EQ(get_symbol_list(&back, f.get(), 1), 0);
    EXPECT_EQ(std::ftell(f.get()), static_cast<long>(total)) << "stream after the end marker";
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back.head()->Value, v);
    EXPECT_EQ(back.head()->KeyPos, 3);
    EXPECT_EQ(back.head()->ValPos, 9);
  }
}

TEST(RylioHeaderText, ReaderSkipsCommentsAndLinesWithoutSeparator) {
  const std::string text =
      "\r\n{\r\n"
      "#comment = not a key ;\r\n"
      "Title = first ;\r\n"
      "junk text ;\r\n"
      "   Dim_1 =\r\n  5 ;\r\n"
      "Tab\tKey   = spaced  value  ;\r\n"
      "Title = second ;;\r\n"
      "Empty = ;\n"
      "\r\n}\n"
      "after";
  File f = stream_with(text);
  SymbolList list;
  ASSERT_EQ(check_start(f.get()), 0);
  ASSERT_EQ(get_symbol_list(&list, f.get(), 1), 0);
  EXPECT_EQ(keys_of(list), (std::vector<std::string>{"Dim_1", "Empty", "Tab Key  ", "Title"}));
  EXPECT_EQ(value_of(&list, "Title"), "second");
  EXPECT_EQ(value_of(&list, "Dim_1"), "5");
  EXPECT_EQ(value_of(&list, "TabKey"), "spaced  value");
  EXPECT_EQ(value_of(&list, "Empty"), "");
  SElement *e = nullptr;
  ASSERT_EQ(search_symbol(&list, "Dim_1", &e), 0);
  EXPECT_EQ(text.substr(e->KeyPos, 5), "Dim_1");
  EXPECT_EQ(text[e->ValPos], '5');
  char rest[8] = {};
  ASSERT_EQ(std::fread(rest, 1, 5, f.get()), 5u);
  EXPECT_STREQ(rest, "after");
}

TEST(RylioHeaderText, ReservedLevelStopsAtTheFirstOrdinaryKey) {
  const std::string text =
      "{\r\nRYL_DataBlockID = 1.Image.Psd ;\r\nryl_binarysize = 512 ;\r\n"
      "Title = x ;\r\n\r\n}\n";
  File f = stream_with(text);
  SymbolList list;
  ASSERT_EQ(check_start(f.get()), 0);
  ASSERT_EQ(get_symbol_list(&list, f.get(), 0), 0);
  EXPECT_EQ(list.size(), 2u);
  EXPECT_EQ(std::ftell(f.get()), static_cast<long>(text.find("Title")));
}

TEST(RylioHeaderText, StartAndEndMarkers) {
  struct Case { const char *text; int start; } starts[] = {
      {"{", 0}, {"\r\n{", 0}, {"\n{", 0}, {"", -1}, {"x{", 1}, {"\r\r{", 1},
  };
  for (const auto &c : starts) {
    File f = stream_with(c.text);
    EXPECT_EQ(check_start(f.get()), c.start) << c.text;
  }
  {
    File f = stream_with(std::string("\0", 1));
    EXPECT_EQ(check_start(f.get()), -2);
  }
  struct EndCase { std::string text; int end; int next; } ends[] = {
      {"}\n", 0, EOF}, {"}\r\nX", 0, 'X'}, {"}x", 1, 'x'}, {"}\rx", 1, 'x'},
      {"x", 1, 'x'}, {"", -1, EOF}, {"}", -1, EOF},
  };
  for (const auto &c : ends) {
    File f = stream_with(c.text);
    EXPECT_EQ(check_end(f.get()), c.end) << c.text;
    EXPECT_EQ(std::getc(f.get()), c.next) << c.text;
  }
}

TEST(RylioHeaderText, DamagedHeadersFailWithoutCrashing) {
  struct Case { std::string text; const char *message; } cases[] = {
      {"{\r\nKey = v ;\r\n}x", "end marker"},
      {"{\r\nKey = v ;\r\nNoSep", "separator '=' not found"},
      {"{\r\nKey = v ;\r\nBad }= x;", "separator '=' not found"},
      {"{\r\nKey = unterminated", "terminator ';' not found"},
      {std::string("{\r\nKey = a\0b ;", 13), "terminator ';' not found"},
      {"{\r\nKey = v ;\r\n", ""},
  };
  for (const auto &c : cases) {
    File f = stream_with(c.text);
    SymbolList list;
    ASSERT_EQ(check_start(f.get()), 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(get_symbol_list(&list, f.get(), 1), -1) << c.text;
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(c.message), std::string::npos) << c.text << " gave " << err;
  }
}

TEST(RylioHeaderText, LongValuesAndKeysInAFileAreCut) {
  std::string key(80, 'K');
  std::string text = "{\r\n" + key + " = " + std::string(3000, 'v') + " ;\r\n"
                     "Next = 1 ;\r\n\r\n}\n";
  File f = stream_with(text);
  SymbolList list;
  ASSERT_EQ(check_start(f.get()), 0);
  ASSERT_EQ(get_symbol_list(&list, f.get(), 1), 0);
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list.head()->Key, std::string(64, 'K'));
  EXPECT_EQ(list.head()->Value, std::string(2048, 'v'));
  EXPECT_EQ(value_of(&list, "Next"), "1");
}

TEST(RylioHeaderText, PutSymbolReportsAFailedWrite) {
  File f(std::fopen("/dev/full", "w"));
  if (!f) GTEST_SKIP() << "no /dev/full";
  std::setvbuf(f.get(), nullptr, _IONBF, 0);
  SymbolList list;
  SElement *e = nullptr;
  insert_symbol(&list, "Key", "Value", &e);
  std::int64_t pos = 0;
  const char *step = nullptr;
  EXPECT_EQ(put_symbol(f.get(), e, &pos, &step), -1);
  EXPECT_STREQ(step, "Key");
}
