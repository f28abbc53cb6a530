#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "rylpack/numio.h"

namespace {

// Parses `text` into `p` and runs it; returns the result (0.0 on error).
double parse_and_run(NumProg *p, const char *text, int *err, const char **tail = nullptr) {
  p->InstructionList.clear();
  const char *s = text;
  dpcondition(p, &s, 0, err);
  if (tail) *tail = s;
  if (*err) return 0.0;
  if (dpprogram_run(p, err) != 0) return 0.0;
  return p->CurrentAccumulator->Value;
}

}  // namespace

TEST(NumioProgram, RegistryNewReplacesAndFreeIsSafeTwice) {
  const int before = numprog_registry_size();
  NumProg *a = numprog_new("numio-test-a");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->Name, "numio-test-a");
  EXPECT_EQ(numprog_search_registry("numio-test-a"), a);
  EXPECT_EQ(numprog_registry_size(), before + 1);

  NumProg *b = numprog_new("numio-test-a");  // replaces the first one
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(numprog_search_registry("numio-test-a"), b);
  EXPECT_EQ(numprog_registry_size(), before + 1);

  EXPECT_EQ(numprog_free(b), 0);
  EXPECT_EQ(numprog_free(b), -1);  // already freed: not touched
  EXPECT_EQ(numprog_free(nullptr), 0);
  EXPECT_EQ(numprog_search_registry("numio-test-a"), nullptr);
  EXPECT_EQ(numprog_registry_size(), before);
  EXPECT_EQ(numprog_new(nullptr), nullptr);

  // A kept program named like the evaluator's own is not replaced by it.
  NumProg *kept = numprog_new("str2double");
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(num_str2double("1+1", nullptr, nullptr), 2.0);
  EXPECT_EQ(numprog_search_registry("str2double"), kept);
  EXPECT_EQ(numprog_free(kept), 0);
}

TEST(NumioProgram, InstructionListsAndRegisterStack) {
  NumProg *p = numprog_new("numio-test-stack");
  ASSERT_NE(p, nullptr);
  NumInstr *ins = nullptr;
  EXPECT_EQ(numprog_append_instruction(p, 0, NumCmd::PUSHVAL, 0, 2.0, nullptr, &ins), 0);
  ASSERT_NE(ins, nullptr);
  EXPECT_EQ(ins->Value, 2.0);
  EXPECT_EQ(numprog_append_instruction(p, 1, NumCmd::ADD, 2, 0.0, nullptr, nullptr), 0);
  EXPECT_EQ(numprog_append_instruction(p, 2, NumCmd::ADD, 2, 0.0, nullptr, nullptr), -1);
  EXPECT_EQ(numprog_append_instruction(nullptr, 0, NumCmd::ADD, 2, 0.0, nullptr, nullptr), -1);
  EXPECT_EQ(p->InstructionList.size(), 1u);
  EXPECT_EQ(p->CompiledList.size(), 1u);

  EXPECT_EQ(numprog_down_accumulator(p), nullptr);  // empty stack
  NumAccu *r1 = numprog_up_accumulator(p, 1.0);
  NumAccu *r2 = numprog_up_accumulator(p, 2.0);
  NumAccu *r3 = numprog_up_accumulator(p, 3.0);
  ASSERT_TRUE(r1 && r2 && r3);
  EXPECT_EQ(r1->Number, 1);
  EXPECT_EQ(r3->Number, 3);
  EXPECT_EQ(numprog_down_accumulator(p), r2);
  EXPECT_EQ(p->CurrentAccumulator, r2);
  // Going up again reuses the cell above.
  EXPECT_EQ(numprog_up_accumulator(p, 9.0), r3);
  EXPECT_EQ(r3->Value, 9.0);
  EXPECT_EQ(p->AccumulatorList.size(), 3u);
  numprog_down_accumulator(p);
  EXPECT_EQ(numprog_down_accumulator(p), r1);
  EXPECT_EQ(numprog_down_accumulator(p), nullptr);  // popped the bottom
  EXPECT_EQ(p->CurrentAccumulator, nullptr);
  EXPECT_EQ(numprog_free(p), 0);
}

TEST(NumioProgram, VariablesPrefixMatchInDefinitionOrder) {
  auto check = [](const char *first, const char *second, const char *read, const char *tail) {
    NumProg *p = numprog_new("numio-test-vars");
    ASSERT_NE(p, nullptr);
    NumVar *v1 = nullptr, *v2 = nullptr;
    ASSERT_EQ(numprog_append_variable(p, first, 10.0, &v1), 0);
    ASSERT_EQ(numprog_append_variable(p, second, 20.0, &v2), 0);
    int err = -1;
    const char *t = nullptr;
    const double v = parse_and_run(p, "_xy", &err, &t);
    EXPECT_EQ(err, NumSuccess);
    EXPECT_STREQ(t, tail);
    EXPECT_EQ(v, std::string(read) == first ? 10.0 : 20.0);
    EXPECT_EQ((std::string(read) == first ? v1 : v2)->Used, 1);
    EXPECT_EQ(numprog_free(p), 0);
  };
  check("x", "xy", "x", "y");
  check("xy", "x", "xy", "");
}

