// The quick run of num_runprog: a program translated once into a short list
// of operations, each of which does the work of one to three instructions
// (a push folded into the operation that uses it), on registers whose
// places on the stack are worked out in advance.
//
// The compiler makes the translation. It never stands in for a program that
// has changed since: the routines that change a program's lists drop it; a
// run checks that the instruction list, the variables and the registers are
// those translated, for lists changed behind the routines' back; and every
// operation checks the codes of the instructions it covers and reads their
// constants and variable addresses from the instructions themselves.
// Whatever the quick run does not handle (a failing operation, a program too
// deep or too long, a changed program, an unknown code) makes it give up
// before it has changed anything but the variables, and num_runprog then
// runs the interpreter, which reports exactly as ever.
#include <algorithm>
#include <new>

#include "rylpack/numio_internal.h"
#include "rylpack/numio_ops_internal.h"

namespace {

struct QuickOp;
// An operation does its work and then tail-calls the next one; the last
// operation of a form ends the run.
using QuickFn = bool (*)(const QuickOp *op, double *st);

// One operation: `ins` is the first instruction it covers, `slot` the
// register (from 0) that holds its result.
struct QuickOp {
  QuickFn fn = nullptr;
  const NumInstr *ins = nullptr;
  int slot = 0;
};

}  // namespace

struct NumRunForm {
  const NumInstr *list = nullptr;  // the instruction list translated
  const NumInstr *list_end = nullptr;
  const NumVar *first_var = nullptr, *last_var = nullptr;
  std::size_t depth = 0;           // registers the run writes
  std::vector<double *> vars;      // values of the variables, in definition order
  std::vector<double *> cells;     // values of registers 1 .. depth
  const NumAccu *first_cell = nullptr;
  NumAccu *top = nullptr;          // the register holding the result
  std::vector<QuickOp> ops;        // ending with op_end
};

void NumRunFormFree::operator()(NumRunForm *form) const { delete form; }

