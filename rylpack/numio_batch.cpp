// Running a compiled program over whole arrays of values.
//
// The program is turned once per call into a plan of block steps: every
// instruction becomes one pass over a block of elements held in small
// register arrays, so the per-element work is a tight loop over one
// operation, with no dispatch, no stack bookkeeping and no allocation.
//
// Each element gets exactly what num_runprog gives for it. The plan uses the
// instruction arithmetic of numio_ops_internal.h, the same as the
// interpreter's. An element that fails keeps its first error value: later
// passes still compute over it (the value is thrown away), but never
// overwrite its error. Failures that do not depend on the values (a missing
// register, an unknown instruction, a constant operation that fails) end
// the plan with a step that fails every element not failed before, which is
// where the interpreter would stop for each of them.
#include <algorithm>
#include <vector>

#include "rylpack/numio_internal.h"
#include "rylpack/numio_ops_internal.h"

namespace {

// Elements per block: the registers of a block stay in the first-level cache.
constexpr std::size_t kBlock = 512;

// Arguments of one pass over a block. `a`, `b`, `c` are operand arrays (null
// where the operand is the constant ka or kb); `err` the error values of the
// block's elements.
struct BlockArgs {
  std::size_t n;
  double *dst;
  const double *a, *b, *c;
  double ka, kb;
  int *err;
  int code;
};
using Kernel = void (*)(const BlockArgs &);

inline void first_error(int *err, std::size_t i, int e) { err[i] = err[i] ? err[i] : e; }

template <int C>
void k_unary(const BlockArgs &k) {
  for (std::size_t i = 0; i < k.n; ++i) {
    const double v = k.a[i];
    if constexpr (numops::kUnaryChecked<C>) first_error(k.err, i, numops::unary_error<C>(v));
    k.dst[i] = numops::unary<C>(v);
  }
}

// Form 0: both operands arrays; 1: y constant; 2: x constant.
template <int C, int Form>
void k_binary(const BlockArgs &k) {
  for (std::size_t i = 0; i < k.n; ++i) {
    const double x = Form == 2 ? k.ka : k.a[i];
    const double y = Form == 1 ? k.kb : k.b[i];
    if constexpr (numops::kBinaryChecked<C>) first_error(k.err, i, numops::binary_error<C>(x, y));
    k.dst[i] = numops::binary<C>(x, y);
  }
}

void k_choose(const BlockArgs &k) {
  for (std::size_t i = 0; i < k.n; ++i) k.dst[i] = numops::choose(k.c[i], k.a[i], k.b[i]);
}

void k_copy(const BlockArgs &k) { std::copy(k.a, k.a + k.n, k.dst); }

void k_fill(const BlockArgs &k) { std::fill(k.dst, k.dst + k.n, k.ka); }

void k_fail(const BlockArgs &k) {
  for (std::size_t i = 0; i < k.n; ++i) first_error(k.err, i, k.code);
}

// Where a value of the stack comes from while the plan is made.
struct Source {
  enum Kind { Constant, Input, Register } kind = Constant;
  int index = 0;  // input number or register slot
  double value = 0.0;
};

struct Step {
  Kernel kernel = nullptr;
  int dst = -1;  // register slot written, -1 for none
  Source a, b, c;
  int code = 0;
};

struct Plan {
  std::vector<Step> steps;
  int slots = 0;    // register arrays needed
  bool can_fail = false;  // some step can fail an element
  bool has_result = false;
  Source result;    // the top of the stack at the end
};

class Planner {
 public:
  Planner(const NumProg *program, Plan *plan) : program_(program), plan_(plan) {}

  void build() {
    if (program_->InstructionList.empty()) return fail_all(NumNoInstruction);
    for (const NumInstr &ins : program_->InstructionList)
      if (!add(ins)) return;
    if (stack_.empty()) return fail_all(NumNoAccumulator);
    plan_->has_result = true;
    plan_->result = stack_.back();
  }

  // Every element gets `code` unless it failed before.
  void fail_all(int code) {
    plan_->can_fail = true;
    Step s;
    s.kernel = &k_fail;
    s.code = code;
    plan_->steps.push_back(s);
  }

 private:
  // Appends the steps of one instruction; false when the plan ends here.
  bool add(const NumInstr &ins) {
    return numops::dispatch(ins.Command, [&](auto c) -> bool {
      constexpr int C = decltype(c)::value;
      constexpr int n = numops::arity(C);
      if constexpr (n < 0) {
        fail_all(NumNoInstruction);
        return false;
      } else if constexpr (n == 0) {
        if constexpr (C == NumCmd::PUSHADDR) {
          if (!ins.Address) {
            fail_all(NumNoVariable);
            return false;
          }
          return push(variable_source(ins.Address));
        } else {
          return push(constant(C == NumCmd::PI ? NUM_PI : ins.Value));
        }
      } else if (stack_.size() < static_cast<std::size_t>(n)) {
        fail_all(NumNoAccumulator);
        return false;
      } else if constexpr (n == 1) {
        return add_unary<C>();
      } else if constexpr (n == 2) {
        return add_binary<C>();
      } else {
        return add_choose();
      }
    });
  }

