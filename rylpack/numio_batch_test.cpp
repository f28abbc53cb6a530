#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "rylpack/numio.h"

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::uint64_t bits(double v) {
  std::uint64_t b;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

// Inputs that reach every branch of the instructions: signed zeros,
// integers and halves, the domain limits, huge and tiny values, NaN and the
// infinities. Repeated with a shift into an array longer than a few blocks,
// so that block ends fall at different inputs.
const double kEdgeValues[] = {0.0,  -0.0, 1.0,  -1.0, 0.5,   -0.5,  2.0,   -2.0, 3.0,  -3.0,
                           7.0,  -7.0, 1.5,  -2.5, 10.0,  -10.0, 0.999, 1.001, 20.0, 171.5,
                           1e-300, -1e-310, 1e300, -1e300, 710.0, -745.0, kNaN, kInf, -kInf, 4.0};
constexpr std::size_t kNEdgeValues = sizeof kEdgeValues / sizeof kEdgeValues[0];

std::vector<double> column(std::size_t n, std::size_t shift) {
  std::vector<double> v(n);
  for (std::size_t i = 0; i < n; ++i) v[i] = kEdgeValues[(i * (shift + 1) + i / kNEdgeValues) % kNEdgeValues];
  return v;
}

// What the interpreter itself gives for one set of values: the result, the
// error value and the registers it leaves.
struct Reference {
  double result = 0.0;
  int err = 0;
  std::vector<double> registers;
  rlong top = 0;
};

Reference interpret(NumProg *p, const double *values) {
  Reference ref;
  const double *v = values;
  for (NumVar &var : p->VariableList) var.Value = *v++;
  dpprogram_run(p, &ref.err);
  if (!ref.err) ref.result = p->CurrentAccumulator->Value;
  for (const NumAccu &a : p->AccumulatorList) ref.registers.push_back(a.Value);
  ref.top = p->CurrentAccumulator ? p->CurrentAccumulator->Number : 0;
  return ref;
}

// Runs `p` through the interpreter, through num_runprog per element and
// through the array run, and compares results to the bit and error values
// exactly; num_runprog must also leave the registers as the interpreter
// does.
void expect_same(NumProg *p, const std::vector<std::vector<double>> &in, const std::string &what) {
  const std::size_t n = in.empty() ? 1100 : in[0].size();
  std::vector<const double *> cols;
  for (const auto &c : in) cols.push_back(c.data());
  std::vector<double> results(n, 123.0);
  std::vector<int> errvals(n, -1);
  int err = -1;
  const std::size_t failed = num_runprog_array(p, &err, n, static_cast<int>(in.size()), cols.data(),
                                               results.data(), errvals.data());
  const std::vector<double> vars_after_array = [&] {
    std::vector<double> v;
    if (p)
      for (const NumVar &var : p->VariableList) v.push_back(var.Value);
    return v;
  }();

  std::size_t expect_failed = 0;
  int expect_first = 0;
  for (std::size_t i = 0; i < n; ++i) {
    double values[2] = {0.0, 0.0};
    for (std::size_t k = 0; k < in.size(); ++k) values[k] = in[k][i];
    const bool fits = p && p->VariableList.size() == in.size();
    const Reference ref = fits ? interpret(p, values) : Reference{};
    int e = -1;
    const double r = num_runprog_values(p, &e, static_cast<int>(in.size()), values);
    if (fits && (bits(r) != bits(ref.result) || e != ref.err || p->AccumulatorList.size() != ref.registers.size() ||
              (p->CurrentAccumulator ? p->CurrentAccumulator->Number : 0) != ref.top)) {
      ADD_FAILURE() << what << " element " << i << " x=" << values[0] << ": runprog " << r << " ("
                    << e << "), interpreter " << ref.result << " (" << ref.err << ")";
      return;
    }
    for (std::size_t k = 0; fits && k < ref.registers.size(); ++k)
      if (bits(p->AccumulatorList[k].Value) != bits(ref.registers[k])) {
        ADD_FAILURE() << what << " element " << i << " x=" << values[0] << ": register " << k + 1;
        return;
      }
    if (e) {
      ++expect_failed;
      if (!expect_first) expect_first = e;
    }
    if (bits(r) != bits(results[i]) || e != errvals[i]) {
      ADD_FAILURE() << what << " element " << i << " x=" << values[0] << " y=" << values[1]
                    << ": runprog " << r << " (" << e << "), array " << results[i] << " ("
                    << errvals[i] << ")";
      return;
    }
  }
  EXPECT_EQ(failed, expect_failed) << what;
  EXPECT_EQ(err, expect_first) << what;
  // The array run leaves the variables as the last single run does.
  if (p) {
    std::vector<double> v;
    for (const NumVar &var : p->VariableList) v.push_back(var.Value);
    ASSERT_EQ(v.size(), vars_after_array.size()) << what;
    for (std::size_t k = 0; k < v.size(); ++k) EXPECT_EQ(bits(v[k]), bits(vars_after_array[k])) << what;
  }
}

}  // namespace

