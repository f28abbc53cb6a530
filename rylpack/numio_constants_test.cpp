#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "rylpack/numio.h"

namespace {

// The expected table, written out independently of the module: every unit
// with its prefixes and every key entered on its own, with its value.
struct PrefixRow {
  const char *p;
  double f1, f2, f3;
};
const PrefixRow kPrefixes[] = {
    {"Y", 1e24, 1e48, 1e72},    {"Z", 1e21, 1e42, 1e63},    {"E", 1e18, 1e36, 1e54},
    {"P", 1e15, 1e30, 1e45},    {"T", 1e12, 1e24, 1e36},    {"G", 1e9, 1e18, 1e27},
    {"M", 1e6, 1e12, 1e18},     {"k", 1e3, 1e6, 1e9},       {"h", 1e2, 1e4, 1e6},
    {"", 1, 1, 1},              {"d", 1e-1, 1e-2, 1e-3},    {"c", 1e-2, 1e-4, 1e-6},
    {"m", 1e-3, 1e-6, 1e-9},    {"u", 1e-6, 1e-12, 1e-18},  {"n", 1e-9, 1e-18, 1e-27},
    {"p", 1e-12, 1e-24, 1e-36}, {"f", 1e-15, 1e-30, 1e-45}, {"a", 1e-18, 1e-36, 1e-54},
    {"z", 1e-21, 1e-42, 1e-63}, {"y", 1e-24, 1e-48, 1e-72},
};

struct UnitRow {
  const char *base;
  double value;
  int power;
};
const UnitRow kUnits[] = {
    {"C", 1, 1},   {"V", 1, 1},    {"F", 1, 1},     {"Ohm", 1, 1}, {"S", 1, 1},
    {"T", 1, 1},   {"G", 1e-4, 1}, {"Wb", 1, 1},    {"H", 1, 1},   {"A", 1, 1},
    {"s", 1, 1},   {"s", 1, 2},    {"Hz", 1, 1},    {"m", 1, 1},   {"m", 1, 2},
    {"m", 1, 3},   {"l", 0.001, 1}, {"g", 0.001, 1}, {"mol", 1, 1}, {"J", 1, 1},
    {"eV", 1.60217653e-19, 1}, {"cal", 4.1868, 1}, {"W", 1, 1}, {"N", 1, 1},
    {"Pa", 1, 1},  {"bar", 1e5, 1},
};

std::vector<std::pair<std::string, double>> expected_entries() {
  std::vector<std::pair<std::string, double>> e = {
      {"inf", 1.7976931348623157e308}, {"gamma", 0.5772156649015329}, {"pi", 3.141592653589793},
      {"e", 2.718281828459045}, {"rad", 1}, {"mrad", 0.001}, {"urad", 1e-6},
      {"deg", 0.017453292519943295}, {"mdeg", 1.7453292519943296e-5},
      {"udeg", 1.7453292519943295e-8}, {"gon", 0.015707963267948967},
      {"mgon", 1.5707963267948967e-5}, {"ugon", 1.5707963267948965e-8},
      {"arcmin", 0.0002908882086657216}, {"arcsec", 4.84813681109536e-6}, {"sr", 1},
      {"k", 1.3806505e-23}, {"me", 9.1093826e-31}, {"mp", 1.67262171e-27},
      {"md", 3.34358335e-27}, {"mn", 1.67492728e-27}, {"NA", 6.0221415e23},
      {"re", 2.817940325e-15}, {"c", 299792458}, {"ec", 1.60217653e-19},
      {"h", 6.6260693e-34}, {"gN", 6.6742e-11}, {"ga", 9.80665},
      {"u0", 1.2566370614359173e-6}, {"e0", 8.854187817620389e-12},
      {"min", 60}, {"hr", 3600}, {"d", 86400}, {"in", 0.0254}, {"ft", 0.3048},
      {"yd", 0.9144}, {"mile", 1609.344}, {"sm", 1852}, {"nmi", 1852}, {"NM", 1852},
      {"Ao", 1e-10}, {"kn", 0.5144444444444445}, {"b", 1e-28}, {"a", 100}, {"ha", 10000},
      {"lb", 0.45359237}, {"oz", 0.0283495}, {"amu", 1.66053886e-27}, {"erg", 1e-7},
      {"K", 1}, {"mK", 0.001}, {"uK", 1e-6}, {"degK", 1}, {"degC", 1},
      {"degF", 0.5555555555555556}, {"p", 0.00980665}, {"lbf", 4.4482216152605},
      {"pdl", 0.138255}, {"dyn", 1e-5}, {"atm", 101325}, {"at", 98066.5},
      {"psi", 6894.757293168361}, {"Torr", 133.3224},
  };
  const char *bytes[][2] = {{"Byte", "B"}, {"kByte", "kB"}, {"MByte", "MB"}, {"GByte", "GB"},
                            {"TByte", "TB"}, {"PByte", "PB"}, {"EByte", "EB"}, {"ZByte", "ZB"},
                            {"YByte", "YB"}};
  double dec = 1;
  for (auto &b : bytes) {
    e.push_back({b[0], dec});
    e.push_back({b[1], dec});
    dec *= 1000;
  }
  const char *binary[][2] = {{"KiByte", "KiB"}, {"MiByte", "MiB"}, {"GiByte", "GiB"},
                             {"TiByte", "TiB"}, {"PiByte", "PiB"}, {"EiByte", "EiB"},
                             {"ZiByte", "ZiB"}, {"YiByte", "YiB"}};
  double bin = 1024;
  for (auto &b : binary) {
    e.push_back({b[0], bin});
    e.push_back({b[1], bin});
    bin *= 1024;
  }
  for (const UnitRow &u : kUnits) {
    for (const PrefixRow &p : kPrefixes) {
      const char *suffix = u.power == 2 ? "2" : u.power == 3 ? "3" : "";
      const double f = u.power == 2 ? p.f2 : u.power == 3 ? p.f3 : p.f1;
      double base = u.value;
      if (u.power >= 2) base *= u.value;
      if (u.power >= 3) base *= u.value;
      e.push_back({std::string(p.p) + u.base + suffix, base * f});
    }
  }
  return e;
}

}  // namespace

