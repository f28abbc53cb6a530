#include "vilopack/vilo_expression.h"

#include <gtest/gtest.h>

#include "vilopack/vilo_error.h"

namespace {

TEST(DoubleExpr, CleansTheTextAndChecksWhatIsLeft) {
  struct Case { const char *text; double value; int status; } cases[] = {
      {"2*3", 6.0, Success},
      {"2 * 3 # six", 6.0, Success},   // comment and blanks removed
      {"1 2", 12.0, Success},          // blanks go before evaluation
      {"1,5", 1.0, Success},           // stops at a following item
      {"\t1.5_mm", 1.5e-3, Success},
      {"2*3)", 0.0, BadParenthesis},
      {"2x", 0.0, Failed},              // trailing text
      {"sqrt(-1)", 0.0, DomainError},
      {"1/0", 0.0, DivByZero},
      {"foo(1)", 0.0, UnknownFloatFunction},
      {"", 0.0, NoFloatNumber},
  };
  for (const auto &c : cases) {
    int status = 12345;
    double v = doubleexpr(c.text, &status);
    EXPECT_EQ(status, c.status) << c.text;
    if (c.status == Success) {
      EXPECT_DOUBLE_EQ(v, c.value) << c.text;
    }
  }
}

TEST(FloatExpr, RoundsToSinglePrecision) {
  int status;
  EXPECT_EQ(floatexpr("0.1", &status), 0.1f);
  EXPECT_EQ(status, Success);
}

TEST(LongExpr, IntegerGrammar) {
  struct Case { const char *text; rlong value; int status; } cases[] = {
      {"12", 12, Success},
      {"7 / 2", 3, Success},
      {"2147483647+1", INT32_MIN, Success},
      {"(round)2.5", 3, Success},
      {"true", 1, Success},
      {"5,7", 5, Success},
      {"2.5", 0, ScanError},
      {"7%0", 0, DivByZero},
      {"(round)3e9", 0, IntegerOverflow},
      {"1)", 0, BadParenthesis},
  };
  for (const auto &c : cases) {
    int status = 12345;
    rlong v = longexpr(c.text, &status);
    EXPECT_EQ(status, c.status) << c.text;
    if (c.status == Success) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(LongExpr, NullTextIsEmpty) {
  int status = Success;
  longexpr(nullptr, &status);
  EXPECT_NE(status, Success);
}

}  // namespace