  static Source constant(double v) {
    Source s;
    s.value = v;
    return s;
  }

  Source variable_source(const double *address) const {
    int k = 0;
    for (const NumVar &v : program_->VariableList) {
      if (&v.Value == address) {
        Source s;
        s.kind = Source::Input;
        s.index = k;
        return s;
      }
      ++k;
    }
    // Not a variable of this program: its value does not change during the
    // call, so it is read once.
    return constant(*address);
  }

  bool push(const Source &s) {
    stack_.push_back(s);
    plan_->slots = std::max(plan_->slots, static_cast<int>(stack_.size()));
    return true;
  }

  int top_slot() const { return static_cast<int>(stack_.size()) - 1; }

  Source register_source(int slot) const {
    Source s;
    s.kind = Source::Register;
    s.index = slot;
    return s;
  }

  template <int C>
  bool add_unary() {
    Source &v = stack_.back();
    if (v.kind == Source::Constant) {  // the same for every element
      if constexpr (numops::kUnaryChecked<C>) {
        if (const int e = numops::unary_error<C>(v.value)) {
          fail_all(e);
          return false;
        }
      }
      v.value = numops::unary<C>(v.value);
      return true;
    }
    Step s;
    s.kernel = &k_unary<C>;
    plan_->can_fail |= numops::kUnaryChecked<C>;
    s.dst = top_slot();
    s.a = v;
    plan_->steps.push_back(s);
    v = register_source(s.dst);
    return true;
  }

  template <int C>
  bool add_binary() {
    const Source y = stack_.back();
    stack_.pop_back();
    Source &x = stack_.back();
    if (x.kind == Source::Constant && y.kind == Source::Constant) {
      if constexpr (numops::kBinaryChecked<C>) {
        if (const int e = numops::binary_error<C>(x.value, y.value)) {
          fail_all(e);
          return false;
        }
      }
      x.value = numops::binary<C>(x.value, y.value);
      return true;
    }
    Step s;
    s.dst = top_slot();
    s.a = x;
    s.b = y;
    plan_->can_fail |= numops::kBinaryChecked<C>;
    if (y.kind == Source::Constant) s.kernel = &k_binary<C, 1>;
    else if (x.kind == Source::Constant) s.kernel = &k_binary<C, 2>;
    else s.kernel = &k_binary<C, 0>;
    plan_->steps.push_back(s);
    x = register_source(s.dst);
    return true;
  }

  bool add_choose() {
    const Source b = stack_.back();
    stack_.pop_back();
    const Source a = stack_.back();
    stack_.pop_back();
    Source &cond = stack_.back();
    if (cond.kind == Source::Constant) {
      const Source &chosen = cond.value != 0.0 ? a : b;
      if (chosen.kind != Source::Register) {
        cond = chosen;
        return true;
      }
      // A register array belongs to its place on the stack: the chosen
      // value moves down into the array of its new place.
      Step s;
      s.kernel = &k_copy;
      s.dst = top_slot();
      s.a = chosen;
      plan_->steps.push_back(s);
      cond = register_source(s.dst);
      return true;
    }
    Step s;
    s.kernel = &k_choose;
    s.dst = top_slot();
    s.c = cond;
    s.a = materialized(a, s.dst + 1);
    s.b = materialized(b, s.dst + 2);
    plan_->steps.push_back(s);
    cond = register_source(s.dst);
    return true;
  }

  // A constant operand filled into its own register array (`slot` is the
  // operand's place on the stack, free for it).
  Source materialized(const Source &s, int slot) {
    if (s.kind != Source::Constant) return s;
    Step f;
    f.kernel = &k_fill;
    f.dst = slot;
    f.a = s;
    plan_->steps.push_back(f);
    return register_source(slot);
  }

