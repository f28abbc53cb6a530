#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "rylpack/numio.h"

TEST(NumioFormatLong, DecimalAndHexadecimalAt32Bits) {
  char buf[64];
  int err = -1;
  struct {
    rlong value;
    const char *dec;
    const char *hex;
  } cases[] = {
      {0, "0", "0x0"},
      {255, "255", "0xff"},
      {-1, "-1", "0xffffffff"},
      {-42, "-42", "0xffffffd6"},
      {INT32_MAX, "2147483647", "0x7fffffff"},
      {INT32_MIN, "-2147483648", "0x80000000"},
  };
  for (const auto &c : cases) {
    EXPECT_STREQ(num_long2str(buf, sizeof buf, c.value, &err), c.dec) << c.value;
    EXPECT_EQ(err, NumSuccess);
    EXPECT_STREQ(num_long2hex(buf, sizeof buf, c.value, &err), c.hex) << c.value;
    EXPECT_EQ(err, NumSuccess);
    // Round trip through the integer grammar (the hexadecimal form is not
    // part of it).
    EXPECT_EQ(num_str2long(num_long2str(buf, sizeof buf, c.value, nullptr), nullptr, &err),
              c.value == INT32_MIN ? -INT32_MAX : c.value)  // "-2147483648" saturates before negation
        << c.value;
  }
  char small[3];
  EXPECT_STREQ(num_long2str(small, sizeof small, -42, &err), "-4");
  EXPECT_EQ(err, NumSuccess);
  EXPECT_STREQ(num_long2hex(small, sizeof small, 255, &err), "0x");
  EXPECT_EQ(num_long2str(buf, 0, 1, &err), nullptr);
  EXPECT_EQ(err, NumWriteError);
  EXPECT_EQ(num_long2hex(nullptr, 10, 1, &err), nullptr);
  EXPECT_EQ(err, NumWriteError);
}

TEST(NumioFormatDouble, Double2sPrecision) {
  char buf[NumBUFLEN];
  struct {
    double value;
    int ndigits;
    const char *text;
  } cases[] = {
      {1000000, 0, "1e+06"},
      {1000000, 10, "1000000"},
      {1000000, -3, "1e+06"},
      {0.1, 0, "0.1"},
      {1.0 / 3, 3, "0.333"},
      {1.0 / 3, -17, "0.33333333333333331"},
      {-2.5, 0, "-2.5"},
  };
  for (const auto &c : cases)
    EXPECT_STREQ(double2s(buf, c.value, c.ndigits), c.text) << c.value << " " << c.ndigits;
  // The precision is limited to 80 digits, so the longest text fits.
  std::string p80 = double2s(buf, -1.0 / 3 * 1e-300, 80);
  EXPECT_STREQ(double2s(buf, -1.0 / 3 * 1e-300, 1000), p80.c_str());
  EXPECT_STREQ(double2s(buf, -1.0 / 3 * 1e-300, INT32_MIN), p80.c_str());
  EXPECT_LT(p80.size(), NumBUFLEN);
  EXPECT_EQ(double2s(nullptr, 1.0, 0), nullptr);
}

TEST(NumioFormatDouble, NumberWithUnit) {
  char buf[64];
  int err = -1;
  struct {
    double value;
    const char *unit;
    int ndigits;
    const char *text;  // null: error
    int err;
  } cases[] = {
      {1.5e-3, "mm", 0, "1.5_mm", NumSuccess},
      {1.5e-3, "mm+1", 0, "0.0014985_(mm+1)", NumSuccess},
      {2, "m/s", 0, "2_m/s", NumSuccess},
      {3, "1/s", 0, "3_1/s", NumSuccess},
      {1.5e-3, "mm  ", 0, "1.5_mm  ", NumSuccess},
      {1.5e-3, nullptr, 0, "0.0015", NumSuccess},
      {1.5e-3, "", 7, "0.0015", NumSuccess},
      {1.5e-3, "xyz", 0, nullptr, NumNoFloatNumber},
      {1.5e-3, "mm)", 0, nullptr, NumBadParenthesis},
      {1.5e-3, "mm junk", 0, nullptr, NumBadUnit},
      {1.5e-3, "0*mm", 0, nullptr, NumDivByZero},
      {1.5e-3, "sqrt(-1)", 0, nullptr, NumDomainError},
  };
  for (const auto &c : cases) {
    const char *r = num_double2str(buf, sizeof buf, c.value, c.unit, c.ndigits, &err);
    EXPECT_EQ(err, c.err) << (c.unit ? c.unit : "(null)");
    if (c.text) {
      EXPECT_STREQ(r, c.text) << (c.unit ? c.unit : "(null)");
    } else {
      EXPECT_EQ(r, nullptr) << c.unit;
    }
  }
  // The text with its terminator must fit: "1.5_mm" needs 7 characters.
  char seven[7], six[6];
  EXPECT_STREQ(num_double2str(seven, sizeof seven, 1.5e-3, "mm", 0, &err), "1.5_mm");
  EXPECT_EQ(num_double2str(six, sizeof six, 1.5e-3, "mm", 0, &err), nullptr);
  EXPECT_EQ(err, NumWriteError);
  // Without a unit the number is cut to the buffer like any copied text.
  EXPECT_STREQ(num_double2str(six, 4, 1.5e-3, nullptr, 0, &err), "0.0");
  EXPECT_EQ(err, NumSuccess);
}

