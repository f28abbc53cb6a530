#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>

#include "rylpack/numio.h"

namespace {

struct Case {
  const char *text;
  double value;
  int err;
  const char *tail;  // the text left where parsing stopped
};

void check(const Case *cases, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const Case &c = cases[i];
    const char *tail = nullptr;
    int err = -1;
    const double v = num_str2double(c.text, &tail, &err);
    EXPECT_EQ(err, c.err) << c.text;
    if (c.err == NumSuccess) {
      EXPECT_EQ(v, c.value) << c.text;
    } else {
      EXPECT_EQ(v, 0.0) << c.text;
    }
    ASSERT_NE(tail, nullptr) << c.text;
    EXPECT_STREQ(tail, c.tail) << c.text;
    // The tail is a position inside the text, not a copy.
    EXPECT_EQ(tail, c.text + std::strlen(c.text) - std::strlen(c.tail)) << c.text;
  }
}

}  // namespace

TEST(NumioFloatGrammar, OperatorsSignsAndPrecedence) {
  const Case cases[] = {
      {"12", 12, NumSuccess, ""},
      {"  \t12", 12, NumSuccess, ""},
      {"1+2*3", 7, NumSuccess, ""},
      {"(1+2)*3", 9, NumSuccess, ""},
      {"10-4-3", 3, NumSuccess, ""},
      {"64/4/2", 8, NumSuccess, ""},
      {"2*-3", 0, NumNoFloatNumber, "-3"},
      {"2*(-3)", -6, NumSuccess, ""},
      {"-2*3", -6, NumSuccess, ""},
      {"-3-2", -5, NumSuccess, ""},
      {"+5", 5, NumSuccess, ""},
      {"7%3", 1, NumSuccess, ""},
      {"(-7)%3", 2, NumSuccess, ""},
      {"-7%3", -1, NumSuccess, ""},
      {"7%(-3)", -2, NumSuccess, ""},
      {"7//2", 3, NumSuccess, ""},
      {"(-7)//2", -4, NumSuccess, ""},
      {"-7//2", -3, NumSuccess, ""},
      {"7/2", 3.5, NumSuccess, ""},
      {"7%0", 0, NumDivByZero, ""},
      {"7//0", 0, NumDivByZero, ""},
      {"1/0", 0, NumDivByZero, ""},
      {"1 + 2", 1, NumSuccess, " + 2"},
      {"(1)(2)", 1, NumSuccess, "(2)"},
      {".5", 0.5, NumSuccess, ""},
      {"1e3", 1000, NumSuccess, ""},
      {"1e", 1, NumSuccess, "e"},
      {".", 0, NumNoFloatNumber, "."},
      {"1e999", HUGE_VAL, NumSuccess, ""},
      {"exp(1000)", HUGE_VAL, NumSuccess, ""},
      {"inf*10", HUGE_VAL, NumSuccess, ""},
  };
  check(cases, std::size(cases));
}

TEST(NumioFloatGrammar, NegationFlipsTheSignBitOfZero) {
  int err = -1;
  const double v = num_str2double("-0", nullptr, &err);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_TRUE(std::signbit(v));
}

TEST(NumioFloatGrammar, ParenthesesAndNesting) {
  const Case cases[] = {
      {"1)", 0, NumBadParenthesis, ")"},
      {"1+2)", 0, NumBadParenthesis, ")"},
      {"1<2)", 0, NumBadParenthesis, ")"},
      {"(1", 0, NumBadParenthesis, ""},
      {"(1;", 0, NumBadParenthesis, ";"},
      {"((1))", 1, NumSuccess, ""},
      {"()", 0, NumNoFloatNumber, ")"},
  };
  check(cases, std::size(cases));
}