  const NumProg *program_;
  Plan *plan_;
  std::vector<Source> stack_;
};

// Assigns the values and runs the program as num_runprog does, without the
// listing: leaves the program as the last of the equivalent calls would.
void replay(NumProg *program, const std::vector<double> &values) {
  auto v = values.begin();
  for (NumVar &var : program->VariableList) var.Value = *v++;
  int errval = NumSuccess;
  dpprogram_run(program, &errval);
}

template <class T>
std::size_t run_array(NumProg *program, int *perrval, std::size_t n, int nvalues,
                      const T *const *values, double *results, int *errvals) {
  int first = NumSuccess;
  std::size_t failed = 0;
  auto fail_everything = [&](int code) {
    for (std::size_t i = 0; i < n; ++i) {
      if (results) results[i] = 0.0;
      if (errvals) errvals[i] = code;
    }
    failed = n;
    first = n > 0 ? code : NumSuccess;
  };

  bool inputs_ok = program && nvalues >= 0 &&
                   static_cast<std::size_t>(nvalues) == program->VariableList.size() &&
                   (nvalues == 0 || values);
  for (int k = 0; inputs_ok && k < nvalues; ++k)
    if (!values[k]) inputs_ok = false;

  if (!program) {
    fail_everything(NumProgramError);
  } else if (!inputs_ok) {
    fail_everything(NumVariableError);
  } else if (n > 0 && results) {
    // The last element's values, kept before results may overwrite them.
    std::vector<double> last(static_cast<std::size_t>(nvalues));
    for (int k = 0; k < nvalues; ++k) last[static_cast<std::size_t>(k)] = values[k][n - 1];

    Plan plan;
    Planner(program, &plan).build();
    std::vector<double> regs(static_cast<std::size_t>(plan.slots) * kBlock);
    // Float inputs are converted block by block; double inputs are read in place.
    constexpr bool convert = !std::is_same_v<T, double>;
    std::vector<double> staged(convert ? static_cast<std::size_t>(nvalues) * kBlock : 0);
    std::vector<const double *> in(static_cast<std::size_t>(nvalues));
    int err[kBlock];
    // With no step that can fail, every element succeeds, and the last step
    // can write its register straight into the results.
    const bool direct = !plan.can_fail && plan.has_result && plan.result.kind == Source::Register &&
                        !plan.steps.empty() && plan.steps.back().dst == plan.result.index;
    const Step *const last_step = plan.steps.empty() ? nullptr : &plan.steps.back();

    for (std::size_t off = 0; off < n; off += kBlock) {
      const std::size_t m = std::min(kBlock, n - off);
      for (int k = 0; k < nvalues; ++k) {
        const std::size_t kk = static_cast<std::size_t>(k);
        if constexpr (convert) {
          double *dst = staged.data() + kk * kBlock;
          for (std::size_t i = 0; i < m; ++i) dst[i] = static_cast<double>(values[k][off + i]);
          in[kk] = dst;
        } else {
          in[kk] = values[k] + off;
        }
      }
      auto pointer = [&](const Source &s) -> const double * {
        switch (s.kind) {
          case Source::Input: return in[static_cast<std::size_t>(s.index)];
          case Source::Register: return regs.data() + static_cast<std::size_t>(s.index) * kBlock;
          default: return nullptr;
        }
      };
      double *out = results + off;
      if (plan.can_fail) std::fill(err, err + m, 0);
      for (const Step &s : plan.steps) {
        BlockArgs a;
        a.n = m;
        a.dst = s.dst >= 0 ? regs.data() + static_cast<std::size_t>(s.dst) * kBlock : nullptr;
        if (direct && &s == last_step) a.dst = out;
        a.a = pointer(s.a);
        a.b = pointer(s.b);
        a.c = pointer(s.c);
        a.ka = s.a.value;
        a.kb = s.b.value;
        a.err = err;
        a.code = s.code;
        s.kernel(a);
      }
      if (!plan.can_fail) {
        if (!direct) {
          if (plan.result.kind == Source::Constant) std::fill(out, out + m, plan.result.value);
          else if (const double *top = pointer(plan.result); top != out)
            for (std::size_t i = 0; i < m; ++i) out[i] = top[i];
        }
        if (errvals) std::fill(errvals + off, errvals + off + m, 0);
        continue;
      }
      if (!plan.has_result) {
        std::fill(out, out + m, 0.0);
      } else if (plan.result.kind == Source::Constant) {
        const double v = plan.result.value;
        for (std::size_t i = 0; i < m; ++i) out[i] = err[i] ? 0.0 : v;
      } else {
        const double *top = pointer(plan.result);
        for (std::size_t i = 0; i < m; ++i) out[i] = err[i] ? 0.0 : top[i];
      }
      std::size_t nfail = 0;
      for (std::size_t i = 0; i < m; ++i) nfail += err[i] != 0;
      if (nfail) {
        if (!first)
          first = *std::find_if(err, err + m, [](int e) { return e != 0; });
        failed += nfail;
      }
      if (errvals) std::copy(err, err + m, errvals + off);
    }
    replay(program, last);
  } else if (n > 0) {
    fail_everything(NumProgramError);  // nowhere to put the results
  }

  if (program) numio_list_after_run(program, first);
  num_set_err(perrval, first);
  return failed;
}

}  // namespace

std::size_t num_runprog_array(NumProg *program, int *perrval, std::size_t n, int nvalues,
                              const double *const *values, double *results, int *errvals) {
  return run_array(program, perrval, n, nvalues, values, results, errvals);
}

std::size_t num_runprog_array(NumProg *program, int *perrval, std::size_t n, int nvalues,
                              const float *const *values, double *results, int *errvals) {
  return run_array(program, perrval, n, nvalues, values, results, errvals);
}
