// The interpreter: one instruction at a time on the register stack, and a
// whole run of a program.
//
// A run works on a small local stack and writes the registers back once at
// the end, leaving them exactly as stepping through the program with
// dpprogram_step would; only a program deeper than the local stack is
// stepped through the register cells themselves.
#include <algorithm>
#include <new>

#include "rylpack/numio_internal.h"
#include "rylpack/numio_ops_internal.h"

namespace {

int fail(int *perrval, int value) {
  *perrval = value;
  return -1;
}

// Depth of the local stack of a run; deeper programs take the slow path.
constexpr int kLocalDepth = 48;

enum class RunEnd { Done, Failed, TooDeep };

// Runs the instruction list on a local stack. Writes the registers back
// (allocating cells the first time a depth is reached) unless the program is
// too deep, in which case nothing of the program has been touched.
RunEnd run_local(NumProg *program, int *perrval) {
  double st[kLocalDepth];
  int sp = 0;  // registers in use; st[sp-1] is the top
  int hi = 0;  // deepest register written
  int err = NumSuccess;
  bool too_deep = false;

  // Each instruction gives the new number of registers in use, or -1 to
  // stop (err or too_deep says why). The stack pointer travels by value so
  // that it stays in a machine register.
  const NumInstr *ins = program->InstructionList.data();
  const NumInstr *const end = ins + program->InstructionList.size();
  for (; ins != end; ++ins) {
    const int next = numops::dispatch(ins->Command, [&, sp](auto c) -> int {
      constexpr int C = decltype(c)::value;
      constexpr int n = numops::arity(C);
      if constexpr (n < 0) {
        err = NumNoInstruction;
        return -1;
      } else if constexpr (n == 0) {
        double v;
        if constexpr (C == NumCmd::PUSHADDR) {
          if (!ins->Address) {
            err = NumNoVariable;
            return -1;
          }
          v = *ins->Address;
        } else if constexpr (C == NumCmd::PI) {
          v = NUM_PI;
        } else {
          v = ins->Value;
        }
        if (sp == kLocalDepth) {
          too_deep = true;
          return -1;
        }
        st[sp] = v;
        return sp + 1;
      } else if constexpr (n == 1) {
        if (sp == 0) {
          err = NumNoAccumulator;
          return -1;
        }
        const double v = st[sp - 1];
        if constexpr (numops::kUnaryChecked<C>) {
          if ((err = numops::unary_error<C>(v))) return -1;
        }
        st[sp - 1] = numops::unary<C>(v);
        return sp;
      } else if constexpr (n == 2) {
        if (sp < 2) {
          err = NumNoAccumulator;
          return -1;
        }
        const double x = st[sp - 2], y = st[sp - 1];
        if constexpr (numops::kBinaryChecked<C>) {
          if ((err = numops::binary_error<C>(x, y))) return -1;
        }
        st[sp - 2] = numops::binary<C>(x, y);
        return sp - 1;
      } else {
        if (sp < 3) {
          err = NumNoAccumulator;
          return -1;
        }
        st[sp - 3] = numops::choose(st[sp - 3], st[sp - 2], st[sp - 1]);
        return sp - 2;
      }
    });
    if (next < 0) {
      // Where the stack is left after a failure, as stepping leaves it: a
      // binary instruction has popped its top operand; popping the bottom
      // register empties the stack.
      const int n = numops::arity(ins->Command);
      if (err == NumNoAccumulator && n >= 2) sp = 0;
      else if (n == 2) sp -= 1;
      break;
    }
    sp = next;
    hi = sp > hi ? sp : hi;
  }
  if (too_deep) return RunEnd::TooDeep;

  std::deque<NumAccu> &cells = program->AccumulatorList;
  try {
    while (cells.size() < static_cast<std::size_t>(hi))
      cells.push_back(NumAccu{static_cast<rlong>(cells.size() + 1), 0.0});
  } catch (const std::bad_alloc &) {
    program->CurrentAccumulator = nullptr;
    *perrval = NumNoAccumulator;
    return RunEnd::Failed;
  }
  auto cell = cells.begin();
  for (int k = 0; k < hi; ++k, ++cell) cell->Value = st[k];
  program->CurrentAccumulator = sp > 0 ? &cells[static_cast<std::size_t>(sp - 1)] : nullptr;
  *perrval = err;
  return err ? RunEnd::Failed : RunEnd::Done;
}

}  // namespace

int dpprogram_step(NumProg *program, const NumInstr *instruction, int *perrval) {
  int dummy = 0;
  if (!perrval) perrval = &dummy;
  *perrval = NumSuccess;
  if (!program) return fail(perrval, NumProgramError);
  if (!instruction) return fail(perrval, NumNoInstruction);

  return numops::dispatch(instruction->Command, [&](auto c) -> int {
    constexpr int C = decltype(c)::value;
    constexpr int n = numops::arity(C);
    if constexpr (n < 0) {
      return fail(perrval, NumNoInstruction);
    } else if constexpr (n == 0) {
      double v;
      if constexpr (C == NumCmd::PUSHADDR) {
        if (!instruction->Address) return fail(perrval, NumNoVariable);
        v = *instruction->Address;
      } else if constexpr (C == NumCmd::PI) {
        v = NUM_PI;
      } else {
        v = instruction->Value;
      }
      if (!numprog_up_accumulator(program, v)) return fail(perrval, NumNoAccumulator);
      return 0;
    } else if constexpr (n == 1) {
      NumAccu *top = program->CurrentAccumulator;
      if (!top) return fail(perrval, NumNoAccumulator);
      if constexpr (numops::kUnaryChecked<C>) {
        *perrval = numops::unary_error<C>(top->Value);
        if (*perrval) return 0;
      }
      top->Value = numops::unary<C>(top->Value);
      return 0;
    } else if constexpr (n == 2) {
      // The register below the top is x; the one above it, y, is popped.
      NumAccu *x = numprog_down_accumulator(program);
      if (!x) return fail(perrval, NumNoAccumulator);
      const double y = program->AccumulatorList[static_cast<std::size_t>(x->Number)].Value;
      if constexpr (numops::kBinaryChecked<C>) {
        *perrval = numops::binary_error<C>(x->Value, y);
        if (*perrval) return 0;
      }
      x->Value = numops::binary<C>(x->Value, y);
      return 0;
    } else {
      // c (bottom) ? a (middle) : b (top)
      NumAccu *a = numprog_down_accumulator(program);
      if (!a) return fail(perrval, NumNoAccumulator);
      const double b = program->AccumulatorList[static_cast<std::size_t>(a->Number)].Value;
      NumAccu *cc = numprog_down_accumulator(program);
      if (!cc) return fail(perrval, NumNoAccumulator);
      cc->Value = numops::choose(cc->Value, a->Value, b);
      return 0;
    }
  });
}

int dpprogram_run(NumProg *program, int *perrval) {
  int dummy = 0;
  if (!perrval) perrval = &dummy;
  *perrval = NumSuccess;
  if (!program) return fail(perrval, NumProgramError);
  program->CurrentAccumulator = nullptr;
  if (program->InstructionList.empty()) return fail(perrval, NumNoInstruction);

  switch (run_local(program, perrval)) {
    case RunEnd::Done: break;
    case RunEnd::Failed: return -1;
    case RunEnd::TooDeep:
      for (const NumInstr &ins : program->InstructionList) {
        dpprogram_step(program, &ins, perrval);
        if (*perrval != NumSuccess) return -1;
      }
      break;
  }
  if (!program->CurrentAccumulator) return fail(perrval, NumNoAccumulator);
  return 0;
}