TEST(NumioFloatGrammar, ComparisonsLogicAndCondition) {
  const Case cases[] = {
      {"1<2", 1, NumSuccess, ""},
      {"2<1", 0, NumSuccess, ""},
      {"1<=1", 1, NumSuccess, ""},
      {"2>=3", 0, NumSuccess, ""},
      {"3>2", 1, NumSuccess, ""},
      {"1<2<3", 1, NumSuccess, "<3"},
      {"2==2", 1, NumSuccess, ""},
      {"1!=1", 0, NumSuccess, ""},
      {"2==2==1", 1, NumSuccess, "==1"},
      {"1=1", 1, NumSuccess, "=1"},
      {"1!2", 1, NumSuccess, "!2"},
      {"1+1==2", 1, NumSuccess, ""},
      {"1&&0", 0, NumSuccess, ""},
      {"2&&3", 1, NumSuccess, ""},
      {"1||0", 1, NumSuccess, ""},
      {"0||0", 0, NumSuccess, ""},
      {"1&0", 1, NumSuccess, "&0"},
      {"0|1", 0, NumSuccess, "|1"},
      {"0&&0||1", 1, NumSuccess, ""},  // && binds tighter than ||
      {"1||0&&0", 1, NumSuccess, ""},
      {"1==1&&2>1", 1, NumSuccess, ""},
      {"(1>0)?10:20", 10, NumSuccess, ""},
      {"0?1:2", 2, NumSuccess, ""},
      {"1?2", 0, NumScanError, ""},
      {"1?2;3", 0, NumScanError, ";3"},
      {"1?2:3?4:5", 2, NumSuccess, "?4:5"},
      {"1?(0?3:4):5", 4, NumSuccess, ""},
      {"1?2:1/0", 0, NumDivByZero, ""},  // both branches are evaluated
      {"!0", 1, NumSuccess, ""},
      {"!5", 0, NumSuccess, ""},
      {"!0+1", 2, NumSuccess, ""},
      {"!!1", 0, NumNoFloatNumber, "!1"},
  };
  check(cases, std::size(cases));
}

TEST(NumioFloatGrammar, FunctionsAndTheirErrors) {
  const Case cases[] = {
      {"pow(-8,1/3)", 0, NumDomainError, ""},
      {"pow(-2,3)", -8, NumSuccess, ""},
      {"pow(-2,-2)", 0.25, NumSuccess, ""},
      {"pow(0,0)", 1, NumSuccess, ""},
      {"pow(-5,0)", 1, NumSuccess, ""},
      {"pow(0,2)", 0, NumSuccess, ""},
      {"pow(0,-1)", 0, NumDomainError, ""},
      {"pow(2,-1)", 0.5, NumSuccess, ""},
      {"pow(2,0.5)", std::pow(2.0, 0.5), NumSuccess, ""},
      {"sqrt(-1)", 0, NumDomainError, ""},
      {"sqrt(16)", 4, NumSuccess, ""},
      {"log(0)", 0, NumDomainError, ""},
      {"log10(-1)", 0, NumDomainError, ""},
      {"log10(1000)", 3, NumSuccess, ""},
      {"log(e)", std::log(2.718281828459045), NumSuccess, ""},
      {"asin(2)", 0, NumDomainError, ""},
      {"acos(-1.5)", 0, NumDomainError, ""},
      {"acos(-1)", std::acos(-1.0), NumSuccess, ""},
      {"pi()", 3.141592653589793, NumSuccess, ""},
      {"pi", 3.141592653589793, NumSuccess, ""},
      {"pi(1)", 0, NumBadParenthesis, "1)"},
      {"atan2(1,0)", std::atan2(1.0, 0.0), NumSuccess, ""},
      {"atan(1)", std::atan(1.0), NumSuccess, ""},
      {"atan2(1 0)", 0, NumCommaExpected, " 0)"},
      {"sin(1,2)", 0, NumBadParenthesis, ",2)"},
      {"sin(", 0, NumNoFloatNumber, ""},
      {"foo(1)", 0, NumNoFloatFunction, "foo(1)"},
      {"xyz(1)", 0, NumNoFloatFunction, "xyz(1)"},
      {"Sin(1)", 0, NumNoFloatFunction, "Sin(1)"},
      {"sin(1)*cos(2)+tan(0.5)", std::sin(1.0) * std::cos(2.0) + std::tan(0.5), NumSuccess, ""},
      {"sinh(1)-cosh(1)+tanh(1)", std::sinh(1.0) - std::cosh(1.0) + std::tanh(1.0), NumSuccess, ""},
      {"abs(-3)", 3, NumSuccess, ""},
      {"floor(-2.5)", -3, NumSuccess, ""},
      {"ceil(-2.5)", -2, NumSuccess, ""},
      {"round(2.5)", 3, NumSuccess, ""},
      {"round(-2.5)", -2, NumSuccess, ""},
      {"min(1,2)", 1, NumSuccess, ""},
      {"max(1,2)", 2, NumSuccess, ""},
      {"min(3,-3)", -3, NumSuccess, ""},
      {"rad(180)", 180 * 0.017453292519943295, NumSuccess, ""},
      {"deg(pi)", 3.141592653589793 * 57.29577951308232, NumSuccess, ""},
      {"90_deg==rad(90)", 1, NumSuccess, ""},
      {"gamma(5)", 24, NumSuccess, ""},
      {"gamma(0.5)", 1.7724538186708332, NumSuccess, ""},
      {"gamma(0)", DBL_MAX, NumSuccess, ""},
      {"gamma", 0.5772156649015329, NumSuccess, ""},
      {"degC2K(0)", 273.15, NumSuccess, ""},
      {"K2degC(0)", -273.15, NumSuccess, ""},
      {"degF2K(32)", 273.15, NumSuccess, ""},
      {"K2degF(273.15)", 32, NumSuccess, ""},
      {"degC2degF(100)", 212, NumSuccess, ""},
      {"degF2degC(212)", (212.0 - 32.0) * 0.5555555555555556, NumSuccess, ""},
      {"degK2K(5)+K2degK(6)", 11, NumSuccess, ""},
      {"(double)7/2", 3.5, NumSuccess, ""},
      {"(double)(7/2)", 3, NumSuccess, ""},
      {"(double)(round)2.5", 3, NumSuccess, ""},
      {"(double)2.5", 2, NumSuccess, ".5"},
      {"(double)", 0, NumNoFloatNumber, ""},
  };
  check(cases, std::size(cases));
}

