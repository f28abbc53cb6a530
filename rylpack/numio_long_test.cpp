#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "rylpack/numio.h"

namespace {

struct Case {
  const char *text;
  rlong value;  // checked only without error, and for the documented partial results
  int err;
  const char *tail;
};

// Evaluates every case with num_str2long and checks error value, tail and,
// without error or for a scan error (the value read so far), the value.
template <std::size_t N>
void expect_cases(const Case (&cases)[N]) {
  for (const Case &c : cases) {
    const char *tail = nullptr;
    int err = -1;
    const rlong v = num_str2long(c.text, &tail, &err);
    EXPECT_EQ(err, c.err) << c.text;
    if (c.err == NumSuccess || c.err == NumScanError) {
      EXPECT_EQ(v, c.value) << c.text;
    }
    ASSERT_NE(tail, nullptr) << c.text;
    EXPECT_STREQ(tail, c.tail) << c.text;
  }
}

}  // namespace

TEST(NumioIntegerGrammar, ArithmeticTailsAndErrors) {
  const Case cases[] = {
      {"12", 12, NumSuccess, ""},
      {"  12", 12, NumSuccess, ""},
      {"-3+4", 1, NumSuccess, ""},
      {"+3", 3, NumSuccess, ""},
      {"7/2", 3, NumSuccess, ""},
      {"-7/2", -3, NumSuccess, ""},
      {"-7%3", -1, NumSuccess, ""},
      {"(-7)%3", -1, NumSuccess, ""},
      {"7%(-3)", 1, NumSuccess, ""},
      {"7%0", 0, NumDivByZero, ""},
      {"7/0", 0, NumDivByZero, ""},
      {"2*(3+4)", 14, NumSuccess, ""},
      {"2+3*4-1", 13, NumSuccess, ""},
      {"100/10/2", 5, NumSuccess, ""},
      {"(1", 0, NumBadParenthesis, ""},
      {"1)", 1, NumBadParenthesis, ")"},
      {"1+(2", 0, NumBadParenthesis, ""},
      {"1 2", 1, NumSuccess, " 2"},
      {"1,2", 1, NumSuccess, ",2"},
      {"1;2", 1, NumSuccess, ";2"},
      {"(1 )", 1, NumBadParenthesis, " )"},
      {"1x", 1, NumScanError, "x"},
      {"2.5", 2, NumScanError, ".5"},
      {"0x10", 0, NumScanError, "x10"},
      {"1<2", 1, NumScanError, "<2"},
      {"2*-3", 0, NumNoFloatNumber, "-3"},
      {"2*(-3)", -6, NumSuccess, ""},
      {"_x", 0, NumNoFloatNumber, "_x"},
      {"!1", 0, NumNoFloatNumber, "!1"},
      {"", 0, NumNoFloatNumber, ""},
      {"sqrt(-1)", 0, NumDomainError, ""},
      {"foo(1)", 0, NumNoFloatFunction, "foo(1)"},
  };
  expect_cases(cases);
}

TEST(NumioIntegerGrammar, CastsFunctionsConstantsAndTruthWords) {
  const Case cases[] = {
      {"(round)2.5", 3, NumSuccess, ""},
      {"(round)(-2.5)", -2, NumSuccess, ""},
      {"(long int)2.7", 2, NumSuccess, ""},
      {"(long int)(-2.7)", -2, NumSuccess, ""},
      {"(round)-2.5", 0, NumNoFloatNumber, "-2.5"},
      {"(round)3_kB", 3000, NumSuccess, ""},
      {"(round)1.5_mm*1000", 0, NumSuccess, ""},  // the cast takes one unit product
      {"(long int)(double)(round)pi", 3, NumSuccess, ""},
      {"(round)(double)(long int)2.9", 2, NumSuccess, ""},
      {"round(2.5)", 3, NumSuccess, ""},
      {"sqrt(16)+1", 5, NumSuccess, ""},
      {"pi", 3, NumSuccess, ""},
      {"e", 3, NumSuccess, ""},
      {"kByte", 1000, NumSuccess, ""},
      {"GiB", 1073741824, NumSuccess, ""},
      {"2*MiB", 2097152, NumSuccess, ""},
      {"TB", 0, NumIntegerOverflow, ""},
      {"TRUE", 1, NumSuccess, ""},
      {"True", 1, NumSuccess, ""},
      {"yes", 1, NumSuccess, ""},
      {"No", 0, NumSuccess, ""},
      {"false+2", 2, NumSuccess, ""},
      {"nothing", 0, NumScanError, "thing"},
      {"Yesterday", 1, NumScanError, "terday"},
  };
  expect_cases(cases);
}

