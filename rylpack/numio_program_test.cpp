#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "rylpack/numio.h"

// Every allocation of the test program is counted, so that a test can show
// that a run allocates nothing. Both forms of delete go to free, as new goes
// to malloc; the array and aligned forms keep their library definitions,
// which call these.
namespace {
std::size_t g_allocations = 0;
}  // namespace

// GCC pairs the inlined malloc of operator new with the free of operator
// delete and warns about a mismatch that is none here.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void *operator new(std::size_t size) {
  ++g_allocations;
  if (void *p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

std::string read_all(FILE *f) {
  std::rewind(f);
  std::string text;
  char line[512];
  while (std::fgets(line, sizeof line, f)) text += line;
  std::fclose(f);
  return text;
}

// Parses `text` with variable x into a program that is not compiled.
NumProg *parse_only(const char *name, const char *text, NumVar **x = nullptr) {
  NumProg *p = numprog_new(name);
  if (!p) return nullptr;
  numprog_append_variable(p, "x", 1.0, x);
  int err = 0;
  const char *s = text;
  dpcondition(p, &s, 0, &err);
  return err ? nullptr : p;
}

}  // namespace

TEST(NumioCompiled, CompileAndRunOneVariable) {
  struct Case {
    const char *text;
    double x;
    double result;
    int run_err;
    int uses;       // num_chkvar of x
    const char *tail;
  } cases[] = {
      {"2*_x+1", 3.0, 7.0, 0, 1, ""},
      {"_x*_x", -3.0, 9.0, 0, 2, ""},
      {"pi()", 5.0, NUM_PI, 0, 0, ""},
      {"1/_x", 0.0, 0.0, NumDivByZero, 1, ""},
      {"1/_x", 4.0, 0.25, 0, 1, ""},
      {"(_x>0)?log(_x):0", -1.0, 0.0, NumDomainError, 2, ""},  // both branches run
      {"(_x>0)?log(_x):0", 1.0, 0.0, 0, 2, ""},
      {"sqrt(abs(_x))*1.5_mm", -4.0, 2.0 * (1.5 * 0.001), 0, 1, ""},
      {"max(0,_x+1)", -7.0, 0.0, 0, 1, ""},
      {"pow(_x,1/3)", -8.0, 0.0, NumDomainError, 1, ""},
      {"  _x+1 rest", 1.0, 2.0, 0, 1, " rest"},
      {"_x%3", -7.0, 2.0, 0, 1, ""},
      {"-_x//2", 7.0, -3.0, 0, 1, ""},
  };
  for (const Case &c : cases) {
    int err = -1;
    const char *tail = nullptr;
    NumProg *p = num_str2prog("numio-test-compiled", c.text, &tail, &err, 1, "x");
    ASSERT_NE(p, nullptr) << c.text;
    EXPECT_EQ(err, NumSuccess) << c.text;
    EXPECT_STREQ(tail, c.tail) << c.text;
    EXPECT_EQ(num_chkvar(p, 1, &err), c.uses) << c.text;
    const double r = num_runprog(p, &err, c.x);
    EXPECT_EQ(err, c.run_err) << c.text;
    EXPECT_EQ(r, c.result) << c.text;
    EXPECT_EQ(num_rmprog(p, &err), 0) << c.text;
  }
}

TEST(NumioCompiled, CompileErrorsLeaveNoProgram) {
  struct Case {
    const char *text;
    int err;
    const char *tail;
  } cases[] = {
      {"1/0", NumDivByZero, ""},             // constant work fails at compile time
      {"sqrt(-1)+_x", NumDomainError, ""},
      {"_x+log(0)", NumDomainError, ""},
      {"_y", NumNoVariable, "y"},
      {"", NumNoFloatNumber, ""},
      {"   ", NumNoFloatNumber, ""},
      {"(_x", NumBadParenthesis, ""},
      {"foo(_x)", NumNoFloatFunction, "foo(_x)"},
  };
  for (const Case &c : cases) {
    // A program of the same name exists before: it is gone afterwards too.
    ASSERT_NE(numprog_new("numio-test-fail"), nullptr);
    int err = -1;
    const char *tail = nullptr;
    EXPECT_EQ(num_str2prog("numio-test-fail", c.text, &tail, &err, 1, "x"), nullptr) << c.text;
    EXPECT_EQ(err, c.err) << c.text;
    EXPECT_STREQ(tail, c.tail) << c.text;
    EXPECT_EQ(num_searchprog("numio-test-fail", &err), nullptr) << c.text;
    EXPECT_EQ(err, NumSuccess) << c.text;
  }
}