TEST(NumioArrayRun, SameBitsAsSingleRunsForCompiledPrograms) {
  const char *one[] = {
      "2*_x+1", "max(0,_x+1)", "sqrt(abs(_x))*1.5_mm", "(_x>0)?log(_x):0", "1/_x", "-_x",
      "!_x", "rad(_x)", "deg(_x)", "sin(_x)+cos(_x)-tan(_x)", "asin(_x)", "acos(_x/2)",
      "atan(_x)", "sinh(_x)*cosh(_x)/tanh(_x)", "floor(_x)+ceil(_x)*10", "exp(_x)",
      "log10(_x)", "sqrt(_x)", "round(_x)", "gamma(_x)", "pow(_x,0.5)", "pow(2,_x)",
      "pow(_x,-2)", "pow(0,_x)", "degC2K(_x)", "K2degC(_x)", "degF2K(_x)", "K2degF(_x)",
      "degK2K(_x)+K2degK(_x)", "degF2degC(_x)", "degC2degF(_x)", "7//_x", "_x%3", "_x%_x",
      "1?_x:2", "0?_x*2:_x+1", "(1?_x*2:3)+_x*5", "_x?2:3", "_x?_x:-_x", "pi()",
      "_x==0", "_x!=1", "_x<=1", "_x<1", "_x>=1", "_x>1", "_x&&1", "0||_x",
      "min(_x,0)", "max(-0.0*1,_x)", "atan2(_x,1)", "(_x)", "1+(1+(1+(1+_x)))*_x",
  };
  for (const char *text : one) {
    int err = -1;
    NumProg *p = num_str2prog("numio-test-array", text, nullptr, &err, 1, "x");
    ASSERT_NE(p, nullptr) << text << " " << err;
    expect_same(p, {column(1100, 0)}, text);
    numprog_free(p);
  }
  const char *two[] = {
      "_x-2*_y", "_x/_y", "_x//_y", "_x%_y", "pow(_x,_y)", "atan2(_y,_x)", "min(_x,_y)",
      "max(_x,_y)", "_x==_y", "_x&&_y", "_x||_y", "_x?_y:2", "(_x>_y)?sqrt(_x-_y):log(_y-_x)",
      "_y*_y+_x*_x",
  };
  for (const char *text : two) {
    int err = -1;
    NumProg *p = num_str2prog("numio-test-array", text, nullptr, &err, 2, "x", "y");
    ASSERT_NE(p, nullptr) << text;
    expect_same(p, {column(1100, 0), column(1100, 6)}, text);
    numprog_free(p);
  }
}

