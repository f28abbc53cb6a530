// Positional arguments: command-line words, prompts, history and messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rylpack/reference.h"
#include "rylpack/rylio.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_option.h"

namespace {

// A program after its options: argv[0] and the positional words, the index
// at 0, prompting as asked and answers from a temporary file.
struct Dialogue {
  CmdBlk cb;
  ImgBlk ib[3];
  std::vector<std::string> words;
  std::vector<char *> argv;
  int arg_no = 0;
  FILE *in = nullptr;
  int status = -99;

  Dialogue(std::vector<std::string> w, int prompt, const std::string &typed = "")
      : words(std::move(w)) {
    words.insert(words.begin(), "prog");
    for (auto &s : words) argv.push_back(s.data());
    argv.push_back(nullptr);
    InitOptions("<in> <out>", "prog V1", nullptr, 1, &cb, ib, 3);
    cb.MainName = argv[0];
    cb.argc = static_cast<int>(words.size());
    cb.argv = argv.data();
    cb.parg_no = &arg_no;
    cb.Prompt.V = prompt;
    in = std::tmpfile();
    std::fwrite(typed.data(), 1, typed.size(), in);
    std::rewind(in);
    cb.infile = in;
  }
  ~Dialogue() { std::fclose(in); }
  Dialogue(const Dialogue &) = delete;
  Dialogue &operator=(const Dialogue &) = delete;
};

template <class F>
std::string printed(F fn) {
  testing::internal::CaptureStdout();
  fn();
  return testing::internal::GetCapturedStdout();
}

std::string history() {
  const char *line = ryl_history_argv_line(ViloHistoryKey);
  return line ? line : "<none>";
}

std::string short_history() {
  ryl_history_argv_shorten(ViloHistoryKey);
  return history();
}

class ArgvTest : public testing::Test {
 protected:
  void SetUp() override {
    ViloError_init();
    ryl_history_new(ViloHistoryKey);
  }
  void TearDown() override {
    ryl_free_all();
    ViloError_init();
  }
};

// ---- words on the command line, no prompting ---------------------------------

TEST_F(ArgvTest, LongFromWords) {
  struct Case {
    const char *word;       // null: no word left
    rlong start; int start_flag;
    rlong value; int flag;
    const char *out, *hist;
  } cases[] = {
      {"5", 0, 0, 5, 1, "", "5"},
      {"2*3#six", 0, 0, 6, 1, "", "6"},
      {"=", 0, 0, 7, 1, "", "7"},              // keeps the default
      {"=", 9, -1, 9, 1, "", "9"},             // keeps what an option set
      {"...", 0, 0, 7, 0, "... skipped\n", "..."},
      {"...", 9, -1, 9, -1, "... skipped\n", "9"},   // flag stays as the option left it
      {nullptr, 0, 0, 7, 1, "", "7"},          // missing: the default counts as given
  };
  for (const auto &c : cases) {
    ryl_history_new(ViloHistoryKey);
    Dialogue d(c.word ? std::vector<std::string>{c.word} : std::vector<std::string>{}, 0);
    IO_long field{c.start, c.start_flag};
    std::string out = printed([&] { argv_long(&d.cb, "First image", &field, 7, &d.status); });
    const char *w = c.word ? c.word : "(none)";
    EXPECT_EQ(d.status, Success) << w;
    EXPECT_EQ(d.arg_no, 1) << w;
    EXPECT_EQ(field.V, c.value) << w;
    EXPECT_EQ(field.I, c.flag) << w;
    EXPECT_EQ(out, c.out) << w;
    EXPECT_EQ(history(), c.hist) << w;
  }
}

TEST_F(ArgvTest, BadWordStopsWithItsStatusAndNamesTheWord) {
  Dialogue d({"1x"}, 0);
  IO_long field{3, 0};
  std::string out = printed([&] { argv_long(&d.cb, "First image", &field, 4, &d.status); });
  EXPECT_EQ(d.status, ScanError);
  EXPECT_EQ(field.I, 0);
  EXPECT_EQ(out, "");
  EXPECT_EQ(history(), "");
  ViloErrBlk rec = ViloErrorRecord();
  ASSERT_TRUE(rec.ModuleName && rec.RoutineName && rec.Message);
  EXPECT_STREQ(rec.ModuleName, "ViloOption");
  EXPECT_STREQ(rec.RoutineName, "argv_long");
  EXPECT_STREQ(rec.Message, "1x");

  Dialogue e({"..5"}, 0);
  IO_float f{0.0f, 0};
  printed([&] { argv_float(&e.cb, "Value", &f, 1.0f, &e.status); });
  EXPECT_NE(e.status, Success);
  EXPECT_STREQ(ViloErrorRecord().RoutineName, "argv_float");
  EXPECT_STREQ(ViloErrorRecord().Message, "..5");
}

TEST_F(ArgvTest, EveryWordGivenAsksNothingAndRecordsEverything) {
  Dialogue d({"a.ryl", "b c", "5", "0.25", "[Dummy]+1", "2*4", "1"}, 0);
  IO_line name{"", 0}, title{"", 0};
  IO_long first{0, 0}, flag{0, 0};
  IO_float factor{0.0f, 0};
  IO_flexp dummy{"0.0", 0};
  IO_lvexp dim{"", 0};
  std::string out = printed([&] {
    argv_line(&d.cb, "Input", &name, "input.ryl", &d.status);
    ASSERT_EQ(d.status, Success);
    argv_line(&d.cb, "Title", &title, "", &d.status);
    ASSERT_EQ(d.status, Success);
    argv_long(&d.cb, "First", &first, 1, &d.status);
    ASSERT_EQ(d.status, Success);
    argv_float(&d.cb, "Factor", &factor, 1.0f, &d.status);
    ASSERT_EQ(d.status, Success);
    argv_flexp(&d.cb, "Dummy", &dummy, "", &d.status);
    ASSERT_EQ(d.status, Success);
    argv_lvexp(&d.cb, "Dim", &dim, "", &d.status);
    ASSERT_EQ(d.status, Success);
    argv_flag(&d.cb, "Flag", &flag, 0, &d.status);
    ASSERT_EQ(d.status, Success);
  });
  EXPECT_EQ(out, "");
  EXPECT_EQ(d.arg_no, 7);
  EXPECT_STREQ(name.V, "a.ryl");
  EXPECT_STREQ(title.V, "b c");
  EXPECT_EQ(first.V, 5);
  EXPECT_EQ(factor.V, 0.25f);
  EXPECT_STREQ(dummy.V, "[Dummy]+1");   // expressions stay texts
  EXPECT_STREQ(dim.V, "2*4");
  EXPECT_EQ(flag.V, 1);
  for (int i : {name.I, title.I, first.I, factor.I, dummy.I, dim.I, flag.I}) EXPECT_EQ(i, 1);
  // Brackets and stars are quoted in the history line.
  EXPECT_EQ(history(), "a.ryl \"b c\" 5 0.25 \"[Dummy]+1\" \"2*4\" 1");
}

TEST_F(ArgvTest, ExpressionFieldLeftEmptyGetsItsTextBack) {
  // "=" on the output dummy keeps the empty default, which finds the field
  // empty: the previous text comes back and the argument counts as skipped.
  Dialogue d({"=", "...", "="}, 0);
  IO_flexp dummy{"0.0", 0};
  IO_flexp factor{"1.0", 0};
  IO_lvexp dim{"", 0};
  std::string out = printed([&] {
    argv_flexp(&d.cb, "Output dummy", &dummy, "", &d.status);
    EXPECT_EQ(d.status, Success);
    argv_flexp(&d.cb, "Multiplication factor", &factor, "1.0", &d.status);
    EXPECT_EQ(d.status, Success);
    argv_lvexp(&d.cb, "Output dimension 1", &dim, "", &d.status);
    EXPECT_EQ(d.status, Success);
  });
  EXPECT_STREQ(dummy.V, "0.0");
  EXPECT_EQ(dummy.I, 0);
  EXPECT_STREQ(factor.V, "1.0");
  EXPECT_EQ(factor.I, 0);
  EXPECT_STREQ(dim.V, "");
  EXPECT_EQ(dim.I, 0);
  EXPECT_EQ(out, "... skipped\n... skipped\n... skipped\n");
  EXPECT_EQ(history(), "... ... ...");
}

TEST_F(ArgvTest, FlagWordsBecomeZeroOrOne) {
  struct Case { const char *word; int status; rlong value; } cases[] = {
      {"7", Success, 1}, {"0", Success, 0}, {"-1", Success, 1}, {"yes", Success, 1},
      {"false", Success, 0}, {"2-2", Success, 0},
      {"y", NoFloatNumber, 5},   // single letters are answers, not words
  };
  for (const auto &c : cases) {
    ryl_history_new(ViloHistoryKey);
    Dialogue d({c.word}, 0);
    IO_long field{5, -1};
    printed([&] { argv_flag(&d.cb, "Flag", &field, 0, &d.status); });
    EXPECT_EQ(d.status, c.status) << c.word;
    EXPECT_EQ(field.V, c.value) << c.word;
  }
}

// ---- prompting ---------------------------------------------------------------

TEST_F(ArgvTest, PromptedLongAnswers) {
  struct Case {
    const char *word;      // null: no word
    const char *typed;
    int status;
    rlong value; int flag;
    const char *out, *hist, *short_hist;
  } cases[] = {
      {nullptr, "12\n", Success, 12, 1, "First [3] : ", "12", "12"},
      {nullptr, "12 # twelve\n", Success, 12, 1, "First [3] : ", "12", "12"},
      {nullptr, "\n", Success, 3, 1, "First [3] : ", "3", "3"},
      {nullptr, "", Success, 3, 1, "First [3] : ", "3", "3"},     // end of input
      {"5", "\n", Success, 5, 1, "First [5] : ", "5", "5"},       // the word is the default
      {"5", "8\n", Success, 8, 1, "First [5] : ", "8", "8"},
      {"...", "\n", Success, 3, 1, "First [3] : ", "3", "3"},     // the answer gives it again
      {nullptr, "...\n", Success, 3, 0, "First [3] : ... skipped\n", "...", ""},
      {nullptr, " ...\n", NoFloatNumber, 3, 0, "First [3] : ", "", ""},
      {nullptr, "$EOD\n", Abort, 3, 0, "First [3] : ", "", ""},
      {nullptr, "\\\\\n", Abort, 3, 0, "First [3] : ", "", ""},
  };
  for (const auto &c : cases) {
    ryl_history_new(ViloHistoryKey);
    Dialogue d(c.word ? std::vector<std::string>{c.word} : std::vector<std::string>{}, 1, c.typed);
    IO_long field{0, 0};
    std::string out = printed([&] { argv_long(&d.cb, "First", &field, 3, &d.status); });
    const std::string label = std::string(c.word ? c.word : "(none)") + " / '" + c.typed + "'";
    EXPECT_EQ(d.status, c.status) << label;
    EXPECT_EQ(field.V, c.value) << label;
    EXPECT_EQ(field.I, c.flag) << label;
    EXPECT_EQ(out, c.out) << label;
    EXPECT_EQ(history(), c.hist) << label;
    EXPECT_EQ(short_history(), c.short_hist) << label;
  }
}

// A missing word that is not answered stays out of the short form of the
// history line; an answered one goes in.
TEST_F(ArgvTest, MissingWordsLeaveTheShortForm) {
  Dialogue d({"in.ryl"}, 0);
  IO_line name{"", 0}, out_name{"", 0};
  IO_long first{0, 0};
  printed([&] {
    argv_line(&d.cb, "Input", &name, "input.ryl", &d.status);
    argv_line(&d.cb, "Output", &out_name, "output.ryl", &d.status);
    argv_long(&d.cb, "First", &first, 1, &d.status);
  });
  EXPECT_EQ(out_name.I, 1);
  EXPECT_EQ(history(), "in.ryl output.ryl 1");
  EXPECT_EQ(short_history(), "in.ryl");

  ryl_history_new(ViloHistoryKey);
  Dialogue p({"in.ryl"}, 1, "\nout.ryl\n");
  printed([&] {
    argv_line(&p.cb, "Input", &name, "input.ryl", &p.status);
    argv_line(&p.cb, "Output", &out_name, "output.ryl", &p.status);
  });
  EXPECT_EQ(short_history(), "in.ryl out.ryl");
}

TEST_F(ArgvTest, PromptedTexts) {
  struct Case {
    int expression;   // 0 argv_line, 1 argv_flexp
    const char *start; int start_flag;
    const char *typed;
    const char *value; int flag;
    const char *out, *hist;
  } cases[] = {
      {0, "", 0, "\n", "dflt", 1, "Name [dflt] : ", "dflt"},
      {0, "", 0, "$nul\n", "", 1, "Name [dflt] : ", "\"\""},
      {0, "", 0, "$NIX\n", "", 1, "Name [dflt] : ", "\"\""},
      {0, "", 0, "a  b # c\n", "a b", 1, "Name [dflt] : ", "\"a b\""},
      {0, "opt", -1, "\n", "opt", 1, "Name [opt] : ", "opt"},
      {1, "0.0", 0, "\n", "dflt", 1, "Name [dflt] : ", "dflt"},
      {1, "0.0", 0, "-1\n", "-1", 1, "Name [dflt] : ", "-1"},
      {1, "0.0", 0, "$nul\n", "0.0", 0, "Name [dflt] : ... skipped\n", "..."},
      // A skip leaves the default in the field with flag 0.
      {1, "0.0", 0, "...\n", "dflt", 0, "Name [dflt] : ... skipped\n", "..."},
      {0, "opt", -1, "...\n", "opt", -1, "Name [opt] : ... skipped\n", "opt"},
  };
  for (const auto &c : cases) {
    ryl_history_new(ViloHistoryKey);
    Dialogue d({}, 1, c.typed);
    std::string out;
    const char *value;
    int flag;
    IO_line line;
    IO_flexp flexp;
    if (c.expression) {
      std::strcpy(flexp.V, c.start);
      flexp.I = c.start_flag;
      out = printed([&] { argv_flexp(&d.cb, "Name", &flexp, "dflt", &d.status); });
      value = flexp.V;
      flag = flexp.I;
    } else {
      std::strcpy(line.V, c.start);
      line.I = c.start_flag;
      out = printed([&] { argv_line(&d.cb, "Name", &line, "dflt", &d.status); });
      value = line.V;
      flag = line.I;
    }
    EXPECT_EQ(d.status, Success) << c.typed;
    EXPECT_STREQ(value, c.value) << c.typed;
    EXPECT_EQ(flag, c.flag) << c.typed;
    EXPECT_EQ(out, c.out) << c.typed;
    EXPECT_EQ(history(), c.hist) << c.typed;
  }
}

// An expression question with an empty field offers no default; an empty
// answer (or the end of the input) then skips it instead of failing.
TEST_F(ArgvTest, EmptyExpressionQuestionIsSkipped) {
  for (const char *typed : {"\n", "", "  # nothing\n"}) {
    ryl_history_new(ViloHistoryKey);
    Dialogue d({}, 1, typed);
    IO_flexp dummy{"0.0", 0};
    IO_lvexp dim{"7", 0};
    std::string out = printed([&] {
      argv_flexp(&d.cb, "Output dummy, e.g. 0", &dummy, "", &d.status);
      EXPECT_EQ(d.status, Success);
      argv_lvexp(&d.cb, "Output dimension 1, e.g. 10", &dim, "", &d.status);
      EXPECT_EQ(d.status, Success);
    });
    EXPECT_STREQ(dummy.V, "0.0") << typed;
    EXPECT_EQ(dummy.I, 0);
    EXPECT_STREQ(dim.V, "7") << typed;
    EXPECT_EQ(dim.I, 0);
    EXPECT_EQ(out, "Output dummy, e.g. 0 : ... skipped\nOutput dimension 1, e.g. 10 : ... skipped\n")
        << typed;
    EXPECT_EQ(history(), "... ...");
  }
}

TEST_F(ArgvTest, PromptedAbortLeavesTheField) {
  Dialogue d({}, 1, "$Exit\n");
  IO_line name{"keep", -1};
  printed([&] { argv_line(&d.cb, "Name", &name, "dflt", &d.status); });
  EXPECT_EQ(d.status, Abort);
  EXPECT_STREQ(name.V, "keep");
  EXPECT_EQ(name.I, -1);
  EXPECT_EQ(history(), "");
}

TEST_F(ArgvTest, PromptedFlagAnswers) {
  struct Case { rlong start; const char *typed; int status; rlong value; const char *out; } cases[] = {
      {0, "y\n", Success, 1, "Flag [FALSE] : "},
      {0, "T\n", Success, 1, "Flag [FALSE] : "},
      {0, "1\n", Success, 1, "Flag [FALSE] : "},
      {1, "n\n", Success, 0, "Flag [TRUE] : "},
      {1, "F # no\n", Success, 0, "Flag [TRUE] : "},
      {1, "0\n", Success, 0, "Flag [TRUE] : "},
      {0, "\n", Success, 0, "Flag [FALSE] : "},
      {1, "\n", Success, 1, "Flag [TRUE] : "},
      {0, "TRUE\n", Success, 1, "Flag [FALSE] : "},
      {1, "No\n", Success, 0, "Flag [TRUE] : "},
      {0, "2+3\n", Success, 1, "Flag [FALSE] : "},
      {0, "x\n", NoFlag, 0, "Flag [FALSE] : "},
      {0, "5\n", NoFlag, 0, "Flag [FALSE] : "},
      {0, "maybe\n", ScanError, 0, "Flag [FALSE] : "},
  };
  for (const auto &c : cases) {
    ryl_history_new(ViloHistoryKey);
    Dialogue d({}, 1, c.typed);
    IO_long field{c.start, -1};
    std::string out = printed([&] { argv_flag(&d.cb, "Flag", &field, 0, &d.status); });
    EXPECT_EQ(d.status, c.status) << c.typed;
    EXPECT_EQ(field.V, c.value) << c.typed;
    EXPECT_EQ(out, c.out) << c.typed;
    if (c.status == Success) {
      EXPECT_EQ(history(), c.value ? "1" : "0") << c.typed;
    }
  }
}

// ---- coordinates and distances -----------------------------------------------

// User system: offset -10, pixel size 0.5; reference: offset 2, pixel size 4.
// User coordinate 4 is kept as 4 * (2 + 4/0.5 + 10) = 80 and shown back as 4.
TEST_F(ArgvTest, CoordinatesAreKeptInTheReferenceSystem) {
  Dialogue d({"4"}, 0);
  IO_float c{0.0f, 0};
  std::string quiet = printed(
      [&] { argv_coord(&d.cb, IO_Array, 2.0f, 4.0f, IO_Center, -10.0f, 0.5f, "Row", &c, 0.0f, &d.status); });
  EXPECT_EQ(quiet, "");   // the system line belongs to the question
  EXPECT_EQ(d.status, Success);
  EXPECT_EQ(c.V, 80.0f);
  EXPECT_EQ(c.I, 1);
  EXPECT_EQ(history(), "4");

  // Prompted: the default is shown in user units, the answer converted back.
  ryl_history_new(ViloHistoryKey);
  Dialogue p({}, 1, "\n6\n");
  IO_float e{0.0f, 0};
  std::string out = printed([&] {
    argv_coord(&p.cb, IO_Array, 2.0f, 4.0f, IO_Center, -10.0f, 0.5f, "Row 1", &c, 0.0f, &p.status);
    argv_coord(&p.cb, IO_Array, 2.0f, 4.0f, IO_Center, -10.0f, 0.5f, "Row 2", &e, 80.0f, &p.status);
  });
  EXPECT_EQ(c.V, 80.0f);   // the default offered was 4, taken back as 80
  EXPECT_EQ(e.V, 4.0f * (2.0f + 6.0f / 0.5f + 10.0f));
  EXPECT_EQ(out,
            "Input reference system is Center\nRow 1 [4] : "
            "Input reference system is Center\nRow 2 [4] : ");
  EXPECT_EQ(history(), "4 6");
}

TEST_F(ArgvTest, DistancesScaleByThePixelSizes) {
  Dialogue d({"3", "="}, 1, "\n1.5\n");
  IO_float a{0.0f, 0}, b{0.0f, 0};
  std::string out = printed([&] {
    argv_dist(&d.cb, IO_Array, 7.0f, 2.0f, IO_Real, -3.0f, 0.5f, "Width", &a, 0.0f, &d.status);
    argv_dist(&d.cb, IO_Array, 7.0f, 2.0f, IO_Real, -3.0f, 0.5f, "Height", &b, 8.0f, &d.status);
  });
  EXPECT_EQ(d.status, Success);
  EXPECT_EQ(a.V, 12.0f);   // 2 / 0.5 * 3, the empty answer keeps it
  EXPECT_EQ(b.V, 6.0f);    // 2 / 0.5 * 1.5
  EXPECT_EQ(out,
            "Input reference system is Real\nWidth [3] : "
            "Input reference system is Real\nHeight [2] : ");
  EXPECT_EQ(history(), "3 1.5");
}

// ---- file names --------------------------------------------------------------

TEST_F(ArgvTest, FileNameWithImageNumbers) {
  Dialogue d({"in.ryl,3,7", "out.ryl"}, 0);
  std::string out = printed([&] {
    argv_filename(&d.cb, "Input sequence 1", d.ib, 1, "input.ryl", &d.status);
    EXPECT_EQ(d.status, Success);
    argv_filename(&d.cb, "Output sequence", d.ib, 0, "output.ryl", &d.status);
    EXPECT_EQ(d.status, Success);
  });
  EXPECT_EQ(out, "");
  EXPECT_STREQ(d.ib[1].Name.V, "in.ryl,3,7");
  EXPECT_EQ(d.ib[1].Name.I, 1);
  EXPECT_EQ(d.ib[1].First.V, 3);
  EXPECT_EQ(d.ib[1].First.I, 1);
  EXPECT_EQ(d.ib[1].Last.V, 7);
  EXPECT_EQ(d.ib[1].Last.I, 1);
  EXPECT_EQ(d.ib[1].Inc.I, 0);
  EXPECT_STREQ(d.ib[0].Name.V, "out.ryl");
  EXPECT_EQ(d.ib[0].First.I, 0);
  EXPECT_EQ(history(), "in.ryl,3,7 out.ryl");
}

TEST_F(ArgvTest, FileNameAnsweredOrSkipped) {
  Dialogue d({"..."}, 1, "\n$nul\n");
  std::string out = printed([&] {
    argv_filename(&d.cb, "Input sequence 1", d.ib, 1, "input.ryl", &d.status);
    argv_filename(&d.cb, "Input sequence 2", d.ib, 2, d.ib[1].Name.V, &d.status);
  });
  EXPECT_EQ(d.status, Success);
  EXPECT_STREQ(d.ib[1].Name.V, "input.ryl");
  EXPECT_STREQ(d.ib[2].Name.V, "");
  EXPECT_EQ(d.ib[2].Name.I, 1);
  EXPECT_EQ(out, "Input sequence 1 [input.ryl] : Input sequence 2 [input.ryl] : ");
}

TEST_F(ArgvTest, BadNumberAfterFileName) {
  Dialogue d({"in.ryl,x"}, 0);
  printed([&] { argv_filename(&d.cb, "Input sequence 1", d.ib, 1, "input.ryl", &d.status); });
  EXPECT_NE(d.status, Success);
  EXPECT_STREQ(ViloErrorRecord().RoutineName, "argv_filename");
}

// ---- debug lines -------------------------------------------------------------

TEST_F(ArgvTest, DebugLinesNameTheRoutineAndTheValue) {
  Dialogue d({"5", "0.5", "x.ryl", "..."}, 0);
  d.cb.TestBit = 1;
  IO_long n{0, 0};
  IO_float f{0.0f, 0};
  IO_line l{"", 0};
  IO_flexp e{"1.0", 0};
  std::string out = printed([&] {
    argv_long(&d.cb, "N", &n, 0, &d.status);
    argv_float(&d.cb, "F", &f, 0.0f, &d.status);
    argv_line(&d.cb, "L", &l, "", &d.status);
    argv_flexp(&d.cb, "E", &e, "1.0", &d.status);
  });
  EXPECT_EQ(out,
            " argv_long: argc = 5, arg_no = 1\nValue = 5\n"
            " argv_float: argc = 5, arg_no = 2\nValue = 0.5\n"
            " argv_line: argc = 5, arg_no = 3\nValue = x.ryl\n"
            " argv_flexp: argc = 5, arg_no = 4\n... skipped\n");
}

// ---- start and end -----------------------------------------------------------

TEST_F(ArgvTest, StartDecidesOnPromptingUnlessTheOptionWasGiven) {
  struct Case { int words; int arg_no; int narg; int opt_flag; rlong opt_value; rlong prompt; } cases[] = {
      {0, 0, 1, 0, 1, 1},    // nothing after the options: ask
      {1, 0, 1, 0, 1, 0},    // one word: take it, do not ask
      {3, 2, 1, 0, 1, 0},
      {3, 3, 1, 0, 0, 1},    // every word consumed by options
      {2, 0, 3, 0, 1, 1},    // fewer than narg words
      {3, 0, 3, 0, 1, 0},
      {0, 0, 1, -1, 0, 0},   // "-p" given: stays off
      {4, 0, 1, 1, 1, 1},    // "+p" given: stays on
  };
  for (const auto &c : cases) {
    std::vector<std::string> words(static_cast<std::size_t>(c.words), "w");
    Dialogue d(words, 1);
    d.arg_no = c.arg_no;
    d.cb.Prompt = {c.opt_value, c.opt_flag};
    argv_start(&d.cb, c.narg);
    EXPECT_EQ(d.cb.Prompt.V, c.prompt) << c.words << " words, arg_no " << c.arg_no << ", narg " << c.narg;
    EXPECT_EQ(d.cb.Prompt.I, c.opt_flag);
  }
}

TEST_F(ArgvTest, EndWarnsAboutSurplusWords) {
  Dialogue d({"a", "b", "c"}, 0);
  d.arg_no = 1;
  std::string out = printed([&] { argv_end(&d.cb); });
  EXPECT_EQ(out, "WARNING : prog : Too many arguments\nUsage: prog <in> <out>\n");
  EXPECT_EQ(d.arg_no, 4);

  Dialogue e({"a", "b"}, 0);
  e.arg_no = 2;
  out = printed([&] { argv_end(&e.cb); });
  EXPECT_EQ(out, "");
  EXPECT_EQ(e.arg_no, 3);
}

}  // namespace