TEST(NumioCompiled, VariableDefinitions) {
  int err = -1;
  const char *tail = nullptr;
  // Two variables, values in definition order.
  NumProg *p = num_str2prog("numio-test-vars2", "_x-2*_y", &tail, &err, 2, "y", "x");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(num_runprog(p, &err, 1.0, 10.0), 8.0);  // y = 1, x = 10
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(num_chkvar(p, 1, &err), 1);
  EXPECT_EQ(num_chkvar(p, 0, &err), 1);   // n <= 1 is the first
  EXPECT_EQ(num_chkvar(p, 2, &err), 1);
  EXPECT_EQ(num_chkvar(p, 3, &err), 0);
  EXPECT_EQ(err, NumNoVariable);
  EXPECT_EQ(num_chkvar(nullptr, 1, &err), 0);
  EXPECT_EQ(err, NumProgramError);

  // The wrong number of values assigns nothing and runs nothing.
  EXPECT_EQ(num_runprog(p, &err, 5.0), 0.0);
  EXPECT_EQ(err, NumVariableError);
  EXPECT_EQ(num_runprog(p, &err, 1.0, 2.0, 3.0), 0.0);
  EXPECT_EQ(err, NumVariableError);
  EXPECT_EQ(p->VariableList[0].Value, 1.0);
  EXPECT_EQ(p->VariableList[1].Value, 10.0);
  // Integer arguments are values like any other.
  EXPECT_EQ(num_runprog(p, &err, 2, 7), 3.0);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(num_runprog(nullptr, &err, 1.0), 0.0);
  EXPECT_EQ(err, NumProgramError);

  // "x" before "xy": "_xy" reads x and leaves "y".
  p = num_str2prog("numio-test-vars2", "_xy", &tail, &err, 2, "x", "xy");
  ASSERT_NE(p, nullptr);
  EXPECT_STREQ(tail, "y");
  EXPECT_EQ(num_runprog(p, &err, 4.0, 9.0), 4.0);

  struct Bad {
    const char *a, *b;
  } bad[] = {{"x", "x"}, {"1x", "y"}, {"x", "a_b"}, {"x", nullptr}};
  for (const Bad &c : bad) {
    EXPECT_EQ(num_str2prog("numio-test-vars2", "_x", &tail, &err, 2, c.a, c.b), nullptr) << c.a;
    EXPECT_EQ(err, NumVariableError) << c.a;
  }
  // The replaced program went with the failed compilation.
  EXPECT_EQ(num_searchprog("numio-test-vars2", &err), nullptr);
  // A count that is not the number of names.
  EXPECT_EQ(num_str2prog("numio-test-vars2", "_x", &tail, &err, 2, "x"), nullptr);
  EXPECT_EQ(err, NumVariableError);
  EXPECT_EQ(num_str2prog_list("numio-test-vars2", "_x", &tail, &err, -1, nullptr), nullptr);
  EXPECT_EQ(err, NumVariableError);
  EXPECT_EQ(num_str2prog(nullptr, "1", &tail, &err, 0), nullptr);
  EXPECT_EQ(err, NumProgramError);

  // No variables at all.
  p = num_str2prog("numio-test-vars2", "2_km", nullptr, &err, 0);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(num_runprog(p, &err), 2000.0);
  EXPECT_EQ(num_chkvar(p, 1, &err), 0);
  EXPECT_EQ(err, NumNoVariable);
  EXPECT_EQ(num_rmprog(p, &err), 0);
}