TEST(NumioConstantTable, HoldsEveryKeyOnceWithItsValue) {
  const DPConstant *c = nullptr;
  ASSERT_EQ(dpconstant_search("pi", &c, 0), 0);  // builds the table
  const auto expected = expected_entries();
  std::set<std::string> distinct;
  for (const auto &e : expected) distinct.insert(e.first);
  // The keys of the tables are all distinct, so no insertion decides a value.
  EXPECT_EQ(distinct.size(), expected.size());
  EXPECT_EQ(expected.size(), 617u);

  const std::vector<std::string> keys = dpconstant_keys();
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()), distinct);
  EXPECT_EQ(keys.size(), distinct.size());
  // Kept in descending byte order.
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end(), std::greater<std::string>()));

  for (const auto &e : expected) {
    ASSERT_EQ(dpconstant_search(e.first.c_str(), &c, 0), 0) << e.first;
    EXPECT_EQ(c->Key, e.first);
    EXPECT_EQ(c->Value, e.second) << e.first;
  }
}

TEST(NumioConstantTable, SampleOfUnitsThroughTheGrammar) {
  struct {
    const char *text;
    double value;
  } cases[] = {
      {"km", 1000},       {"mm", 0.001},       {"um", 1e-6},        {"nm", 1e-9},
      {"kHz", 1000},      {"ms", 0.001},       {"mbar", 1e5 * 1e-3}, {"hPa", 100},
      {"keV", 1.60217653e-19 * 1e3},           {"ml", 0.001 * 1e-3}, {"mg", 0.001 * 1e-3},
      {"kg", 0.001 * 1e3}, {"cm2", 1e-4},      {"mm3", 1e-9},       {"Ym", 1e24},
      {"ym", 1e-24},      {"YG", 1e-4 * 1e24}, {"Ms2", 1e12},       {"dm3", 1e-3},
      {"kcal", 4.1868e3}, {"MOhm", 1e6},       {"uA", 1e-6},        {"GW", 1e9},
      {"pF", 1e-12},      {"fs", 1e-15},       {"aC", 1e-18},       {"zJ", 1e-21},
      {"mmol", 1e-3},     {"kN", 1e3},         {"MV", 1e6},         {"nT", 1e-9},
      {"mWb", 1e-3},      {"uH", 1e-6},        {"TS", 1e12},        {"Ts", 1e12},
      {"hl", 0.1},        {"ks2", 1e6},        {"Ym3", 1e72},       {"ym2", 1e-48},
  };
  for (const auto &c : cases) {
    int err = -1;
    const char *tail = nullptr;
    EXPECT_EQ(num_str2double(c.text, &tail, &err), c.value) << c.text;
    EXPECT_EQ(err, NumSuccess) << c.text;
    EXPECT_STREQ(tail, "") << c.text;
  }
}