TEST(NumioFloatGrammar, ConstantsAndUnits) {
  const Case cases[] = {
      {"1.5_mm", 1.5 * 0.001, NumSuccess, ""},
      {"1_km/1_hr", (1.0 * 1000.0) / (1.0 * 3600.0), NumSuccess, ""},
      {"3_mm/2_s", (3 * 0.001) / (2 * 1.0), NumSuccess, ""},
      {"2*3_mm", 2 * (3 * 0.001), NumSuccess, ""},
      {"3_(m+1)", 6, NumSuccess, ""},
      {"1e3_mm", 1, NumSuccess, ""},
      {"5mm", 5, NumSuccess, "mm"},
      {"mmm", 0.001, NumSuccess, "m"},
      {"kgx", 0.001 * 1e3, NumSuccess, "x"},
      {"nmi", 1852, NumSuccess, ""},
      {"nm", 1e-9, NumSuccess, ""},
      {"ps", 1e-12, NumSuccess, ""},
      {"p", 0.00980665, NumSuccess, ""},
      {"2_keV", 2 * (1.60217653e-19 * 1e3), NumSuccess, ""},
      {"ga", 9.80665, NumSuccess, ""},
      {"e", 2.718281828459045, NumSuccess, ""},
      {"inf", DBL_MAX, NumSuccess, ""},
      {"c", 299792458, NumSuccess, ""},
      {"1__mm", 0, NumNoVariable, "mm"},
      {"", 0, NumNoFloatNumber, ""},
      {"   ", 0, NumNoFloatNumber, ""},
      {"xyz", 0, NumNoFloatNumber, "xyz"},
      {"1_", 0, NumNoFloatNumber, ""},
      {"_x", 0, NumNoVariable, "x"},
  };
  check(cases, std::size(cases));
}

TEST(NumioFloatGrammar, NullTextAndNullOutputs) {
  const char *tail = nullptr;
  int err = -1;
  EXPECT_EQ(num_str2double(nullptr, &tail, &err), 0.0);
  EXPECT_EQ(err, NumNoFloatNumber);
  ASSERT_NE(tail, nullptr);
  EXPECT_STREQ(tail, "");
  EXPECT_EQ(num_str2double("2+2", nullptr, nullptr), 4.0);
}