TEST(NumioCompiled, VariableValuesPersistBetweenRuns) {
  int err = -1;
  NumProg *p = num_str2prog("numio-test-persist", "_x", nullptr, &err, 1, "x");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->VariableList[0].Value, 1.0);  // initial value
  EXPECT_EQ(num_runprog(p, &err, 42.0), 42.0);
  EXPECT_EQ(p->VariableList[0].Value, 42.0);
  EXPECT_EQ(dpprogram_run(p, &err), 0);
  EXPECT_EQ(p->CurrentAccumulator->Value, 42.0);
  EXPECT_EQ(num_rmprog(p, &err), 0);
}

TEST(NumioCompiler, FoldingShrinksTheProgramAndKeepsItsResults) {
  struct Case {
    const char *text;
    rlong parsed, compiled;  // instruction counts
  } cases[] = {
      {"2*3+_x", 5, 3},
      {"_x+2*3", 5, 3},
      {"sqrt(16)*_x-1_km/1_hr", 12, 5},
      {"(1<2)?_x:3", 6, 4},
      {"_x*_x", 3, 3},
      {"pi()", 1, 1},
      {"-(1+2)*_x", 6, 4}  /* the sign applies to the whole term */,
      {"gamma(0.5)+min(_x,2)", 6, 5},
  };
  const double inputs[] = {-2.5, -1.0, -0.0, 0.0, 0.5, 1.0, 3.0, 1e300, NAN, INFINITY, -INFINITY};
  for (const Case &c : cases) {
    NumProg *raw = parse_only("numio-test-raw", c.text);
    ASSERT_NE(raw, nullptr) << c.text;
    EXPECT_EQ(num_prog_instructions(raw, 0), c.parsed) << c.text;
    int err = -1;
    NumProg *p = num_str2prog("numio-test-fold", c.text, nullptr, &err, 1, "x");
    ASSERT_NE(p, nullptr) << c.text;
    EXPECT_EQ(num_prog_instructions(p, 0), c.compiled) << c.text;
    EXPECT_EQ(num_prog_instructions(p, 1), 0) << c.text;
    for (double x : inputs) {
      raw->VariableList[0].Value = x;
      int raw_err = -1;
      const double expect = dpprogram_run(raw, &raw_err) == 0 ? raw->CurrentAccumulator->Value : 0.0;
      const double got = num_runprog(p, &err, x);
      EXPECT_EQ(err, raw_err) << c.text << " x=" << x;
      if (!raw_err) {
        EXPECT_EQ(std::signbit(got), std::signbit(expect)) << c.text << " x=" << x;
        if (std::isnan(expect)) EXPECT_TRUE(std::isnan(got)) << c.text << " x=" << x;
        else EXPECT_EQ(got, expect) << c.text << " x=" << x;
      }
    }
    EXPECT_EQ(numprog_free(raw), 0);
    EXPECT_EQ(numprog_free(p), 0);
  }
}

TEST(NumioCompiler, OptimizeStopsAtVariablesAndListsTheResult) {
  NumProg *p = parse_only("numio-test-opt", "_x+2*3");
  ASSERT_NE(p, nullptr);
  int err = -1;
  NumInstr *first = p->InstructionList.data();
  // The first run stops at once at the variable and copies it.
  NumInstr *stop = dpprogram_optimize(p, first, &err);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(stop, first);
  EXPECT_EQ(num_prog_instructions(p, 1), 1);
  // The next run folds 2*3 and stops at ADD, which reads the variable's register.
  stop = dpprogram_optimize(p, stop + 1, &err);
  ASSERT_NE(stop, nullptr);
  EXPECT_EQ(stop->Command, NumCmd::ADD);
  EXPECT_EQ(num_prog_instructions(p, 1), 3);
  EXPECT_EQ(num_prog_instructions(p, 2), 3);  // the compiled list while it is not empty
  EXPECT_EQ(dpprogram_optimize(p, stop + 1, &err), nullptr);  // end of the list
  EXPECT_EQ(dpprogram_optimize(nullptr, first, &err), nullptr);
  EXPECT_EQ(err, NumProgramError);

  p->CompiledList.clear();
  ASSERT_EQ(dpprogram_compile(p, &err), 0);
  FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  num_prog_print_instruction_list(f, p, 0, 1, 0);
  num_prog_print_instruction_list(f, p, 1, 1, 0);
  char addr[64];
  std::snprintf(addr, sizeof addr, "%10p", static_cast<const void *>(&p->VariableList[0].Value));
  EXPECT_EQ(read_all(f), std::string("  InstructionList\n") +
                             "     PUSHADDR *" + addr + "\n" +
                             "      PUSHVAL           6\n" +
                             "          ADD             (2 args)\n" +
                             "  CompiledList\n");

  // Errors of the compiler itself.
  EXPECT_EQ(dpprogram_compile(nullptr, &err), -1);
  EXPECT_EQ(err, NumProgramError);
  NumProg *empty = numprog_new("numio-test-opt-empty");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(dpprogram_compile(empty, &err), -1);
  EXPECT_EQ(err, NumNoInstruction);
  // A failing constant keeps the unfolded program.
  NumProg *bad = parse_only("numio-test-opt-bad", "_x+1/0");
  ASSERT_NE(bad, nullptr);
  EXPECT_EQ(dpprogram_compile(bad, &err), -1);
  EXPECT_EQ(err, NumDivByZero);
  EXPECT_EQ(num_prog_instructions(bad, 0), 5);
  EXPECT_EQ(num_prog_instructions(bad, 1), 0);
  EXPECT_EQ(numprog_remove("numio-test-opt"), 0);
  EXPECT_EQ(numprog_remove("numio-test-opt-empty"), 0);
  EXPECT_EQ(numprog_remove("numio-test-opt-bad"), 0);
}