TEST(NumioConstantTable, PrefixLookupTakesTheLongestKey) {
  struct {
    const char *text;
    const char *key;
  } cases[] = {
      {"mm", "mm"},   {"mmm", "mm"},     {"gamma", "gamma"}, {"gam", "ga"},
      {"g", "g"},     {"nmi", "nmi"},    {"nmX", "nm"},      {"ps", "ps"},
      {"p", "p"},     {"PaX", "Pa"},     {"kgx", "kg"},      {"inff", "inf"},
      {"degCx", "degC"}, {"YiBytes", "YiByte"}, {"arcminute", "arcmin"},
  };
  for (const auto &c : cases) {
    const DPConstant *k = nullptr;
    ASSERT_EQ(dpconstant_search(c.text, &k, 1), 0) << c.text;
    EXPECT_EQ(k->Key, c.key) << c.text;
  }
  const DPConstant *k = nullptr;
  EXPECT_EQ(dpconstant_search("mmm", &k, 0), -1);
  EXPECT_EQ(dpconstant_search("", &k, 1), -1);
  EXPECT_EQ(dpconstant_search("xyz", &k, 1), -1);
  EXPECT_EQ(dpconstant_search("!", &k, 1), -1);
  EXPECT_EQ(dpconstant_search(nullptr, &k, 1), -1);
}

TEST(NumioConstantTable, InsertReplacesAndUnitsAreBounded) {
  const DPConstant *c = nullptr;
  ASSERT_EQ(dpconstant_search("km", &c, 0), 0);  // the table is built first
  ASSERT_EQ(dpconstant_insert("q", "u", "km", 5.0, &c), 0);
  EXPECT_EQ(num_str2double("km", nullptr, nullptr), 5.0);
  EXPECT_EQ(dpconstant_insert("q", "u", "", 5.0, &c), -1);

  const std::string base64(64, 'Q'), base65(65, 'Q'), base63(63, 'Q');
  EXPECT_EQ(dpconstant_insert_unit("q", "u", base65.c_str(), 2.0), -1);
  EXPECT_EQ(dpconstant_insert_unit2("q", "u", base64.c_str(), 2.0), -1);
  EXPECT_EQ(dpconstant_insert_unit3("q", "u", base64.c_str(), 2.0), -1);
  ASSERT_EQ(dpconstant_insert_unit("q", "u", base64.c_str(), 2.0), 0);
  ASSERT_EQ(dpconstant_insert_unit3("q", "u", base63.c_str(), 2.0), 0);
  ASSERT_EQ(dpconstant_search(("k" + base64).c_str(), &c, 0), 0);
  EXPECT_EQ(c->Value, 2.0 * 1e3);
  ASSERT_EQ(dpconstant_search(("m" + base63 + "3").c_str(), &c, 0), 0);
  EXPECT_EQ(c->Value, 8.0 * 1e-9);

  // Freeing the table and looking up again rebuilds the original.
  dpconstant_free();
  EXPECT_TRUE(dpconstant_keys().empty());
  EXPECT_EQ(num_str2double("km", nullptr, nullptr), 1000.0);
  EXPECT_EQ(dpconstant_keys().size(), expected_entries().size());
}

TEST(NumioConstantTable, DebugLevelKeepsAndPrintsQuantities) {
  numio_debug(1);
  dpconstant_free();
  testing::internal::CaptureStdout();
  const DPConstant *c = nullptr;
  ASSERT_EQ(dpconstant_search("km", &c, 1), 0);
  dpconstant_search("inf", &c, 0);
  ASSERT_EQ(dpconstant_search("MiB", &c, 0), 0);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out,
            "  km = 1000 m (length)\n  inf = 1.79769313486232e+308 (infinity)\n"
            "  MiB = 1048576 Byte (MebiByte (digital information))\n");
  EXPECT_EQ(c->Quantity, "MebiByte (digital information)");
  EXPECT_EQ(c->Unit, "Byte");

  FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  dpconstant_print(f, 1, 0);
  dpconstant_print(f, 0, 0);  // nothing at level 0
  std::rewind(f);
  char line[256];
  int lines = 0;
  bool seen = false;
  while (std::fgets(line, sizeof line, f)) {
    ++lines;
    if (std::string(line) == "   'km' = 1000 m (length)\n") seen = true;
  }
  std::fclose(f);
  EXPECT_TRUE(seen);
  EXPECT_EQ(static_cast<std::size_t>(lines), dpconstant_keys().size());

  numio_debug(0);
  dpconstant_free();
  ASSERT_EQ(dpconstant_search("km", &c, 0), 0);
  EXPECT_TRUE(c->Quantity.empty());
}