namespace {

// Deeper programs are left to the interpreter, and so are longer ones: the
// operations call each other, and the chain must stay shallow should the
// compiler not turn the calls into jumps.
constexpr int kQuickDepth = 48;
constexpr std::size_t kQuickOps = 256;

// Where an operand comes from: a register of the stack, or the instruction
// that pushes it (a constant or a variable).
enum Operand { Stack = 0, Constant = 1, Variable = 2 };

// Reads the operand pushed by `ins`; false when the instruction is not the
// push it was translated from.
template <int P>
inline bool pushed(const NumInstr &ins, double *v) {
  if constexpr (P == Constant) {
    if (ins.Command != NumCmd::PUSHVAL) return false;
    *v = ins.Value;
  } else {
    if (ins.Command != NumCmd::PUSHADDR || !ins.Address) return false;
    *v = *ins.Address;
  }
  return true;
}

inline bool next(const QuickOp *op, double *st) { return op[1].fn(op + 1, st); }

bool op_end(const QuickOp *, double *) { return true; }

template <int P>
bool op_push(const QuickOp *op, double *st) {
  if (!pushed<P>(*op->ins, &st[op->slot])) return false;
  return next(op, st);
}

bool op_pi(const QuickOp *op, double *st) {
  if (op->ins->Command != NumCmd::PI) return false;
  st[op->slot] = NUM_PI;
  return next(op, st);
}

template <int C, int P>
bool op_unary(const QuickOp *op, double *st) {
  double v;
  const NumInstr *ins = op->ins;
  if constexpr (P == Stack) {
    v = st[op->slot];
  } else {
    if (!pushed<P>(*ins++, &v)) return false;
  }
  if (ins->Command != C) return false;
  if constexpr (numops::kUnaryChecked<C>) {
    if (numops::unary_error<C>(v)) return false;
  }
  st[op->slot] = numops::unary<C>(v);
  return next(op, st);
}

// x is the register at `slot` or pushed; y the register above it or pushed
// (a pushed x is always followed by a pushed y). A pushed y is still stored
// in its register, where stepping through the instructions leaves it.
template <int C, int PX, int PY>
bool op_binary(const QuickOp *op, double *st) {
  double x, y;
  const NumInstr *ins = op->ins;
  if constexpr (PX == Stack) {
    x = st[op->slot];
  } else {
    if (!pushed<PX>(*ins++, &x)) return false;
  }
  if constexpr (PY == Stack) {
    y = st[op->slot + 1];
  } else {
    if (!pushed<PY>(*ins++, &y)) return false;
    st[op->slot + 1] = y;
  }
  if (ins->Command != C) return false;
  if constexpr (numops::kBinaryChecked<C>) {
    if (numops::binary_error<C>(x, y)) return false;
  }
  st[op->slot] = numops::binary<C>(x, y);
  return next(op, st);
}

bool op_choose(const QuickOp *op, double *st) {
  if (op->ins->Command != NumCmd::IF) return false;
  double *s = st + op->slot;
  s[0] = numops::choose(s[0], s[1], s[2]);
  return next(op, st);
}

// Which operand kind an instruction pushes, or -1 for any other.
int push_kind(const NumInstr &ins) {
  if (ins.Command == NumCmd::PUSHVAL) return Constant;
  if (ins.Command == NumCmd::PUSHADDR && ins.Address) return Variable;
  return -1;
}

template <int C>
QuickFn unary_fn(int p) {
  switch (p) {
    case Constant: return &op_unary<C, Constant>;
    case Variable: return &op_unary<C, Variable>;
    default: return &op_unary<C, Stack>;
  }
}

template <int C>
QuickFn binary_fn(int px, int py) {
  if (px == Stack) {
    switch (py) {
      case Constant: return &op_binary<C, Stack, Constant>;
      case Variable: return &op_binary<C, Stack, Variable>;
      default: return &op_binary<C, Stack, Stack>;
    }
  }
  if (px == Constant)
    return py == Constant ? &op_binary<C, Constant, Constant> : &op_binary<C, Constant, Variable>;
  return py == Constant ? &op_binary<C, Variable, Constant> : &op_binary<C, Variable, Variable>;
}

// The operation for the instruction code `cmd` whose operands come from
// px (unary) or px and py (binary); null for the pushes and invalid codes.
QuickFn operation(int cmd, int px, int py) {
  return numops::dispatch(cmd, [&](auto c) -> QuickFn {
    constexpr int C = decltype(c)::value;
    constexpr int n = numops::arity(C);
    if constexpr (n == 1) return unary_fn<C>(px);
    else if constexpr (n == 2) return binary_fn<C>(px, py);
    else if constexpr (n == 3) return &op_choose;
    else return nullptr;
  });
}

// Translates the program; leaves `form` empty (no operations) for anything
// the quick run leaves to the interpreter.
void translate(NumProg *program, NumRunForm *form) {
  const std::vector<NumInstr> &list = program->InstructionList;
  *form = NumRunForm{};
  form->list = list.data();
  form->list_end = list.data() + list.size();
  std::vector<QuickOp> ops;
  int sp = 0, depth = 0;
  auto reach = [&](int registers) { depth = std::max(depth, registers); };
  const std::size_t n = list.size();
  for (std::size_t i = 0; i < n;) {
    const NumInstr &ins = list[i];
    const int arity = numops::arity(ins.Command);
    QuickOp op;
    op.ins = &ins;
    if (arity < 0) return;
    if (arity == 0) {
      const int p = push_kind(ins);
      const int next = i + 1 < n ? numops::arity(list[i + 1].Command) : -1;
      const int q = i + 1 < n ? push_kind(list[i + 1]) : -1;
      if (p >= 0 && next == 1) {  // push, unary
        op.fn = operation(list[i + 1].Command, p, Stack);
        op.slot = sp;
        reach(++sp);
        i += 2;
      } else if (p >= 0 && next == 2 && sp >= 1) {  // push y, binary
        op.fn = operation(list[i + 1].Command, Stack, p);
        op.slot = sp - 1;
        reach(sp + 1);
        i += 2;
      } else if (p >= 0 && q >= 0 && i + 2 < n && numops::arity(list[i + 2].Command) == 2) {
        op.fn = operation(list[i + 2].Command, p, q);  // push x, push y, binary
        op.slot = sp;
        reach(sp + 2);
        ++sp;
        i += 3;
      } else {
        if (p == Constant) op.fn = &op_push<Constant>;
        else if (p == Variable) op.fn = &op_push<Variable>;
        else if (ins.Command == NumCmd::PI) op.fn = &op_pi;
        else return;  // a variable without an address
        op.slot = sp;
        reach(++sp);
        ++i;
      }
    } else {
      if (sp < arity) return;
      op.fn = operation(ins.Command, Stack, Stack);
      sp -= arity - 1;
      op.slot = sp - 1;
      ++i;
    }
    ops.push_back(op);
    if (ops.size() >= kQuickOps) return;
  }
  std::deque<NumAccu> &cells = program->AccumulatorList;
  const std::size_t registers = static_cast<std::size_t>(depth);
  if (sp == 0 || depth > kQuickDepth || cells.size() < registers) return;

  QuickOp end;
  end.fn = &op_end;
  ops.push_back(end);
  for (NumVar &var : program->VariableList) form->vars.push_back(&var.Value);
  if (!program->VariableList.empty()) {
    form->first_var = &program->VariableList.front();
    form->last_var = &program->VariableList.back();
  }
  for (std::size_t k = 0; k < registers; ++k) form->cells.push_back(&cells[k].Value);
  form->depth = registers;
  form->first_cell = &cells.front();
  form->top = &cells[static_cast<std::size_t>(sp - 1)];
  form->ops = std::move(ops);
}

// True when `form` was made from the instruction list as it is now.
bool current(const NumProg *program, const NumRunForm *form) {
  const std::vector<NumInstr> &list = program->InstructionList;
  return form->list == list.data() && form->list_end == list.data() + list.size();
}

// True when the variables are those the form was made with. The routines
// that add or release variables drop the form; this catches a list changed
// behind their back at its ends, which is where a deque grows or shrinks.
bool same_variables(const NumProg *program, const NumRunForm *form) {
  const std::deque<NumVar> &vars = program->VariableList;
  if (vars.empty()) return form->vars.empty();
  return &vars.front() == form->first_var && &vars.back() == form->last_var;
}

}  // namespace