TEST(NumioFloatGrammar, DeepNestingIsRefusedNotACrash) {
  // Within the bound: evaluated.
  std::string ok = std::string(200, '(') + "1" + std::string(200, ')');
  int err = -1;
  EXPECT_EQ(num_str2double(ok.c_str(), nullptr, &err), 1.0);
  EXPECT_EQ(err, NumSuccess);

  // Far beyond it: refused at the first level past the bound.
  for (std::size_t depth : {std::size_t(NumMaxLevel + 5), std::size_t(100000)}) {
    std::string deep = std::string(depth, '(') + "1" + std::string(depth, ')');
    const char *tail = nullptr;
    EXPECT_EQ(num_str2double(deep.c_str(), &tail, &err), 0.0);
    EXPECT_EQ(err, NumBadParenthesis) << depth;
    EXPECT_EQ(tail - deep.c_str(), NumMaxLevel + 1) << depth;
  }

  std::string calls;
  for (int i = 0; i < 5000; ++i) calls += "sin(";
  EXPECT_EQ(num_str2double(calls.c_str(), nullptr, &err), 0.0);
  EXPECT_EQ(err, NumBadParenthesis);

  std::string casts;
  for (int i = 0; i < 5000; ++i) casts += "(double)(round)";
  casts += "1";
  EXPECT_EQ(num_str2double(casts.c_str(), nullptr, &err), 0.0);
  EXPECT_EQ(err, NumBadParenthesis);
  casts = "(double)(round)(double)(round)(double)(round)2.5";
  EXPECT_EQ(num_str2double(casts.c_str(), nullptr, &err), 3.0);
  EXPECT_EQ(err, NumSuccess);
}

TEST(NumioFloatGrammar, LongTextsAndGarbage) {
  std::string sum = "1";
  for (int i = 0; i < 100000; ++i) sum += "+1";
  int err = -1;
  EXPECT_EQ(num_str2double(sum.c_str(), nullptr, &err), 100001.0);
  EXPECT_EQ(err, NumSuccess);

  std::string product = "1";
  for (int i = 0; i < 20000; ++i) product += "_1";
  EXPECT_EQ(num_str2double(product.c_str(), nullptr, &err), 1.0);

  std::string digits(5000, '9');
  const char *tail = nullptr;
  EXPECT_EQ(num_str2double(digits.c_str(), &tail, &err), HUGE_VAL);
  EXPECT_EQ(*tail, '\0');

  // Every byte value at the start of an expression and after an operator
  // gives an orderly result.
  for (int c = 1; c < 256; ++c) {
    const char text[] = {static_cast<char>(c), '(', static_cast<char>(c), ')', '\0'};
    const char after[] = {'1', '+', static_cast<char>(c), '\0'};
    num_str2double(text, &tail, &err);
    EXPECT_GE(err, NumSuccess);
    EXPECT_LE(err, NumBadUnit);
    num_str2double(after, &tail, &err);
    EXPECT_GE(err, NumSuccess);
    EXPECT_LE(err, NumBadUnit);
  }
}

TEST(NumioErrorTexts, TextsAndCutting) {
  char buf[64];
  struct {
    int errval;
    const char *text;
  } cases[] = {
      {NumSuccess, "success"},
      {NumScanError, "error scanning expression"},
      {NumNoFloatFunction, "unknown float function in expression"},
      {NumVariableError, "unknown error value"},
      {NumNoAccumulator, "not enough program registers"},
      {NumBadUnit, "bad unit"},
      {99, "unknown error value"},
      {-1, "unknown error value"},
  };
  for (const auto &c : cases) EXPECT_STREQ(num_errval2str(buf, sizeof buf, c.errval), c.text) << c.errval;
  char small[5];
  EXPECT_STREQ(num_errval2str(small, sizeof small, 0), "succ");
  EXPECT_EQ(num_errval2str(nullptr, 10, 0), nullptr);
  buf[0] = 'x';
  EXPECT_EQ(num_errval2str(buf, 0, 0), nullptr);
  EXPECT_EQ(buf[0], 'x');
}

TEST(NumioMisc, VersionAndCaseInsensitiveCompare) {
  EXPECT_STREQ(numio_version(), "numio : V1.42 Tessmor 2015-12-08");
  EXPECT_EQ(num_strncasecmp("TRUE", "true", 4), 0);
  EXPECT_EQ(num_strncasecmp("Yesterday", "yes", 3), 0);
  EXPECT_LT(num_strncasecmp("tr", "true", 4), 0);
  EXPECT_GT(num_strncasecmp("true", "tr", 4), 0);
  EXPECT_LT(num_strncasecmp("abc", "abd", 3), 0);
  EXPECT_EQ(num_strncasecmp("abc", "abd", 2), 0);
  EXPECT_EQ(num_strncasecmp(nullptr, "", 3), 0);
}