TEST(NumioProgram, VariablesAreReadWhenTheProgramRuns) {
  NumProg *p = numprog_new("numio-test-run");
  ASSERT_NE(p, nullptr);
  NumVar *x = nullptr;
  ASSERT_EQ(numprog_append_variable(p, "x", 1.0, &x), 0);
  int err = -1;
  EXPECT_EQ(parse_and_run(p, "2*_x+1", &err), 3.0);
  x->Value = 3.0;
  ASSERT_EQ(dpprogram_run(p, &err), 0);
  EXPECT_EQ(p->CurrentAccumulator->Value, 7.0);
  x->Value = 0.0;
  EXPECT_EQ(parse_and_run(p, "1/_x", &err), 0.0);
  EXPECT_EQ(err, NumDivByZero);
  EXPECT_EQ(parse_and_run(p, "_x*_x+_y", &err), 0.0);
  EXPECT_EQ(err, NumNoVariable);
  EXPECT_EQ(x->Used, 4);  // 2*_x, 1/_x, and two in _x*_x

  NumVar *dup = nullptr;
  EXPECT_EQ(numprog_append_variable(p, "x", 5.0, &dup), -1);
  EXPECT_EQ(dup, x);
  EXPECT_EQ(x->Value, 0.0);
  EXPECT_EQ(numprog_append_variable(p, "1x", 5.0, nullptr), -1);
  EXPECT_EQ(numprog_append_variable(p, "a_b", 5.0, nullptr), -1);
  EXPECT_EQ(numprog_append_variable(nullptr, "z", 5.0, nullptr), 0);
  EXPECT_EQ(numprog_checkvar(""), 1);
  EXPECT_EQ(numprog_checkvar("Ab9"), 1);
  EXPECT_EQ(numprog_checkvar("9"), 0);
  EXPECT_EQ(numprog_checkvar(nullptr), 0);
  NumVar *found = nullptr;
  EXPECT_EQ(numprog_search_variable(p, "x", &found, 0), 0);
  EXPECT_EQ(numprog_search_variable(p, "xz", &found, 0), -1);
  EXPECT_EQ(numprog_search_variable(p, "xz", &found, 1), 0);
  EXPECT_EQ(numprog_free(p), 0);
}

TEST(NumioInterpreter, StepErrorsAndReturnValues) {
  NumProg *p = numprog_new("numio-test-step");
  ASSERT_NE(p, nullptr);
  int err = -1;
  NumInstr ins;

  EXPECT_EQ(dpprogram_run(p, &err), -1);
  EXPECT_EQ(err, NumNoInstruction);
  EXPECT_EQ(dpprogram_run(nullptr, &err), -1);
  EXPECT_EQ(err, NumProgramError);
  EXPECT_EQ(dpprogram_step(p, nullptr, &err), -1);
  EXPECT_EQ(err, NumNoInstruction);
  EXPECT_EQ(dpprogram_step(nullptr, &ins, &err), -1);
  EXPECT_EQ(err, NumProgramError);

  for (int code : {0, 53, -1, 1000}) {
    ins.Command = code;
    EXPECT_EQ(dpprogram_step(p, &ins, &err), -1) << code;
    EXPECT_EQ(err, NumNoInstruction) << code;
  }

  p->CurrentAccumulator = nullptr;
  ins = NumInstr{NumCmd::SQRT, 1, 0.0, nullptr};
  EXPECT_EQ(dpprogram_step(p, &ins, &err), -1);  // unary on an empty stack
  EXPECT_EQ(err, NumNoAccumulator);
  ins = NumInstr{NumCmd::PUSHVAL, 0, -4.0, nullptr};
  EXPECT_EQ(dpprogram_step(p, &ins, &err), 0);
  ins = NumInstr{NumCmd::SQRT, 1, 0.0, nullptr};
  EXPECT_EQ(dpprogram_step(p, &ins, &err), 0);  // a domain error is no step failure
  EXPECT_EQ(err, NumDomainError);
  ins = NumInstr{NumCmd::ADD, 2, 0.0, nullptr};
  EXPECT_EQ(dpprogram_step(p, &ins, &err), -1);  // binary with one register
  EXPECT_EQ(err, NumNoAccumulator);
  ins = NumInstr{NumCmd::PUSHADDR, 0, 0.0, nullptr};
  EXPECT_EQ(dpprogram_step(p, &ins, &err), -1);
  EXPECT_EQ(err, NumNoVariable);
  ins = NumInstr{NumCmd::PI, 0, 0.0, nullptr};
  EXPECT_EQ(dpprogram_step(p, &ins, &err), 0);
  EXPECT_EQ(p->CurrentAccumulator->Value, NUM_PI);
  EXPECT_EQ(numprog_free(p), 0);
}