TEST(NumioCompiler, DeepProgramsRunBeyondTheLocalStack) {
  // 1+(1+(...(1+_x)...)) keeps one register per level.
  std::string text = "_x";
  for (int k = 0; k < 70; ++k) text = "1+(" + text + ")";
  int err = -1;
  NumProg *p = num_str2prog("numio-test-deep", text.c_str(), nullptr, &err, 1, "x");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(num_prog_accumulators(p), 71);
  EXPECT_EQ(num_runprog(p, &err, 0.5), 70.5);
  EXPECT_EQ(err, NumSuccess);
  EXPECT_EQ(p->CurrentAccumulator->Number, 1);
  EXPECT_EQ(p->AccumulatorList[70].Value, 0.5);  // the deepest register: x
  EXPECT_EQ(num_rmprog(p, &err), 0);
}

TEST(NumioCompiled, RunsAllocateNothingAfterTheFirst) {
  int err = -1;
  NumProg *p = num_str2prog("numio-test-alloc", "(_x>0)?log(_x)*_y:max(_y,2*_x+1)", nullptr, &err,
                            2, "x", "y");
  ASSERT_NE(p, nullptr);
  const rlong depth = num_prog_accumulators(p);
  EXPECT_GT(depth, 0);  // the compiler already reached the program's depth
  const std::size_t before = g_allocations;
  double sum = 0.0;
  for (int i = 0; i < 1000; ++i) sum += num_runprog(p, &err, i * 0.5 - 100.0, 3.0);
  EXPECT_EQ(g_allocations, before);
  EXPECT_EQ(num_prog_accumulators(p), depth);
  EXPECT_NE(sum, 0.0);

  // The array run allocates per call, never per element.
  std::vector<double> x(20000), y(20000, 2.0), r(20000);
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = static_cast<double>(i) - 5000.0;
  const double *in[] = {x.data(), y.data()};
  std::size_t t0 = g_allocations;
  num_runprog_array(p, &err, 10, 2, in, r.data(), nullptr);
  const std::size_t small = g_allocations - t0;
  t0 = g_allocations;
  num_runprog_array(p, &err, x.size(), 2, in, r.data(), nullptr);
  EXPECT_EQ(g_allocations - t0, small);
  EXPECT_EQ(num_rmprog(p, &err), 0);
}