void numio_quick_prepare(NumProg *program) {
  if (!program) return;
  try {
    if (!program->RunForm) program->RunForm.reset(new NumRunForm);
    translate(program, program->RunForm.get());
  } catch (const std::bad_alloc &) {
    program->RunForm.reset();  // the interpreter runs it
  }
}

void numio_quick_forget(NumProg *program) {
  if (program) program->RunForm.reset();
}

namespace {

// Runs the translation: assigns the variables, leaves the registers as the
// interpreter would and sets *result. False, having changed nothing but the
// variables, when the run is left to the interpreter: it fails, there is no
// current translation, or nvalues does not fit.
[[gnu::always_inline]] inline bool quick_run(NumProg *program, int nvalues, const double *values,
                                             double *result) {
  const NumRunForm *form = program->RunForm.get();
  if (!form || form->ops.empty() || !current(program, form) ||
      static_cast<std::size_t>(nvalues) != form->vars.size() || (nvalues > 0 && !values) ||
      !same_variables(program, form) ||
      program->AccumulatorList.size() < form->depth ||
      &program->AccumulatorList.front() != form->first_cell)
    return false;

  // The variables first: the operations read them through the addresses
  // the instructions hold.
  for (double *var : form->vars) *var = *values++;
  double st[kQuickDepth];
  if (!form->ops.front().fn(form->ops.data(), st)) return false;

  const double *v = st;
  for (double *cell : form->cells) *cell = *v++;
  program->CurrentAccumulator = form->top;
  *result = form->top->Value;
  return true;
}

// num_runprog by the interpreter: every check and every report. Kept out of
// line so that the quick path does not pay for its frame.
[[gnu::noinline]] double run_interpreted(NumProg *program, int *perrval, int nvalues,
                                         const double *values) {
  if (!program) {
    num_set_err(perrval, NumProgramError);
    return 0.0;
  }
  int errval = NumSuccess;
  double result = 0.0;
  if (nvalues < 0 || static_cast<std::size_t>(nvalues) != program->VariableList.size() ||
      (nvalues > 0 && !values)) {
    errval = NumVariableError;
  } else {
    const double *v = values;
    for (NumVar &var : program->VariableList) var.Value = *v++;
    if (dpprogram_run(program, &errval) == 0) result = program->CurrentAccumulator->Value;
  }
  if (errval) result = 0.0;
  numio_list_after_run(program, errval);
  num_set_err(perrval, errval);
  return result;
}

}  // namespace

double num_runprog_values(NumProg *program, int *perrval, int nvalues, const double *values) {
  double result;
  if (program && quick_run(program, nvalues, values, &result)) [[likely]] {
    if (numio_debug_level() > 2) numio_list_after_run(program, NumSuccess);
    num_set_err(perrval, NumSuccess);
    return result;
  }
  return run_interpreted(program, perrval, nvalues, values);
}