TEST(NumioArrayRun, SameBitsAndErrorsForProgramsThatAreNotFolded) {
  // Parsed but not compiled: constant work, and constant failures, happen
  // during the run, after any failure that depends on the value.
  const char *texts[] = {
      "sqrt(-1)+_x", "_x+1/0", "sqrt(_x)+log(0)", "2*3+_x", "(1<2)?_x:3", "0?1:_x",
      "1?sqrt(_x):2", "pi()+_x", "gamma(0)*_x", "pow(-8,1/3)*_x", "1?2:3",
  };
  for (const char *text : texts) {
    NumProg *p = numprog_new("numio-test-array-raw");
    ASSERT_NE(p, nullptr);
    numprog_append_variable(p, "x", 1.0, nullptr);
    int err = -1;
    const char *s = text;
    dpcondition(p, &s, 0, &err);
    ASSERT_EQ(err, NumSuccess) << text;
    expect_same(p, {column(700, 2)}, text);
    numprog_free(p);
  }
}

TEST(NumioArrayRun, SameErrorsForBrokenPrograms) {
  struct Case {
    const char *what;
    std::vector<NumInstr> code;
  } cases[] = {
      {"empty", {}},
      {"binary on one register", {{NumCmd::PUSHVAL, 0, 1.0, nullptr}, {NumCmd::ADD, 2, 0.0, nullptr}}},
      {"unary on nothing", {{NumCmd::SQRT, 1, 0.0, nullptr}}},
      {"IF on two registers",
       {{NumCmd::PUSHVAL, 0, 1.0, nullptr}, {NumCmd::PUSHVAL, 0, 1.0, nullptr}, {NumCmd::IF, 3, 0.0, nullptr}}},
      {"invalid code", {{NumCmd::PUSHVAL, 0, 1.0, nullptr}, {0, 0, 0.0, nullptr}}},
      {"code out of range", {{NumCmd::PUSHVAL, 0, 1.0, nullptr}, {99, 1, 0.0, nullptr}}},
      {"variable without address", {{NumCmd::PUSHADDR, 0, 0.0, nullptr}}},
      {"PI instruction", {{NumCmd::PI, 0, 0.0, nullptr}}},
      {"two results, the top one counts",
       {{NumCmd::PUSHVAL, 0, 1.0, nullptr}, {NumCmd::PUSHVAL, 0, 2.0, nullptr}}},
  };
  // Program failures list the program on standard error, once per run.
  testing::internal::CaptureStderr();
  for (const Case &c : cases) {
    NumProg *p = numprog_new("numio-test-array-broken");
    ASSERT_NE(p, nullptr);
    NumVar *x = nullptr;
    numprog_append_variable(p, "x", 1.0, &x);
    p->InstructionList = c.code;
    expect_same(p, {column(600, 1)}, c.what);
    numprog_free(p);
  }
  // A failure that depends on the value comes before a missing register.
  NumProg *p = numprog_new("numio-test-array-broken");
  ASSERT_NE(p, nullptr);
  NumVar *x = nullptr;
  numprog_append_variable(p, "x", 1.0, &x);
  p->InstructionList = {{NumCmd::PUSHADDR, 0, 0.0, &x->Value},
                        {NumCmd::SQRT, 1, 0.0, nullptr},
                        {NumCmd::ADD, 2, 0.0, nullptr}};
  expect_same(p, {column(600, 1)}, "sqrt then missing register");
  // An address that is not one of the program's variables is read as it is.
  double outside = 2.5;
  p->InstructionList = {{NumCmd::PUSHADDR, 0, 0.0, &x->Value},
                        {NumCmd::PUSHADDR, 0, 0.0, &outside},
                        {NumCmd::MUL, 2, 0.0, nullptr}};
  expect_same(p, {column(600, 1)}, "foreign address");
  numprog_free(p);

  // A null program, and the wrong number of arrays.
  expect_same(nullptr, {column(10, 0)}, "null program");
  int err = -1;
  p = num_str2prog("numio-test-array-broken", "_x+_y", nullptr, &err, 2, "x", "y");
  ASSERT_NE(p, nullptr);
  expect_same(p, {column(10, 0)}, "one array for two variables");
  std::vector<double> in(5, 1.0), r(5);
  std::vector<int> e(5);
  const double *cols[] = {in.data(), nullptr};
  EXPECT_EQ(num_runprog_array(p, &err, 5, 2, cols, r.data(), e.data()), 5u);
  EXPECT_EQ(err, NumVariableError);
  EXPECT_EQ(e[4], NumVariableError);
  numprog_free(p);
  const std::string listings = testing::internal::GetCapturedStderr();
  EXPECT_NE(listings.find(" Program             = 'numio-test-array-broken'"), std::string::npos);
}