TEST(NumioRegistry, InsertSearchReplaceRemove) {
  NumProg *a = nullptr, *b = nullptr, *found = nullptr;
  ASSERT_EQ(numprog_insert("numio-test-reg-a", &a), 0);
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(numprog_insert("numio-test-reg-a", &b), 0);  // finds, does not replace
  EXPECT_EQ(b, a);
  EXPECT_EQ(numprog_insert(nullptr, &b), -1);
  EXPECT_EQ(numprog_search("numio-test-reg-a", &found), 0);
  EXPECT_EQ(found, a);
  EXPECT_EQ(numprog_search("numio-test-reg-none", &found), 0);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(numprog_search(nullptr, &found), -1);
  int err = -1;
  EXPECT_EQ(num_searchprog(nullptr, &err), nullptr);
  EXPECT_EQ(err, NumProgramError);

  // Compiling under an existing name replaces the program.
  NumProg *p1 = num_str2prog("numio-test-reg-a", "_x+1", nullptr, &err, 1, "x");
  ASSERT_NE(p1, nullptr);
  EXPECT_EQ(num_searchprog("numio-test-reg-a", &err), p1);
  NumProg *p2 = num_str2prog("numio-test-reg-a", "_x+2", nullptr, &err, 1, "x");
  ASSERT_NE(p2, nullptr);
  EXPECT_EQ(num_searchprog("numio-test-reg-a", &err), p2);
  EXPECT_EQ(num_runprog(p2, &err, 1.0), 3.0);
  const int count = numprog_registry_size();

  EXPECT_EQ(numprog_remove("numio-test-reg-unknown"), 0);
  EXPECT_EQ(numprog_registry_size(), count);
  EXPECT_EQ(numprog_remove("numio-test-reg-a"), 0);
  EXPECT_EQ(numprog_registry_size(), count - 1);
  EXPECT_EQ(num_searchprog("numio-test-reg-a", &err), nullptr);
  EXPECT_EQ(num_rmprog(p2, &err), -1);  // already gone
  EXPECT_EQ(err, NumProgramError);
  EXPECT_EQ(num_rmprog(nullptr, &err), 0);
  EXPECT_EQ(err, NumSuccess);

  // Listing every program goes in descending order of the names; a null
  // name removes them all.
  numprog_new("numio-test-reg-b");
  numprog_new("numio-test-reg-c");
  FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  num_prog_print_list(f, nullptr, 1, 0);
  const std::string text = read_all(f);
  const auto pb = text.find("'numio-test-reg-b'"), pc = text.find("'numio-test-reg-c'");
  ASSERT_NE(pb, std::string::npos) << text;
  ASSERT_NE(pc, std::string::npos) << text;
  EXPECT_LT(pc, pb) << text;
  EXPECT_EQ(numprog_remove(nullptr), 0);
  EXPECT_EQ(numprog_registry_size(), 0);
  EXPECT_EQ(num_prog_size_all(), 0);
}

TEST(NumioRegistry, StringHelpers) {
  struct Case {
    const char *s;
    int empty;
  } cases[] = {{nullptr, 1}, {"", 1}, {" \t\n", 1}, {" x ", 0}, {"0", 0}};
  for (const Case &c : cases) EXPECT_EQ(numprog_is_empty(c.s), c.empty) << (c.s ? c.s : "(null)");
  EXPECT_EQ(numprog_newstr("abc"), "abc");
  EXPECT_EQ(numprog_newstr(nullptr), "");
}

TEST(NumioRegistry, CountsAndSizes) {
  int err = -1;
  NumProg *p = num_str2prog("numio-test-size", "_ab*2+_c", nullptr, &err, 2, "ab", "c");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(num_prog_variables(p), 2);
  EXPECT_EQ(num_prog_instructions(p, 0), 5);
  EXPECT_EQ(num_prog_instructions(p, 1), 0);
  EXPECT_EQ(num_prog_instructions(p, 2), 5);
  EXPECT_EQ(num_prog_instructions(p, 3), 0);
  EXPECT_EQ(num_prog_instructions(nullptr, 0), 0);
  EXPECT_EQ(num_prog_variable_size(p), 2 * static_cast<rlong>(sizeof(NumVar)));
  EXPECT_EQ(num_prog_instruction_size(p, 0), 5 * static_cast<rlong>(sizeof(NumInstr)));
  EXPECT_EQ(num_prog_accumulator_size(p), num_prog_accumulators(p) * static_cast<rlong>(sizeof(NumAccu)));
  EXPECT_EQ(num_prog_size(p),
            static_cast<rlong>(sizeof(NumProg)) + 16 /* name */ + num_prog_variable_size(p) +
                3 + 2 /* "ab", "c" */ + num_prog_accumulator_size(p) + num_prog_instruction_size(p, 0));
  EXPECT_EQ(num_prog_size(nullptr), 0);

  const rlong all = num_prog_size_all();
  NumProg *q = numprog_new("numio-test-size-2");
  ASSERT_NE(q, nullptr);
  EXPECT_EQ(num_prog_size_all(), all + num_prog_size(q));
  EXPECT_EQ(numprog_free(q), 0);
  EXPECT_EQ(num_prog_size_all(), all);
  EXPECT_EQ(num_rmprog(p, &err), 0);
}