TEST(NumioIntegerGrammar, WrapAroundAndRangeChecksAt32Bits) {
  const Case cases[] = {
      {"2147483647+1", INT32_MIN, NumSuccess, ""},
      {"-2147483647-2", INT32_MAX, NumSuccess, ""},
      {"65536*65536", 0, NumSuccess, ""},
      {"65536*32768", INT32_MIN, NumSuccess, ""},
      {"-(2147483647+1)", INT32_MIN, NumSuccess, ""},
      {"99999999999", INT32_MAX, NumSuccess, ""},  // a literal saturates
      {"99999999999999999999999999", INT32_MAX, NumSuccess, ""},
      {"(long int)2147483647", INT32_MAX, NumSuccess, ""},
      {"(long int)(-2147483648)", INT32_MIN, NumSuccess, ""},
      {"(long int)2147483648", 0, NumIntegerOverflow, ""},
      {"(long int)(-2147483649)", 0, NumIntegerOverflow, ""},
      {"(long int)2147483647.5", 0, NumIntegerOverflow, ""},
      {"(round)2147483647.4", INT32_MAX, NumSuccess, ""},
      {"(round)2147483647.5", 0, NumIntegerOverflow, ""},
      {"(round)(-2147483648.5)", INT32_MIN, NumSuccess, ""},
      {"(long int)inf", 0, NumIntegerOverflow, ""},
      {"(long int)(inf*10-inf*10)", 0, NumIntegerOverflow, ""},  // not a number
      {"(long int)1e999", 0, NumIntegerOverflow, ""},
      {"round(1e10)", 0, NumIntegerOverflow, ""},
      {"(2147483647+1)/(-1)", 0, NumIntegerOverflow, ""},
      {"(2147483647+1)%(-1)", 0, NumSuccess, ""},
      {"(2147483647+1)/1", INT32_MIN, NumSuccess, ""},
  };
  expect_cases(cases);
}

TEST(NumioIntegerGrammar, RobustAgainstNullDeepNestingAndLongTexts) {
  const char *tail = nullptr;
  int err = -1;
  EXPECT_EQ(num_str2long(nullptr, &tail, &err), 0);
  EXPECT_EQ(err, NumNoFloatNumber);
  EXPECT_STREQ(tail, "");
  EXPECT_EQ(num_str2long("5", nullptr, nullptr), 5);

  std::string ok = std::string(200, '(') + "7" + std::string(200, ')');
  EXPECT_EQ(num_str2long(ok.c_str(), nullptr, &err), 7);
  EXPECT_EQ(err, NumSuccess);
  std::string deep = std::string(100000, '(') + "7" + std::string(100000, ')');
  num_str2long(deep.c_str(), &tail, &err);
  EXPECT_EQ(err, NumBadParenthesis);
  EXPECT_EQ(tail - deep.c_str(), NumMaxLevel + 1);

  std::string casts;
  for (int i = 0; i < 5000; ++i) casts += "(round)(double)";
  casts += "1";
  num_str2long(casts.c_str(), &tail, &err);
  EXPECT_EQ(err, NumBadParenthesis);

  // 2^31 ones wrap: 100000 additions of 30000 exceed the range repeatedly.
  std::string sum = "0";
  for (int i = 0; i < 100000; ++i) sum += "+30000";
  EXPECT_EQ(num_str2long(sum.c_str(), nullptr, &err),
            static_cast<rlong>(static_cast<rulong>(100000u * 30000u)));
  EXPECT_EQ(err, NumSuccess);

  for (int c = 1; c < 256; ++c) {
    const char text[] = {static_cast<char>(c), '(', static_cast<char>(c), ')', '\0'};
    num_str2long(text, &tail, &err);
    EXPECT_GE(err, NumSuccess);
    EXPECT_LE(err, NumBadUnit);
  }
}