TEST(NumioFormatDouble, NumberWithUnitEvaluatesBack) {
  const char *units[] = {"mm", "um", "keV", "m/s", "mm+1", "deg", "kHz", "(2*m)", "cm2", "mbar"};
  const double values[] = {1.5e-3, -7.25, 1e-20, 123456.789, 0.0, 3e8};
  char buf[NumBUFLEN];
  for (const char *unit : units) {
    for (double v : values) {
      int err = -1;
      ASSERT_NE(num_double2str(buf, sizeof buf, v, unit, 17, &err), nullptr) << unit << " " << v;
      const char *tail = nullptr;
      const double back = num_str2double(buf, &tail, &err);
      EXPECT_EQ(err, NumSuccess) << buf;
      EXPECT_STREQ(tail, "") << buf;
      EXPECT_NEAR(back, v, std::fabs(v) * 1e-15) << buf;
    }
  }
}

TEST(NumioFormatHex, DigitsPointAndSign) {
  char buf[64];
  int err = -1;
  struct {
    double value;
    int ndigits;
    const char *text;
  } cases[] = {
      {255, 2, "0xff"},
      {255, 3, "0xff.0"},
      {0.5, 1, "0x0.8"},
      {0.5, 3, "0x0.800"},
      {-26.5, 4, "-0x1a.80"},
      {4096, 1, "0x1000"},
      {65535, 1, "0xffff"},
      {16, -2, "0x10"},
      {0, 3, "0x0.00"},
      {1.0 / 3, 5, "0x0.55555"},  // five digits from the leading one
  };
  for (const auto &c : cases) {
    EXPECT_STREQ(num_double2hex(buf, sizeof buf, c.value, c.ndigits, &err), c.text) << c.value;
    EXPECT_EQ(err, NumSuccess);
  }
}

TEST(NumioFormatHex, PowersOfSixteenKeepTheirLeadingDigit) {
  char buf[64];
  int err = -1;
  double p = 1.0;
  std::string expected = "0x1";
  for (int k = 0; k < 12; ++k) {
    EXPECT_STREQ(num_double2hex(buf, sizeof buf, p, 1, &err), expected.c_str()) << k;
    // Just below the power: all digits f, never a leading 0.
    num_double2hex(buf, sizeof buf, p * 16 - 1, 1, &err);
    EXPECT_EQ(std::string(buf), "0x" + std::string(k + 1, 'f')) << k;
    p *= 16;
    expected += "0";
  }
}

TEST(NumioFormatHex, ReadsBackAsAFloatingLiteral) {
  const double values[] = {255, 0.5, 26.5, 1.0 / 1024, 123456.75, 4096, 3.0 / 16};
  char buf[64];
  for (double v : values) {
    int err = -1;
    ASSERT_NE(num_double2hex(buf, sizeof buf, v, 12, &err), nullptr) << v;
    EXPECT_EQ(num_str2double(buf, nullptr, &err), v) << buf;
  }
}

TEST(NumioFormatHex, ShortBuffers) {
  char buf[8];
  int err = -1;
  EXPECT_EQ(num_double2hex(buf, 3, 1.0, 1, &err), nullptr);
  EXPECT_EQ(err, NumWriteError);
  EXPECT_EQ(num_double2hex(buf, 4, -1.0, 1, &err), nullptr);
  EXPECT_EQ(err, NumWriteError);
  EXPECT_STREQ(num_double2hex(buf, 5, -1.0, 1, &err), "-0x1");
  EXPECT_STREQ(num_double2hex(buf, 5, 255, 2, &err), "0xff");
  // Integer digits that do not fit are an error, not a smaller number.
  EXPECT_EQ(num_double2hex(buf, 4, 255, 2, &err), nullptr);
  EXPECT_EQ(err, NumWriteError);
  // A fractional digit is never written without its point.
  EXPECT_STREQ(num_double2hex(buf, 5, 15.5, 3, &err), "0xf");
  EXPECT_EQ(err, NumSuccess);
  EXPECT_STREQ(num_double2hex(buf, 6, 15.5, 3, &err), "0xf.8");
  EXPECT_STREQ(num_double2hex(buf, sizeof buf, HUGE_VAL, 3, &err), "0x");
  EXPECT_STREQ(num_double2hex(buf, sizeof buf, -HUGE_VAL, 3, &err), "-0x");
  EXPECT_STREQ(num_double2hex(buf, sizeof buf, 1.0, 100000, &err), "0x1.000");
  EXPECT_EQ(num_double2hex(nullptr, 8, 1.0, 1, &err), nullptr);
}