TEST(NumioRegistry, ReleasingListsLeavesNoDanglingVariable) {
  int err = -1;
  NumProg *p = num_str2prog("numio-test-lists", "_x+1", nullptr, &err, 1, "x");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(numprog_free_instruction_list(p, 2), -1);
  EXPECT_EQ(numprog_free_instruction_list(nullptr, 0), 0);

  EXPECT_EQ(numprog_free_accumulator_list(p), 0);
  EXPECT_EQ(p->CurrentAccumulator, nullptr);
  EXPECT_EQ(num_prog_accumulators(p), 0);
  EXPECT_EQ(num_runprog(p, &err, 2.0), 3.0);  // registers come back on demand

  // The instructions read the variable: they go with it.
  EXPECT_EQ(numprog_free_variable_list(p), 0);
  EXPECT_EQ(num_prog_variables(p), 0);
  EXPECT_EQ(num_prog_instructions(p, 0), 0);
  EXPECT_EQ(num_runprog(p, &err), 0.0);
  EXPECT_EQ(err, NumNoInstruction);
  EXPECT_EQ(num_rmprog(p, &err), 0);

  // Without a variable reference the instructions stay.
  p = num_str2prog("numio-test-lists", "2+3", nullptr, &err, 1, "x");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(numprog_free_variable_list(p), 0);
  EXPECT_EQ(num_runprog(p, &err), 5.0);
  EXPECT_EQ(numprog_free_instruction_list(p, 0), 0);
  EXPECT_EQ(num_prog_instructions(p, 0), 0);
  EXPECT_EQ(num_rmprog(p, &err), 0);
}

TEST(NumioListing, VariableAndRegisterLists) {
  int err = -1;
  NumProg *p = num_str2prog("numio-test-listing", "_x*_x", nullptr, &err, 1, "x");
  ASSERT_NE(p, nullptr);
  num_runprog(p, &err, 3.0);
  FILE *f = std::tmpfile();
  ASSERT_NE(f, nullptr);
  num_prog_print_variable_list(f, p, 1, 1);
  num_prog_print_accumulator_list(f, p, 1, 0);
  num_prog_print_variable_list(f, p, 0, 1);
  num_prog_print_accumulator_list(f, nullptr, 1, 0);
  const char *sep = "  -   -   -   -   -   -   -   -   -   -   -   -   -   -   -\n";
  EXPECT_EQ(read_all(f), std::string(sep) +
                             "  Variable            = x\n"
                             "  Value               = 3\n"
                             "  Used                = 2\n"
                             "  Previous variable   = (no previous variable)\n"
                             "  Next variable       = (no next variable)\n" +
                             sep +
                             "  Accumulator #1 = 9\n"
                             "  Accumulator #2 = 3\n");
  EXPECT_EQ(num_rmprog(p, &err), 0);
}

TEST(NumioListing, ProgramErrorsListTheProgramOnStandardError) {
  NumProg *p = numprog_new("numio-test-listerr");
  ASSERT_NE(p, nullptr);
  numprog_append_instruction(p, 0, NumCmd::ADD, 2, 0.0, nullptr, nullptr);
  int err = -1;
  testing::internal::CaptureStderr();
  EXPECT_EQ(num_runprog(p, &err), 0.0);
  const std::string out = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, NumNoAccumulator);
  EXPECT_NE(out.find(" Program             = 'numio-test-listerr'\n"), std::string::npos) << out;
  EXPECT_EQ(num_rmprog(p, &err), 0);
}
