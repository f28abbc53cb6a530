#include "rylpack/rylio_keyorder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

using namespace rylio;

namespace {

std::vector<std::string> ordered(SymbolList *list) {
  std::vector<SElement *> order;
  EXPECT_EQ(keyorder_ordersymbols(list, &order), 0);
  std::vector<std::string> keys;
  for (SElement *e : order) keys.push_back(e->Key);
  return keys;
}

// Restores the default table when a test that changes it ends.
struct DefaultTableGuard {
  ~DefaultTableGuard() { ryl_keyorder_set_table(nullptr); }
};

}  // namespace

TEST(RylioKeyorder, NormalisedKeys) {
  char buf[65];
  EXPECT_STREQ(keyorder_strcolup(buf, sizeof buf, "Dim _1\t"), "DIM_1");
  EXPECT_STREQ(keyorder_strcolup(buf, 4, "abcdef"), "ABC");
  std::string longkey(70, 'a');
  EXPECT_EQ(std::string(keyorder_strcolup(buf, sizeof buf, longkey.c_str())), std::string(64, 'A'));
}

TEST(RylioKeyorder, WildcardMatching) {
  struct Case { const char *key, *pattern; bool match; } cases[] = {
      {"Dim_1", "Dim_*", true},        {"dim_2", "Dim_*", true},
      {"Dim_", "Dim_*", true},         {"Dim", "Dim_*", false},
      {"Title", "Title", true},        {"TitleX", "Title", false},
      {"Titl", "Title", false},        {"HeaderID", "H*", true},
      {"HeaderID", "HS32*", false},    {"HS32Z", "HS32*", true},
      {"History-1", "History-*", true}, {"Image", "H*", false},
      {"AXXB", "A*B", true},           {"AXXBC", "A*B", false},
      {"AB", "A**B", true},            {"center_1", "Center_*", true},
      {"Detector Rotation_1", "DetectorRotation_*", true},
      {"anything", "*", true},         {"", "*", true},
      {"", "", true},                  {"x", "", false},
  };
  for (const auto &c : cases)
    EXPECT_EQ(keyorder_wildcmp(c.key, c.pattern) == 0, c.match) << c.key << " ~ " << c.pattern;
}

TEST(RylioKeyorder, DataBlockKeysAreWrittenInTableOrder) {
  SymbolList list;
  for (const char *k : {"Title", "Dim_2", "Dim_1", "Size", "HeaderID", "DataType", "ByteOrder",
                        "Image", "History-1"})
    ASSERT_EQ(insert_symbol(&list, k, "v", nullptr), 0);
  // As the block writer puts them: at the head, last one first.
  for (const char *k : {"RYL_HeaderSize", "RYL_BinarySize", "RYL_DataBlockID"})
    ASSERT_EQ(insert_symbol_root(&list, k, "v", nullptr), 0);
  std::vector<std::string> expect = {"RYL_DataBlockID", "RYL_BinarySize", "RYL_HeaderSize",
                                     "ByteOrder",       "DataType",       "Dim_1",
                                     "Dim_2",           "Title",          "History-1",
                                     "HeaderID",        "Image",          "Size"};
  EXPECT_EQ(ordered(&list), expect);
  // Ordering twice gives the same result: the Read flags are cleared first.
  EXPECT_EQ(ordered(&list), expect);
}

TEST(RylioKeyorder, FirstMatchingPatternTakesTheKey) {
  SymbolList list;
  for (const char *k : {"DetectorType", "DetectorRotation_1", "center_1", "HS32Z", "Zeta",
                        "Alpha", "ryl_lower", "Offset_1"})
    ASSERT_EQ(insert_symbol(&list, k, "v", nullptr), 0);
  // "ryl_lower" is not a reserved key by its exact spelling: it sits at the
  // head of the list but is placed with the keys that match no pattern.
  std::vector<std::string> expect = {"Offset_1", "center_1", "DetectorRotation_1",
                                     "DetectorType", "HS32Z", "ryl_lower", "Alpha", "Zeta"};
  EXPECT_EQ(ordered(&list), expect);
}

TEST(RylioKeyorder, ReplacedTableIsCopiedAndNullRestoresTheDefault) {
  DefaultTableGuard guard;
  SymbolList list;
  for (const char *k : {"Alpha", "Beta", "Gamma", "Title"})
    ASSERT_EQ(insert_symbol(&list, k, "v", nullptr), 0);
  {
    std::vector<std::string> mine = {"G*", "Beta"};
    const char *table[] = {mine[0].c_str(), mine[1].c_str(), nullptr};
    ASSERT_EQ(ryl_keyorder_set_table(table), 0);
    mine[0] = "changed after the call";
  }
  EXPECT_EQ(ordered(&list), (std::vector<std::string>{"Gamma", "Beta", "Alpha", "Title"}));

  char *text = nullptr;
  std::size_t len = 0;
  FILE *mem = open_memstream(&text, &len);
  ryl_keyorder_print_table(mem);
  std::fclose(mem);
  EXPECT_EQ(std::string(text, len),
            "keyorder_DefaultTable[0] = G*\nkeyorder_DefaultTable[1] = Beta\n");
  std::free(text);

  ASSERT_EQ(ryl_keyorder_set_table(nullptr), 0);
  EXPECT_EQ(ordered(&list), (std::vector<std::string>{"Title", "Alpha", "Beta", "Gamma"}));
  EXPECT_EQ(keyorder_table_size(), 41u);
}

namespace {
struct TestElement {
  std::string Key;
  TestElement *Next = nullptr;
  struct { unsigned short Read = 0; } Flags;
};
}  // namespace

TEST(RylioKeyorder, WalkingNamedHeaderElements) {
  std::vector<std::unique_ptr<TestElement>> store;
  TestElement *root = nullptr, *last = nullptr;
  for (const char *k : {"RYL_X", "ByteOrder", "Dim_1", "Title", "Zeta"}) {
    store.push_back(std::make_unique<TestElement>());
    store.back()->Key = k;
    if (last) last->Next = store.back().get(); else root = store.back().get();
    last = store.back().get();
  }
  short no = 0;
  std::vector<std::string> walked;
  for (TestElement *e = keyorder_first_header_element(root, &no); e;
       e = keyorder_next_header_element(root, &no))
    walked.push_back(e->Key);
  EXPECT_EQ(walked, (std::vector<std::string>{"ByteOrder", "Dim_1", "Title", "RYL_X", "Zeta"}));
  // The walk has no reserved-key step: RYL_X waits for the rest.
  // A second walk starts afresh.
  EXPECT_EQ(keyorder_first_header_element(root, &no)->Key, "ByteOrder");
}
