#include "rylpack/rylio_binary.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "rylpack/rylio_errors.h"

namespace {

// ------------------------------------------------------------------ names --

TEST(RylDataTypeNames, WrittenNamesAndAliases) {
  struct Case {
    const char *name;
    int type;
  } cases[] = {
      {"UnsignedByte", 1},   {"Unsigned8", 1},        {"SignedByte", 2},     {"Signed8", 2},
      {"UnsignedShort", 3},  {"Unsigned16", 3},       {"SignedShort", 4},    {"Signed16", 4},
      {"UnsignedInteger", 5}, {"Unsigned32", 5},      {"UnsignedLong", 5},   {"SignedInteger", 6},
      {"Signed32", 6},       {"SignedLong", 6},       {"Unsigned64", 7},     {"Signed64", 8},
      {"FloatValue", 9},     {"FloatIEEE32", 9},      {"Float", 9},          {"DoubleValue", 10},
      {"FloatIEEE64", 10},   {"Double", 10},          {"QuadrupleValue", 11}, {"FloatIEEE128", 11},
      {"Quadruple", 11},     {"UnAssigned", 12},      {"Invalid", 0},
      // Compared like header keys: no case, no blanks or control characters.
      {"float", 9},          {"Float Value", 9},      {" signedshort\t", 4}, {"DOUBLE", 10},
      // Unknown names.
      {"Float32", 0},        {"", 0},                 {"Floats", 0},         {"Float~1", 0},
  };
  for (const auto &c : cases) EXPECT_EQ(ryl_string2datatype(c.name), c.type) << c.name;
  EXPECT_EQ(ryl_string2datatype(nullptr), 0);
}

TEST(RylDataTypeNames, WritingAndSizes) {
  const char *written[] = {"Invalid",         "UnsignedByte",  "SignedByte",  "UnsignedShort",
                           "SignedShort",     "UnsignedInteger", "SignedInteger", "Unsigned64",
                           "Signed64",        "FloatValue",    "DoubleValue", "QuadrupleValue",
                           "UnAssigned"};
  const std::size_t sizes[] = {0, 1, 1, 2, 2, 4, 4, 8, 8, 4, 8, 16, 0};
  for (int t = 0; t <= 12; ++t) {
    EXPECT_STREQ(ryl_datatype2string(t), written[t]) << t;
    EXPECT_EQ(ryl_data_sizeof(t), sizes[t]) << t;
    EXPECT_EQ(ryl_string2datatype(ryl_datatype2string(t)), t) << t;
  }
  for (int t : {-1, 13, 1000}) {
    EXPECT_STREQ(ryl_datatype2string(t), "Invalid") << t;
    EXPECT_EQ(ryl_data_sizeof(t), 0u) << t;
  }
}

TEST(RylByteOrderNames, ReadFourNamesWriteTwo) {
  struct Case {
    const char *name;
    int order;
  } cases[] = {{"LowByteFirst", 1}, {"lowbytefirst", 1}, {"HighByteFirst", 2}, {"High Byte First", 2},
               {"FixedByteOrder", 3}, {"Invalid", 0}, {"BigEndian", 0}, {"", 0}};
  for (const auto &c : cases) EXPECT_EQ(ryl_string2byteorder(c.name), c.order) << c.name;
  EXPECT_EQ(ryl_string2byteorder(nullptr), 0);
  EXPECT_STREQ(ryl_byteorder2string(1), "LowByteFirst");
  EXPECT_STREQ(ryl_byteorder2string(2), "HighByteFirst");
  for (int v : {0, 3, 4, -1}) EXPECT_STREQ(ryl_byteorder2string(v), "Invalid") << v;
  EXPECT_EQ(ryl_byteorder(), std::endian::native == std::endian::little ? LowByteFirst : HighByteFirst);
}

TEST(RylCompressionNames, NamesAliasesAndNumbers) {
  struct Case {
    const char *name;
    int compression;
  } cases[] = {{"None", 1},     {"UnCompressed", 1}, {"NoSp" "ecificValue", 1}, {"GzipCompression", 2},
               {"Gzip", 2},     {"gzip", 2},         {"ZCompression", 3},    {"Z", 3},
               {"z", 3},        {"1", 1},            {"2", 2},               {"3", 3},
               {" 2", 2},       {"0", 0},            {"4", 0},               {"12", 0},
               {"Invalid", 0},  {"zip", 0},          {"", 0}};
  for (const auto &c : cases) EXPECT_EQ(ryl_string2compression(c.name), c.compression) << c.name;
  EXPECT_EQ(ryl_string2compression(nullptr), 0);
  EXPECT_STREQ(ryl_compression2string(1), "None");
  EXPECT_STREQ(ryl_compression2string(2), "GzipCompression");
  EXPECT_STREQ(ryl_compression2string(3), "ZCompression");
  for (int v : {0, 4, -1}) EXPECT_STREQ(ryl_compression2string(v), "Invalid") << v;
}

// ---------------------------------------------------------- machine types --

TEST(RylMachineTypes, MappingSizesAndLimits) {
  const int data2machine[] = {0, 1, 2, 3, 4, 7, 8, 0, 0, 9, 10, 0, 0};
  for (int t = 0; t <= 12; ++t) EXPECT_EQ(ryl_datatype2machinetype(t), data2machine[t]) << t;
  const int machine2data[] = {0, 1, 2, 3, 4, 5, 6, 5, 6, 9, 10, 0};
  const std::size_t msize[] = {0, 1, 1, 2, 2, 4, 4, 4, 4, 4, 8, 0};
  const char *names[] = {"Invalid", "unsigned char", "char",  "unsigned short", "short",  "unsigned int",
                         "int",     "unsigned long", "long",  "float",          "double", "long double"};
  for (int m = 0; m <= 11; ++m) {
    EXPECT_EQ(ryl_machinetype2datatype(m), machine2data[m]) << m;
    EXPECT_EQ(ryl_machine_sizeof(m), msize[m]) << m;
    EXPECT_STREQ(ryl_machinetype2string(m), names[m]) << m;
  }
  EXPECT_EQ(ryl_datatype2machinetype(13), 0);
  EXPECT_EQ(ryl_machinetype2datatype(12), 0);
  EXPECT_EQ(ryl_machine_sizeof(12), 0u);

  struct Limit {
    int m;
    double lo, hi;
  } limits[] = {{1, 0, 255},          {2, -128, 127},         {3, 0, 65535},
                {4, -32768, 32767},   {5, 0, 4294967295.0},   {7, 0, 4294967295.0},
                {6, -2147483648.0, 2147483647.0}, {8, -2147483648.0, 2147483647.0}};
  for (const auto &l : limits) {
    double lo = 1, hi = 0;
    ASSERT_EQ(ryl_machine_limits(l.m, &lo, &hi), 0) << l.m;
    EXPECT_EQ(lo, l.lo) << l.m;
    EXPECT_EQ(hi, l.hi) << l.m;
  }
  double lo = 7;
  EXPECT_EQ(ryl_machine_limits(MFloat, &lo, nullptr), -1);
  EXPECT_EQ(lo, 7);
}

TEST(RylMachineTypes, Listings) {
  testing::internal::CaptureStdout();
  ryl_showdatatypes(0);
  const std::string brief = testing::internal::GetCapturedStdout();
  char line[128];
  std::string want;
  const struct {
    const char *d;
    int ds;
    const char *m;
    int ms;
  } rows[] = {{"UnsignedByte", 1, "unsigned char", 1},   {"SignedByte", 1, "char", 1},
              {"UnsignedShort", 2, "unsigned short", 2}, {"SignedShort", 2, "short", 2},
              {"UnsignedInteger", 4, "unsigned long", 4}, {"SignedInteger", 4, "long", 4},
              {"FloatValue", 4, "float", 4},             {"DoubleValue", 8, "double", 8}};
  for (const auto &r : rows) {
    std::snprintf(line, sizeof line, " %15s (%5d bytes) = %15s (%5d bytes)\n", r.d, r.ds, r.m, r.ms);
    want += line;
  }
  EXPECT_EQ(brief, want);

  std::FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  ryl_showdatatypes(1, f);
  ryl_showmachinetypes(1, f);
  std::rewind(f);
  std::vector<std::string> lines;
  while (std::fgets(line, sizeof line, f)) lines.push_back(line);
  std::fclose(f);
  ASSERT_EQ(lines.size(), 1u + 12u + 1u + 11u);
  std::snprintf(line, sizeof line, " %15s               = %15s\n", "DataType", "MachineType");
  EXPECT_EQ(lines[0], line);
  std::snprintf(line, sizeof line, " %15s (%5d bytes) = %15s (%5d bytes)\n", "Signed64", 8, "Invalid", 0);
  EXPECT_EQ(lines[8], line);
  std::snprintf(line, sizeof line, " %15s               = %15s\n", "MachineType", "DataType");
  EXPECT_EQ(lines[13], line);
  std::snprintf(line, sizeof line, " %15s (%5d bytes) = %15s (%5d bytes)\n", "unsigned int", 4,
                "UnsignedInteger", 4);
  EXPECT_EQ(lines[18], line);
  std::snprintf(line, sizeof line, " %15s (%5d bytes) = %15s (%5d bytes)\n", "long double", 0, "Invalid", 0);
  EXPECT_EQ(lines[24], line);

  testing::internal::CaptureStdout();
  ryl_showmachinetypes(0);
  const std::string machines = testing::internal::GetCapturedStdout();
  EXPECT_EQ(std::count(machines.begin(), machines.end(), '\n'), 10);  // all but long double
}

// ------------------------------------------------------- dimension arrays --

TEST(RylDimensions, NewAndProduct) {
  const std::vector<rlong> d = newdim(3);
  EXPECT_EQ(d, (std::vector<rlong>{3, 0, 0, 0, 0}));
  EXPECT_TRUE(newdim(-1).empty());

  struct Case {
    std::vector<rlong> dim;
    std::size_t count;
  } cases[] = {{{2, 3, 4}, 12},
               {{0}, 1},
               {{3, 5, 0, 2}, 0},
               {{2, -1, 4}, 0},
               {{1, 2147483647}, 2147483647u},
               {{3, 2147483647, 2147483647, 2147483647}, 0}};  // beyond size_t
  for (const auto &c : cases) EXPECT_EQ(ryl_dim_product(c.dim.data()), c.count) << c.dim.size();
  EXPECT_EQ(ryl_dim_product(nullptr), 0u);
}

TEST(RylDimensions, CopyIntoCallersArray) {
  struct Case {
    const char *text;
    std::vector<rlong> dim;
    rlong n;
    std::vector<rlong> want;  // empty: NotNdData
  } cases[] = {
      {"same size", {2, 5, 7}, 2, {2, 5, 7}},
      {"dropped sizes of 1", {3, 2000, 1, 1}, 2, {2, 2000, 1}},
      {"third size 1", {3, 5, 7, 1}, 2, {2, 5, 7}},
      {"third size 2", {3, 5, 7, 2}, 2, {}},
      {"padded with 1", {1, 9}, 3, {3, 9, 1, 1}},
      {"no sizes asked", {2, 1, 1}, 0, {0}},
      {"negative count", {1, 4}, -1, {}},
  };
  for (const auto &c : cases) {
    std::vector<rlong> buf(8, -7);
    int e = -1;
    rlong *r = copydim(buf.data(), c.n, c.dim.data(), &e);
    if (c.want.empty()) {
      EXPECT_EQ(r, nullptr) << c.text;
      EXPECT_EQ(e, NotNdData) << c.text;
      EXPECT_EQ(buf, std::vector<rlong>(8, -7)) << c.text;
    } else {
      EXPECT_EQ(r, buf.data()) << c.text;
      EXPECT_EQ(e, RoutineSucceeded) << c.text;
      EXPECT_EQ(std::vector<rlong>(buf.begin(), buf.begin() + c.want.size()), c.want) << c.text;
      EXPECT_EQ(buf[c.want.size()], -7) << c.text << ": wrote beyond n sizes";
    }
  }
  int e = 0;
  rlong buf[3];
  EXPECT_EQ(copydim(buf, 2, nullptr, &e), nullptr);
  EXPECT_EQ(e, MissingArrayDimensions);
}

// ------------------------------------------------------------- conversion --

template <class D, class S>
std::vector<D> convert(const std::vector<S> &src, int mdest, int msrc, rlong offset) {
  std::vector<D> out(src.size());
  EXPECT_EQ(ryl_machine2machine(out.data(), mdest, src.data(), offset, msrc, src.size()), 0)
      << mdest << " <- " << msrc;
  return out;
}

TEST(RylConversion, FloatsToShortTypesRoundAndClip) {
  const std::vector<float> x = {1.5f, -0.5f, 70000.25f, -70000.0f, 2.4999998f, -1.5f};
  EXPECT_EQ((convert<std::uint16_t>(x, MUnsignedShort, MFloat, 0)),
            (std::vector<std::uint16_t>{2, 0, 65535, 0, 2, 0}));
  EXPECT_EQ((convert<std::int16_t>(x, MShort, MFloat, 0)),
            (std::vector<std::int16_t>{2, 0, 32767, -32768, 2, -1}));
  EXPECT_EQ((convert<std::uint16_t>(x, MUnsignedShort, MFloat, 10)),
            (std::vector<std::uint16_t>{12, 10, 65535, 0, 12, 9}));
  EXPECT_EQ((convert<std::int16_t>(x, MShort, MFloat, -3)),
            (std::vector<std::int16_t>{-1, -3, 32767, -32768, -1, -4}));
}

TEST(RylConversion, IntegersToShortTypes) {
  const std::vector<std::int32_t> x = {-5, 70000, 65535, 123};
  EXPECT_EQ((convert<std::uint16_t>(x, MUnsignedShort, MInteger, 0)),
            (std::vector<std::uint16_t>{0, 65535, 65535, 123}));
  EXPECT_EQ((convert<std::uint16_t>(x, MUnsignedShort, MLong, 10)),
            (std::vector<std::uint16_t>{5, 65535, 65535, 133}));
  // short from an integer wraps at 16 bits, the offset cut to 16 bits first.
  EXPECT_EQ((convert<std::int16_t>(x, MShort, MLong, 0)),
            (std::vector<std::int16_t>{-5, 4464, -1, 123}));
  EXPECT_EQ((convert<std::int16_t>(x, MShort, MLong, 65537)),
            (std::vector<std::int16_t>{-4, 4465, 0, 124}));
  // Source values keep their own signedness.
  const std::vector<std::int8_t> c = {-1, 127};
  EXPECT_EQ((convert<std::uint16_t>(c, MUnsignedShort, MChar, 10)), (std::vector<std::uint16_t>{9, 137}));
  const std::vector<std::uint8_t> uc = {255, 0};
  EXPECT_EQ((convert<std::int16_t>(uc, MShort, MUnsignedChar, 0)), (std::vector<std::int16_t>{255, 0}));
  const std::vector<std::uint32_t> u = {4294967295u, 0u};
  EXPECT_EQ((convert<std::uint16_t>(u, MUnsignedShort, MUnsignedLong, 0)),
            (std::vector<std::uint16_t>{65535, 0}));
}

TEST(RylConversion, IntWrapsFromIntegersAndClipsFromFloats) {
  const std::vector<std::uint32_t> u = {4294967295u, 2147483648u, 5u};
  EXPECT_EQ((convert<std::int32_t>(u, MLong, MUnsignedLong, 0)),
            (std::vector<std::int32_t>{-1, std::numeric_limits<std::int32_t>::min(), 5}));
  const std::vector<std::int32_t> i = {2147483647, -2147483647 - 1};
  EXPECT_EQ((convert<std::int32_t>(i, MInteger, MLong, 1)),
            (std::vector<std::int32_t>{std::numeric_limits<std::int32_t>::min(), -2147483647}));
  const std::vector<double> d = {3e9, -3e9, 2.5, -2.5, 0.49999999999999994};
  // floor(x + 0.5): -2.5 gives -2; the largest double below 0.5 stays 0 in
  // extended precision (it would round up to 1 in double arithmetic).
  EXPECT_EQ((convert<std::int32_t>(d, MInteger, MDouble, 0)),
            (std::vector<std::int32_t>{2147483647, -2147483647 - 1, 3, -2, 0}));
}

TEST(RylConversion, RoundingUsesExtendedPrecisionWithOffset) {
  // 0.5 - 2^-25 + 0.5 + 2147483000 needs 56 bits: double arithmetic would
  // round it up to the next integer before the floor.
  const std::vector<float> x = {0.49999997f};
  EXPECT_EQ((convert<std::int32_t>(x, MLong, MFloat, 2147483000)), (std::vector<std::int32_t>{2147483000}));
  const std::vector<double> y = {0.49999999999999994};
  EXPECT_EQ((convert<std::uint32_t>(y, MUnsignedLong, MDouble, 1000)), (std::vector<std::uint32_t>{1000}));
}

TEST(RylConversion, FloatingDestinations) {
  const std::vector<std::int32_t> i = {16777217, -7};
  EXPECT_EQ((convert<float>(i, MFloat, MLong, 0)), (std::vector<float>{16777216.0f, -7.0f}));
  EXPECT_EQ((convert<double>(i, MDouble, MLong, 3)), (std::vector<double>{16777220.0, -4.0}));
  // Unsigned sources with a negative offset do not wrap.
  const std::vector<std::uint32_t> u = {0u, 4294967295u};
  EXPECT_EQ((convert<double>(u, MDouble, MUnsignedLong, -10)), (std::vector<double>{-10.0, 4294967285.0}));
  EXPECT_EQ((convert<float>(u, MFloat, MUnsignedInteger, -10)), (std::vector<float>{-10.0f, 4294967285.0f}));
  // Floating source: converted to float first, then the offset added in float.
  const std::vector<double> d = {0.1, 1e10};
  const std::vector<float> f = convert<float>(d, MFloat, MDouble, 5);
  EXPECT_EQ(f[0], static_cast<float>(0.1) + 5.0f);
  EXPECT_EQ(f[1], static_cast<float>(1e10) + 5.0f);
  const std::vector<float> g = {0.1f};
  EXPECT_EQ((convert<double>(g, MDouble, MFloat, 1)), (std::vector<double>{static_cast<double>(0.1f) + 1.0}));
}

TEST(RylConversion, ByteAndUnsignedIntDestinationsClip) {
  const std::vector<float> x = {-1.0f, 127.5f, 300.0f, 4.4e9f};
  EXPECT_EQ((convert<std::uint8_t>(x, MUnsignedChar, MFloat, 0)), (std::vector<std::uint8_t>{0, 128, 255, 255}));
  EXPECT_EQ((convert<std::int8_t>(x, MChar, MFloat, 0)), (std::vector<std::int8_t>{-1, 127, 127, 127}));
  EXPECT_EQ((convert<std::uint32_t>(x, MUnsignedInteger, MFloat, 0)),
            (std::vector<std::uint32_t>{0, 128, 300, 4294967295u}));
  const std::vector<std::int32_t> i = {-200, 200, -5};
  EXPECT_EQ((convert<std::int8_t>(i, MChar, MLong, 0)), (std::vector<std::int8_t>{-128, 127, -5}));
  EXPECT_EQ((convert<std::uint32_t>(i, MUnsignedLong, MLong, 0)), (std::vector<std::uint32_t>{0, 200, 0}));
}

TEST(RylConversion, NanAndInfinityToIntegers) {
  const float inf = std::numeric_limits<float>::infinity();
  const std::vector<float> x = {std::numeric_limits<float>::quiet_NaN(), inf, -inf};
  EXPECT_EQ((convert<std::uint16_t>(x, MUnsignedShort, MFloat, 0)), (std::vector<std::uint16_t>{0, 65535, 0}));
  EXPECT_EQ((convert<std::int32_t>(x, MLong, MFloat, 7)),
            (std::vector<std::int32_t>{0, 2147483647, -2147483647 - 1}));
  // Huge and negative fractional values on the float path without offset.
  const std::vector<float> y = {1e20f, -1e20f, -0.75f, -1.0f, 8388607.5f};
  EXPECT_EQ((convert<std::int32_t>(y, MLong, MFloat, 0)),
            (std::vector<std::int32_t>{2147483647, -2147483647 - 1, -1, -1, 8388608}));
}

TEST(RylConversion, TypesWithoutMachineFormFail) {
  float f[2] = {1, 2};
  double d[2];
  for (int src : {0, 11, 12, -1})
    EXPECT_EQ(ryl_machine2machine(d, MDouble, f, 0, src, 2), -1) << src;
  for (int dst : {0, 11, 12})
    EXPECT_EQ(ryl_machine2machine(d, dst, f, 0, MFloat, 2), -1) << dst;
  // A "Signed64" array has no machine type to convert from.
  EXPECT_EQ(ryl_machine2machine(d, MFloat, f, 0, ryl_datatype2machinetype(Signed64), 2), -1);
}

TEST(RylConversion, InPlaceWideningAndNarrowing) {
  // Widening in place: unsigned short -> double, last element first.
  std::vector<unsigned char> area(5 * sizeof(double));
  const std::uint16_t us[5] = {1, 2, 65535, 0, 7};
  std::memcpy(area.data(), us, sizeof us);
  ASSERT_EQ(ryl_machine2machine(area.data(), MDouble, area.data(), -1, MUnsignedShort, 5), 0);
  double dv[5];
  std::memcpy(dv, area.data(), sizeof dv);
  EXPECT_EQ(std::vector<double>(dv, dv + 5), (std::vector<double>{0, 1, 65534, -1, 6}));
  // Narrowing back in place: double -> short, first element first.
  ASSERT_EQ(ryl_machine2machine(area.data(), MShort, area.data(), 2, MDouble, 5), 0);
  std::int16_t sv[5];
  std::memcpy(sv, area.data(), sizeof sv);
  EXPECT_EQ(std::vector<std::int16_t>(sv, sv + 5), (std::vector<std::int16_t>{2, 3, 32767, 1, 8}));
  // Same width in place: float -> long.
  std::vector<float> f = {1.5f, -1.5f, 2.49f};
  ASSERT_EQ(ryl_machine2machine(f.data(), MLong, f.data(), 0, MFloat, 3), 0);
  std::int32_t iv[3];
  std::memcpy(iv, f.data(), sizeof iv);
  EXPECT_EQ(std::vector<std::int32_t>(iv, iv + 3), (std::vector<std::int32_t>{2, -1, 2}));
  // Same type, no offset: untouched; with an offset: added.
  std::vector<float> g = {1.25f, 2.5f};
  ASSERT_EQ(ryl_machine2machine(g.data(), MFloat, g.data(), 0, MFloat, 2), 0);
  EXPECT_EQ(g, (std::vector<float>{1.25f, 2.5f}));
  ASSERT_EQ(ryl_machine2machine(g.data(), MFloat, g.data(), 2, MFloat, 2), 0);
  EXPECT_EQ(g, (std::vector<float>{3.25f, 4.5f}));
}

TEST(RylConversion, PartlyOverlappingArrays) {
  // Destination starts inside the source: a forward walk would read
  // elements it has already overwritten.
  std::vector<std::int16_t> a = {1, 2, 3, 4, 0, 0};
  ASSERT_EQ(ryl_machine2machine(a.data() + 2, MShort, a.data(), 10, MShort, 4), 0);
  EXPECT_EQ(a, (std::vector<std::int16_t>{1, 2, 11, 12, 13, 14}));
  std::vector<std::int16_t> b = {0, 0, 1, 2, 3, 4};
  ASSERT_EQ(ryl_machine2machine(b.data(), MShort, b.data() + 2, 0, MShort, 4), 0);
  EXPECT_EQ(b, (std::vector<std::int16_t>{1, 2, 3, 4, 3, 4}));
}

TEST(RylConversion, AllPairsAgreeWithDoubleReference) {
  // Small integral values survive every conversion unchanged plus offset.
  const int types[] = {MUnsignedChar, MChar,  MUnsignedShort, MShort, MUnsignedInteger,
                       MInteger,      MUnsignedLong, MLong, MFloat,  MDouble};
  const double values[] = {0, 1, 7, 100};
  for (int s : types)
    for (int d : types) {
      std::vector<unsigned char> src(4 * 8), dst(4 * 8);
      ASSERT_EQ(ryl_machine2machine(src.data(), s, values, 0, MDouble, 4), 0);
      ASSERT_EQ(ryl_machine2machine(dst.data(), d, src.data(), 3, s, 4), 0) << d << " <- " << s;
      double back[4];
      ASSERT_EQ(ryl_machine2machine(back, MDouble, dst.data(), 0, d, 4), 0);
      for (int k = 0; k < 4; ++k) EXPECT_EQ(back[k], values[k] + 3) << d << " <- " << s;
    }
}

TEST(RylConversionDeathTest, NullPointersEndTheProcess) {
  float f[1] = {};
  EXPECT_EXIT(ryl_machine2machine(nullptr, MFloat, f, 0, MFloat, 1), testing::ExitedWithCode(255),
              "SEVERE: ryl_machine2machine: NULL pointer");
  EXPECT_EXIT(ryl_machine2machine(f, MFloat, nullptr, 0, MFloat, 1), testing::ExitedWithCode(255),
              "SEVERE: ryl_machine2machine: NULL pointer");
  EXPECT_EXIT(ryl_bswap(nullptr, f, 4, 1), testing::ExitedWithCode(255), "SEVERE: ryl_bswap: NULL pointer");
  EXPECT_EXIT(ryl_bswap(f, nullptr, 4, 1), testing::ExitedWithCode(255), "SEVERE: ryl_bswap: NULL pointer");
}

// ------------------------------------------------------------ byte reversal --

TEST(RylByteSwap, ReversesEachItem) {
  for (std::size_t item : {1u, 2u, 3u, 4u, 5u, 8u, 16u}) {
    const std::size_t n = 3;
    std::vector<unsigned char> src(item * n);
    for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<unsigned char>(i + 1);
    std::vector<unsigned char> want(src.size());
    for (std::size_t e = 0; e < n; ++e)
      for (std::size_t b = 0; b < item; ++b) want[e * item + b] = src[e * item + (item - 1 - b)];
    std::vector<unsigned char> out(src.size(), 0);
    ryl_bswap(out.data(), src.data(), item, n);
    EXPECT_EQ(out, want) << "item " << item;
    std::vector<unsigned char> inplace = src;
    ryl_bswap(inplace.data(), inplace.data(), item, n);
    EXPECT_EQ(inplace, want) << "in place, item " << item;
  }
}

TEST(RylByteSwap, BigEndianShortWithOffset) {
  // "SignedShort", "HighByteFirst", bytes 01 02: 258, or 248 with offset -10.
  const unsigned char stored[2] = {0x01, 0x02};
  std::int16_t v;
  std::memcpy(&v, stored, 2);
  if (ryl_byteorder() != HighByteFirst) ryl_bswap(&v, &v, ryl_data_sizeof(Signed16), 1);
  float f[1];
  ASSERT_EQ(ryl_machine2machine(f, MFloat, &v, 0, ryl_datatype2machinetype(Signed16), 1), 0);
  EXPECT_EQ(f[0], 258.0f);
  ASSERT_EQ(ryl_machine2machine(f, MFloat, &v, -10, MShort, 1), 0);
  EXPECT_EQ(f[0], 248.0f);
}

// ------------------------------------------------------------ error names --

TEST(RylErrors, ReportTexts) {
  struct Case {
    int value;
    const char *text;
  } cases[] = {{-1, "\nRoutineFailed\n"},         {0, "\nRoutineSucceeded\n"},
               {1, "\nCouldNotMallocMemory\n"},   {10, "\nCouldNotFindSymbol\n"},
               {11, "\nUnknownErrorValue : 11\n"}, {12, "\nBadDataBlock\n"},
               {19, "\nBlockIDDuplicaton\n"},     {36, "\nDataConversionFailed\n"},
               {39, "\nNotNdData\n"},             {55, "\nNoKeyGiven\n"},
               {56, "\nUnknownErrorValue : 56\n"}, {-2, "\nUnknownErrorValue : -2\n"},
               {-3, "\nUnknownErrorValue : -3\n"}};
  for (const auto &c : cases) EXPECT_EQ(ryl_report_data_error(c.value), c.text) << c.value;
  EXPECT_STREQ(ryl_errval2name(NotNdData), "NotNdData");
  EXPECT_STREQ(ryl_errval2name(CouldNotReadHeader), "CouldNotReadHeader");
  EXPECT_STREQ(ryl_errval2name(CouldNotInsertSymbol), "CouldNotInsertSymbol");
  EXPECT_EQ(ryl_errval2name(11), nullptr);
  // Every named value is distinct and has a name.
  std::vector<std::string> names;
  for (int v = -1; v <= 55; ++v)
    if (v != 11) {
      ASSERT_NE(ryl_errval2name(v), nullptr) << v;
      names.emplace_back(ryl_errval2name(v));
    }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

}  // namespace
