// The quick run of num_runprog must follow every change of a program, made
// through the numprog routines or directly on its lists, and give what the
// interpreter gives; the bit-for-bit comparison over many expressions is in
// numio_batch_test.cpp.
#include <gtest/gtest.h>

#include <string>

#include "rylpack/numio.h"

namespace {

NumProg *compile(const char *name, const char *text) {
  int err = -1;
  NumProg *p = num_str2prog(name, text, nullptr, &err, 1, "x");
  EXPECT_EQ(err, NumSuccess) << text;
  return p;
}

double run(NumProg *p, double x, int *err) { return num_runprog(p, err, x); }

// Index of the first instruction with code `cmd`, or -1.
int find(const NumProg *p, int cmd) {
  for (std::size_t k = 0; k < p->InstructionList.size(); ++k)
    if (p->InstructionList[k].Command == cmd) return static_cast<int>(k);
  return -1;
}

}  // namespace

TEST(NumioQuickRun, FollowsEditsOfTheInstructionList) {
  NumProg *p = compile("numio-test-quick", "2*_x+1");
  ASSERT_NE(p, nullptr);
  int err = -1;
  EXPECT_EQ(run(p, 3.0, &err), 7.0);
  EXPECT_EQ(err, NumSuccess);

  // A constant changed in place is read by the next run.
  const int add = find(p, NumCmd::ADD);
  ASSERT_GT(add, 0);
  ASSERT_EQ(p->InstructionList[static_cast<std::size_t>(add - 1)].Command, NumCmd::PUSHVAL);
  p->InstructionList[static_cast<std::size_t>(add - 1)].Value = 5.0;
  EXPECT_EQ(run(p, 3.0, &err), 11.0);

  // So is an instruction code changed in place.
  p->InstructionList[static_cast<std::size_t>(add)].Command = NumCmd::SUB;
  EXPECT_EQ(run(p, 3.0, &err), 1.0);
  p->InstructionList[static_cast<std::size_t>(add)].Command = NumCmd::DIV;
  p->InstructionList[static_cast<std::size_t>(add - 1)].Value = 0.0;
  EXPECT_EQ(run(p, 3.0, &err), 0.0);
  EXPECT_EQ(err, NumDivByZero);

  // Instructions appended through the routine, and a whole list replaced.
  p->InstructionList[static_cast<std::size_t>(add - 1)].Value = 2.0;
  ASSERT_EQ(numprog_append_instruction(p, 0, NumCmd::PUSHVAL, 0, 10.0, nullptr, nullptr), 0);
  ASSERT_EQ(numprog_append_instruction(p, 0, NumCmd::MUL, 2, 0.0, nullptr, nullptr), 0);
  EXPECT_EQ(run(p, 3.0, &err), 30.0);
  EXPECT_EQ(err, NumSuccess);
  p->InstructionList = {{NumCmd::PUSHADDR, 0, 0.0, &p->VariableList[0].Value},
                        {NumCmd::PUSHADDR, 0, 0.0, &p->VariableList[0].Value},
                        {NumCmd::MUL, 2, 0.0, nullptr}};
  EXPECT_EQ(run(p, 3.0, &err), 9.0);
  EXPECT_EQ(run(p, -4.0, &err), 16.0);

  // An emptied list is an error again, not the old program.
  ASSERT_EQ(numprog_free_instruction_list(p, 0), 0);
  EXPECT_EQ(run(p, 3.0, &err), 0.0);
  EXPECT_EQ(err, NumNoInstruction);
  numprog_free(p);
}

TEST(NumioQuickRun, FollowsChangesOfVariablesAndRegisters) {
  int err = -1;
  NumProg *p = num_str2prog("numio-test-quick", "_x*_y+1", nullptr, &err, 2, "x", "y");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(num_runprog(p, &err, 2.0, 3.0), 7.0);
  const std::size_t depth = p->AccumulatorList.size();

  // Registers released behind the routines' back: the run makes them again
  // and leaves the result on top.
  p->AccumulatorList.clear();
  p->CurrentAccumulator = nullptr;
  EXPECT_EQ(num_runprog(p, &err, 4.0, 5.0), 21.0);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(p->AccumulatorList.size(), depth);
  EXPECT_EQ(p->CurrentAccumulator, &p->AccumulatorList[0]);
  EXPECT_EQ(p->AccumulatorList[0].Value, 21.0);

  // A variable removed behind their back: two values no longer fit.
  p->VariableList.pop_back();
  EXPECT_EQ(num_runprog(p, &err, 4.0, 5.0), 0.0);
  EXPECT_EQ(err, NumVariableError);
  numprog_free(p);

  // The same through the routines.
  p = compile("numio-test-quick", "(_x>0)?_x/2:-_x");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(run(p, 16.0, &err), 8.0);
  ASSERT_EQ(numprog_free_accumulator_list(p), 0);
  EXPECT_EQ(run(p, 9.0, &err), 4.5);
  ASSERT_NE(p->CurrentAccumulator, nullptr);
  EXPECT_EQ(p->CurrentAccumulator->Value, 4.5);
  EXPECT_EQ(run(p, -2.0, &err), 2.0);
  NumVar *y = nullptr;
  ASSERT_EQ(numprog_append_variable(p, "y", 1.0, &y), 0);
  EXPECT_EQ(num_runprog(p, &err, 4.0), 0.0);
  EXPECT_EQ(err, NumVariableError);
  EXPECT_EQ(num_runprog(p, &err, 4.0, 7.0), 2.0);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(y->Value, 7.0);
  numprog_free(p);
}

TEST(NumioQuickRun, LongProgramsGiveTheInterpretersResult) {
  // Longer than the quick run takes on: the interpreter runs it.
  std::string text = "_x";
  for (int k = 1; k < 400; ++k) text += (k % 3 ? "+_x*" : "-_x/") + std::to_string(k % 7 + 1);
  NumProg *p = compile("numio-test-quick-long", text.c_str());
  ASSERT_NE(p, nullptr);
  const double x = 1.25;
  double expect = x;
  for (int k = 1; k < 400; ++k) {
    const double d = k % 7 + 1;
    expect = k % 3 ? expect + x * d : expect - x / d;
  }
  int err = -1;
  EXPECT_EQ(run(p, x, &err), expect);
  EXPECT_EQ(err, NumSuccess);
  numprog_free(p);
}

TEST(NumioQuickRun, DebugLevelAboveTwoListsTheRegistersOfEachRun) {
  NumProg *p = compile("numio-test-quick-debug", "2*_x+1");
  ASSERT_NE(p, nullptr);
  numio_debug(3);
  testing::internal::CaptureStdout();
  int err = -1;
  EXPECT_EQ(run(p, 3.0, &err), 7.0);
  const std::string out = testing::internal::GetCapturedStdout();
  numio_debug(0);
  EXPECT_NE(out.find(" Program             = 'numio-test-quick-debug'\n"), std::string::npos) << out;
  EXPECT_NE(out.find("  Accumulator #1 = 7\n  Accumulator #2 = 1\n"), std::string::npos) << out;

  testing::internal::CaptureStdout();
  EXPECT_EQ(run(p, 4.0, &err), 9.0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  numprog_free(p);
}
