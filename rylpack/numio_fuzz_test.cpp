// Random and mutated texts through both evaluators: every text gives a
// result, an error value of the table and a tail inside the text.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "rylpack/numio.h"

namespace {

const char *const kSeeds[] = {
    "2*pi()+1",     "(1<2)?3:4",        "sqrt(_x)",           "1.5_mm",
    "0.15_nm",      "(round)2.5",       "(long int)(-2.7)",   "max(1,min(2,3))",
    "-7%3",         "2147483647+1",     "atan2(1,2)*deg(1)",  "1e308*10",
    "gamma(0.5)",   "!(1&&0)||1",       "3_kB",               "(double)(round)pi",
    "1_(m+1)",      "log(-1)",          "1/0",                "yes+no*true",
};

// Characters the grammar reacts to, plus some it does not know.
const char kAlphabet[] = "0123456789.+-*/%()_,;!<>=&|?:eEpixmnkbB \t\"#[]{}~\\\x01\xff";

void check(const std::string &text) {
  const char *tail = nullptr;
  int err = -1;
  double d = num_str2double(text.c_str(), &tail, &err);
  (void)d;
  ASSERT_GE(err, 0) << text;
  ASSERT_LE(err, 17) << text;
  ASSERT_TRUE(tail >= text.c_str() && tail <= text.c_str() + text.size()) << text;

  tail = nullptr;
  err = -1;
  rlong l = num_str2long(text.c_str(), &tail, &err);
  (void)l;
  ASSERT_GE(err, 0) << text;
  ASSERT_LE(err, 17) << text;
  ASSERT_TRUE(tail >= text.c_str() && tail <= text.c_str() + text.size()) << text;
}

TEST(NumioFuzz, RandomTextsAlwaysEndOrderly) {
  std::mt19937 gen(20261211);
  std::uniform_int_distribution<int> len(0, 40);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  for (int i = 0; i < 3000; ++i) {
    std::string t;
    for (int k = len(gen); k > 0; --k) t += kAlphabet[pick(gen)];
    check(t);
  }
}

TEST(NumioFuzz, MutatedExpressionsAlwaysEndOrderly) {
  std::mt19937 gen(11);
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  for (const char *seed : kSeeds) {
    for (int i = 0; i < 200; ++i) {
      std::string t = seed;
      std::uniform_int_distribution<int> edits(1, 4);
      for (int e = edits(gen); e > 0; --e) {
        std::uniform_int_distribution<std::size_t> pos(0, t.size());
        std::size_t p = pos(gen);
        switch (gen() % 3) {
          case 0: t.insert(p, 1, kAlphabet[pick(gen)]); break;
          case 1: if (p < t.size()) t.erase(p, 1); break;
          default: if (p < t.size()) t[p] = kAlphabet[pick(gen)]; break;
        }
      }
      check(t);
    }
  }
}

}  // namespace