TEST(NumioInterpreter, InstructionsOnTwoAndThreeOperands) {
  struct {
    int cmd;
    double c, a, b;  // operands bottom to top (c only for IF)
    double result;
  } cases[] = {
      {NumCmd::IF, 1, 5, 6, 5},     {NumCmd::IF, 0, 5, 6, 6},
      {NumCmd::SUB, 0, 5, 7, -2},   {NumCmd::DIV, 0, 1, 4, 0.25},
      {NumCmd::FMIN, 0, 0.0, -0.0, -0.0}, {NumCmd::FMAX, 0, -0.0, 0.0, 0.0},
      {NumCmd::AND, 0, 2, 0, 0},    {NumCmd::OR, 0, 0, -1, 1},
      {NumCmd::ATAN2, 0, 1, 1, std::atan2(1.0, 1.0)},
      {NumCmd::POW, 0, 2, 10, 1024},
  };
  for (const auto &c : cases) {
    NumProg *p = numprog_new("numio-test-ops");
    ASSERT_NE(p, nullptr);
    if (c.cmd == NumCmd::IF) numprog_append_instruction(p, 0, NumCmd::PUSHVAL, 0, c.c, nullptr, nullptr);
    numprog_append_instruction(p, 0, NumCmd::PUSHVAL, 0, c.a, nullptr, nullptr);
    numprog_append_instruction(p, 0, NumCmd::PUSHVAL, 0, c.b, nullptr, nullptr);
    numprog_append_instruction(p, 0, c.cmd, c.cmd == NumCmd::IF ? 3 : 2, 0.0, nullptr, nullptr);
    int err = -1;
    ASSERT_EQ(dpprogram_run(p, &err), 0) << numprog_cmd2str(c.cmd);
    EXPECT_EQ(p->CurrentAccumulator->Number, 1) << numprog_cmd2str(c.cmd);
    EXPECT_EQ(p->CurrentAccumulator->Value, c.result) << numprog_cmd2str(c.cmd);
    EXPECT_EQ(std::signbit(p->CurrentAccumulator->Value), std::signbit(c.result))
        << numprog_cmd2str(c.cmd);
    EXPECT_EQ(numprog_free(p), 0);
  }
}

TEST(NumioListing, NamesLinesAndProgramListing) {
  EXPECT_STREQ(numprog_cmd2str(0), "Invalid");
  EXPECT_STREQ(numprog_cmd2str(1), "PUSHVAL");
  EXPECT_STREQ(numprog_cmd2str(29), "ATAN2");
  EXPECT_STREQ(numprog_cmd2str(52), "DEGC2DEGF");
  EXPECT_STREQ(numprog_cmd2str(53), "Invalid");
  EXPECT_STREQ(numprog_cmd2str(-1), "Invalid");

  char buf[64];
  NumInstr push{NumCmd::PUSHVAL, 0, 2.5, nullptr};
  NumInstr add{NumCmd::ADD, 2, 0.0, nullptr};
  EXPECT_STREQ(numprog_ins2str(buf, sizeof buf, &push), "   PUSHVAL         2.5");
  EXPECT_STREQ(numprog_ins2str(buf, sizeof buf, &add), "       ADD" "             (2 args)");
  EXPECT_STREQ(numprog_ins2str(buf, 49, &add), "");

  NumProg *p = numprog_new("numio-test-list");
  ASSERT_NE(p, nullptr);
  int err = -1;
  parse_and_run(p, "1+2", &err);
  FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  num_prog_print_list(f, p, 2, 0);
  num_prog_print_list(f, p, 0, 0);
  std::rewind(f);
  std::string text;
  char line[256];
  while (std::fgets(line, sizeof line, f)) text += line;
  std::fclose(f);
  EXPECT_EQ(text,
            " Program             = 'numio-test-list'\n"
            "  InstructionList\n"
            "      PUSHVAL           1\n"
            "      PUSHVAL           2\n"
            "          ADD" "             (2 args)\n"
            "  Accumulator #1 = 3\n"
            "  Accumulator #2 = 2\n");
  EXPECT_EQ(numprog_free(p), 0);
}

TEST(NumioListing, DebugLevelAboveTwoListsEveryEvaluation) {
  numio_debug(3);
  testing::internal::CaptureStdout();
  int err = -1;
  EXPECT_EQ(num_str2double("2*3", nullptr, &err), 6.0);
  const std::string out = testing::internal::GetCapturedStdout();
  numio_debug(0);
  EXPECT_NE(out.find(" Program             = 'str2double'\n"), std::string::npos) << out;
  EXPECT_NE(out.find("          MUL"), std::string::npos) << out;
  EXPECT_NE(out.find("  Accumulator #1 = 6\n"), std::string::npos) << out;

  testing::internal::CaptureStdout();
  EXPECT_EQ(num_str2double("2*3", nullptr, &err), 6.0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