TEST(NumioArrayRun, DeepProgramsAndDeepIfs) {
  std::string text = "_x";
  for (int k = 0; k < 60; ++k) text = (k % 2 ? "2*(" : "1+(") + text + ")";
  text = "(_x>1)?(" + text + "):(0?_x:sqrt(_x))";
  int err = -1;
  NumProg *p = num_str2prog("numio-test-array-deep", text.c_str(), nullptr, &err, 1, "x");
  ASSERT_NE(p, nullptr) << err;
  expect_same(p, {column(1500, 3)}, "deep");
  numprog_free(p);
}

TEST(NumioArrayRun, InPlaceFloatInputsAndEmptyArrays) {
  int err = -1;
  NumProg *p = num_str2prog("numio-test-array-io", "(_x>0)?log(_x):0", nullptr, &err, 1, "x");
  ASSERT_NE(p, nullptr);

  // In place: the results overwrite the inputs.
  std::vector<double> data = column(2000, 5);
  const std::vector<double> copy = data;
  std::vector<int> errs(data.size());
  const double *in[] = {data.data()};
  const std::size_t failed = num_runprog_array(p, &err, data.size(), 1, in, data.data(), errs.data());
  std::size_t expect_failed = 0;
  for (std::size_t i = 0; i < copy.size(); ++i) {
    int e = -1;
    const double r = num_runprog(p, &e, copy[i]);
    expect_failed += e != 0;
    ASSERT_EQ(bits(r), bits(data[i])) << i;
    ASSERT_EQ(e, errs[i]) << i;
  }
  EXPECT_EQ(failed, expect_failed);
  EXPECT_GT(failed, 0u);
  EXPECT_EQ(err, NumDomainError);
  EXPECT_EQ(p->VariableList[0].Value, copy.back());

  // In place with programs that cannot fail, whose last step writes the
  // results directly or whose result is the input or a constant.
  for (const char *text : {"2*_x+1", "_x*_x+_x", "1?_x:2", "pi()", "-(1?2:_x)"}) {
    NumProg *q = num_str2prog("numio-test-array-io2", text, nullptr, &err, 1, "x");
    ASSERT_NE(q, nullptr) << text;
    std::vector<double> d = column(1500, 4);
    const std::vector<double> before = d;
    std::vector<int> es(d.size(), -1);
    const double *qin[] = {d.data()};
    EXPECT_EQ(num_runprog_array(q, &err, d.size(), 1, qin, d.data(), es.data()), 0u) << text;
    for (std::size_t i = 0; i < d.size(); ++i) {
      int e = -1;
      ASSERT_EQ(bits(num_runprog(q, &e, before[i])), bits(d[i])) << text << " " << i;
      ASSERT_EQ(es[i], 0) << text << " " << i;
    }
    numprog_free(q);
  }

  // Float inputs give what num_runprog gives for the same floats.
  std::vector<float> f = {1.0f, -1.0f, 0.1f, 3e38f, 1e-45f, 0.0f, -0.0f};
  std::vector<double> r(f.size());
  const float *fin[] = {f.data()};
  EXPECT_EQ(num_runprog_array(p, &err, f.size(), 1, fin, r.data(), nullptr), 3u);
  for (std::size_t i = 0; i < f.size(); ++i) {
    int e = -1;
    EXPECT_EQ(bits(r[i]), bits(num_runprog(p, &e, f[i]))) << i;
  }

  // Nothing to do.
  EXPECT_EQ(num_runprog_array(p, &err, 0, 1, in, nullptr, nullptr), 0u);
  EXPECT_EQ(err, NumSuccess);
  numprog_free(p);
}
