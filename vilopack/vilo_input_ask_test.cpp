// The question primitives: prompts, answer tokens and conversions.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "vilopack/vilo_error.h"
#include "vilopack/vilo_expression.h"
#include "vilopack/vilo_input.h"

namespace {

struct FileCloser {
  void operator()(FILE *f) const { if (f) std::fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// A stream that yields text, as the terminal would.
File answers(const std::string &text) {
  File f(std::tmpfile());
  if (f) {
    std::fwrite(text.data(), 1, text.size(), f.get());
    std::rewind(f.get());
  }
  return f;
}

// Runs fn with standard output captured and returns what it printed.
template <class F>
std::string printed(F fn) {
  testing::internal::CaptureStdout();
  fn();
  return testing::internal::GetCapturedStdout();
}

class AskTest : public testing::Test {
 protected:
  void SetUp() override { ViloError_init(); }
  void TearDown() override { ViloError_init(); }
};

TEST_F(AskTest, ChecksOnRawAnswers) {
  struct Case { const char *text; int abort, skip, null, dflt; } cases[] = {
      {"$exi\n", 1, 0, 0, 0},
      {"$EXIT please\n", 1, 0, 0, 0},
      {"$Eod", 1, 0, 0, 0},
      {" $eod\n", 0, 0, 0, 0},         // only the first four characters count
      {"\\\\\n", 1, 0, 0, 0},
      {"ab\\\\\n", 1, 0, 0, 0},        // backslashes at characters 3 and 4
      {"abc\\\\\n", 0, 0, 0, 0},       // the second one is the fifth character
      {"a\x04", 1, 0, 0, 0},
      {"a long answer \x04", 1, 0, 0, 0},
      {"...", 0, 1, 0, 0},
      {"...\n", 0, 1, 0, 0},
      {"...\r\n", 0, 0, 0, 0},         // two control characters
      {" ...\n", 0, 0, 0, 0},
      {"... \n", 0, 0, 0, 0},
      {"....\n", 0, 0, 0, 0},
      {"$nul\n", 0, 0, 1, 0},
      {"$NIX rest\n", 0, 0, 1, 0},
      {" $nul\n", 0, 0, 0, 0},
      {"\n", 0, 0, 0, 1},
      {"  \t # only a comment\n", 0, 0, 0, 1},
      {"", 0, 0, 0, 1},
      {"x # comment\n", 0, 0, 0, 0},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(AbortCheck(c.text), c.abort) << "abort '" << c.text << "'";
    EXPECT_EQ(SkipCheck(c.text), c.skip) << "skip '" << c.text << "'";
    EXPECT_EQ(NullCheck(c.text), c.null) << "null '" << c.text << "'";
    EXPECT_EQ(DefaultCheck(c.text), c.dflt) << "default '" << c.text << "'";
  }
  EXPECT_EQ(AbortCheck(nullptr), 0);
  EXPECT_EQ(SkipCheck(nullptr), 0);
  EXPECT_EQ(NullCheck(nullptr), 0);
  EXPECT_EQ(DefaultCheck(nullptr), 1);
}

TEST_F(AskTest, GetLineTokensAndDefaults) {
  struct Case {
    const char *input;
    int flag;
    const char *def;
    int status;
    const char *value;   // expected value; "<kept>" when it must stay untouched
  } cases[] = {
      {"abc\n", 1, "def", Success, "abc"},
      {"  a \t  b   # comment\n", 1, "def", Success, "a b"},
      {"\n", 1, "def", Success, "def"},
      {"# just a comment\n", 1, "def", Success, "def"},
      {"\n", 0, "def", NoDefault, "<kept>"},
      {"", 1, "def", Success, "def"},              // end of input: empty answer
      {"", 0, "def", NoDefault, "<kept>"},
      {"\n", 1, "...", SkipInput, "<kept>"},       // a default that skips
      {"\n", 1, nullptr, Success, ""},
      {"$EoD\n", 1, "def", Abort, "<kept>"},
      {"$exi\n", 0, "def", Abort, "<kept>"},
      {"x\\\\y\n", 1, "def", Abort, "<kept>"},
      {"xyz\x04\n", 1, "def", Abort, "<kept>"},
      {"abc\\\\\n", 1, "def", Success, "abc\\\\"},
      {"...\n", 1, "def", SkipInput, "<kept>"},
      {"...", 1, "def", SkipInput, "<kept>"},
      {" ...\n", 1, "def", Success, "..."},
      {"... \n", 1, "def", Success, "..."},
      {"$nul\n", 1, "def", Success, ""},
      {"$NIX\n", 0, "def", Success, ""},
      {" $nul\n", 1, "def", Success, "$nul"},
      {"first\nsecond\n", 1, "def", Success, "first"},
  };
  for (const auto &c : cases) {
    File in = answers(c.input);
    ASSERT_TRUE(in);
    char value[BufLen] = "<kept>";
    int status = -99;
    printed([&] { status = GetLine(in.get(), value, c.flag, "Q", c.def); });
    EXPECT_EQ(status, c.status) << "'" << c.input << "'";
    EXPECT_STREQ(value, c.value) << "'" << c.input << "'";
  }
}

TEST_F(AskTest, PromptShowsTheDefaultOnlyWithFlag) {
  struct Case { int flag; const char *out; } cases[] = {
      {1, "Input sequence 1 [in.ryl] : "},
      {0, "Input sequence 1 : "},
  };
  for (const auto &c : cases) {
    File in = answers("x\n");
    char value[BufLen];
    std::string out = printed([&] { GetLine(in.get(), value, c.flag, "Input sequence 1", "in.ryl"); });
    EXPECT_EQ(out, c.out);
  }
}

TEST_F(AskTest, AnswerMayBeReadIntoItsDefault) {
  char field[BufLen] = "old.ryl";
  File in = answers("\nnew.ryl\n");
  std::string out = printed([&] {
    EXPECT_EQ(GetLine(in.get(), field, 1, "Name", field), Success);
    EXPECT_STREQ(field, "old.ryl");
    EXPECT_EQ(GetLine(in.get(), field, 1, "Name", field), Success);
  });
  EXPECT_STREQ(field, "new.ryl");
  EXPECT_EQ(out, "Name [old.ryl] : Name [old.ryl] : ");
}

// A line longer than the buffer is cut and its rest dropped: the rest must
// never come back as the next answer.
TEST_F(AskTest, LongLinesAreCutAndTheirRestDropped) {
  for (std::size_t len : {1022u, 1023u, 1024u, 1025u, 3000u}) {
    std::string line(len, 'a');
    line[len - 1] = 'z';
    File in = answers(line + "\nnext\n");
    char value[BufLen];
    printed([&] {
      ASSERT_EQ(GetLine(in.get(), value, 1, "Q", "d"), Success) << len;
      EXPECT_EQ(std::strlen(value), std::min<std::size_t>(len, InputLineLength)) << len;
      EXPECT_EQ(value[0], 'a');
      ASSERT_EQ(GetLine(in.get(), value, 1, "Q", "d"), Success) << len;
      EXPECT_STREQ(value, "next") << len;
    });
  }
}

TEST_F(AskTest, EndOfTransmissionInTheDroppedRestStillAborts) {
  std::string line(2000, 'a');
  line[1500] = '\x04';
  File in = answers(line + "\n");
  char value[BufLen] = "<kept>";
  printed([&] { EXPECT_EQ(GetLine(in.get(), value, 1, "Q", "d"), Abort); });
  EXPECT_STREQ(value, "<kept>");
}

TEST_F(AskTest, GetStringReturnsTheText) {
  struct Case { const char *input; int flag; int status; const char *value; } cases[] = {
      {"a  b\n", 1, Success, "a b"},
      {"\n", 1, Success, "dflt"},
      {"$nul\n", 1, Success, ""},
      {"\n", 0, NoDefault, "<kept>"},
      {"...\n", 1, SkipInput, "<kept>"},
  };
  for (const auto &c : cases) {
    File in = answers(c.input);
    std::string value = "<kept>";
    int status = -99;
    std::string out = printed([&] { status = GetString(in.get(), &value, c.flag, "S", "dflt"); });
    EXPECT_EQ(status, c.status) << c.input;
    EXPECT_EQ(value, c.value) << c.input;
    EXPECT_EQ(out, c.flag ? "S [dflt] : " : "S : ");
  }
}

TEST_F(AskTest, GetLongConvertsIntegerExpressions) {
  struct Case { const char *input; int flag; int status; rlong value; } cases[] = {
      {"5\n", 1, Success, 5},
      {" 2 * 3 # six\n", 1, Success, 6},
      {"-4\n", 1, Success, -4},
      {"\n", 1, Success, -3},                 // the default
      {"", 1, Success, -3},                   // end of input
      {"\n", 0, NoDefault, 99},
      {"...\n", 1, SkipInput, 99},
      {"$eod\n", 1, Abort, 99},
      {"(1\n", 1, BadParenthesis, 99},
      {"12abc\n", 1, ScanError, 99},
  };
  for (const auto &c : cases) {
    File in = answers(c.input);
    rlong value = 99;
    int status = -99;
    std::string out = printed([&] { status = GetLong(in.get(), &value, c.flag, "First", -3); });
    EXPECT_EQ(status, c.status) << c.input;
    EXPECT_EQ(value, c.value) << c.input;
    EXPECT_EQ(out, c.flag ? "First [-3] : " : "First : ") << c.input;
  }
}

TEST_F(AskTest, NullTokenIsNoNumber) {
  File in = answers("$nul\n");
  rlong value = 99;
  int status = Success;
  printed([&] { status = GetLong(in.get(), &value, 1, "N", 1); });
  EXPECT_NE(status, Success);
  EXPECT_EQ(value, 99);
}

TEST_F(AskTest, FailedConversionNamesTheAnswer) {
  File in = answers("  7 apples # comment\n");
  float value = 0.0f;
  int status = Success;
  printed([&] { status = GetReal(in.get(), &value, 1, "Factor", 1.0f); });
  EXPECT_NE(status, Success);
  ASSERT_NE(ViloErrorRecord().Message, nullptr);
  EXPECT_STREQ(ViloErrorRecord().Message, "7 apples");
}

TEST_F(AskTest, FloatingPrimitivesRoundAndShowTheirDefault) {
  File in = answers("1/3\n1/3\n\n\n");
  float f = 0.0f;
  double d = 0.0;
  int i = 0;
  std::string out = printed([&] {
    EXPECT_EQ(GetReal(in.get(), &f, 1, "R", 0.1f), Success);
    EXPECT_EQ(GetDouble(in.get(), &d, 1, "D", 2.5e-7), Success);
    EXPECT_EQ(GetInteger(in.get(), &i, 1, "I", -12), Success);
  });
  EXPECT_EQ(f, static_cast<float>(1.0 / 3.0));
  EXPECT_EQ(d, 1.0 / 3.0);
  EXPECT_EQ(i, -12);
  EXPECT_EQ(out, "R [0.1] : D [2.5e-07] : I [-12] : ");

  File in2 = answers("\n");
  printed([&] { EXPECT_EQ(GetDouble(in2.get(), &d, 1, "D", 2.5e-7), Success); });
  EXPECT_EQ(d, 2.5e-7);
}

TEST_F(AskTest, GetIntegerTakesIntegerExpressions) {
  File in = answers("7 % 4\n1.5\n");
  int value = 0;
  printed([&] {
    EXPECT_EQ(GetInteger(in.get(), &value, 0, "I", 0), Success);
    EXPECT_EQ(value, 3);
    int status = GetInteger(in.get(), &value, 0, "I", 0);
    EXPECT_NE(status, Success);
  });
  EXPECT_EQ(value, 3);
}

}  // namespace
