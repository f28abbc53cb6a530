// The compiler: constant folding of a parsed program.
//
// The program is run once at compile time. Every stretch of instructions
// whose operands do not depend on a variable is executed on the register
// stack and replaced by PUSHVAL instructions of its results; an instruction
// that reads a variable, or that consumes a register holding such a value,
// is copied unchanged and ends the stretch. Folding uses the interpreter
// itself, so a folded constant has the bits the unfolded program computes.
#include "rylpack/numio_internal.h"

namespace {

rlong depth(const NumProg *program) {
  return program->CurrentAccumulator ? program->CurrentAccumulator->Number : 0;
}

bool append_compiled(NumProg *program, const NumInstr &ins, int *perrval) {
  if (numprog_append_instruction(program, 1, ins.Command, ins.Nargs, ins.Value, ins.Address,
                                 nullptr) == 0)
    return true;
  *perrval = NumProgramError;
  return false;
}

}  // namespace

NumInstr *dpprogram_optimize(NumProg *program, NumInstr *firstinstruction, int *perrval) {
  int dummy = 0;
  if (!perrval) perrval = &dummy;
  *perrval = NumSuccess;
  if (!program) {
    *perrval = NumProgramError;
    return nullptr;
  }
  std::vector<NumInstr> &list = program->InstructionList;
  if (!firstinstruction) return nullptr;
  if (list.empty() || firstinstruction < list.data() || firstinstruction >= list.data() + list.size()) {
    *perrval = NumProgramError;  // not an instruction of this program
    return nullptr;
  }
  NumInstr *const end = list.data() + list.size();

  // Registers above `first` hold values known at compile time.
  const rlong first = depth(program);
  rlong last = first;
  NumInstr *ins = firstinstruction;
  while (ins != end && ins->Command != NumCmd::PUSHADDR && last - ins->Nargs + 1 > first) {
    if (dpprogram_step(program, ins, perrval) != 0 || *perrval != NumSuccess) {
      if (*perrval == NumSuccess) *perrval = NumProgramError;
      return nullptr;
    }
    last = depth(program);
    ++ins;
  }

  // The known values, bottom to top.
  for (rlong k = first + 1; k <= last; ++k) {
    const NumInstr push{NumCmd::PUSHVAL, 0,
                        program->AccumulatorList[static_cast<std::size_t>(k - 1)].Value, nullptr};
    if (!append_compiled(program, push, perrval)) return nullptr;
  }
  if (ins == end) return nullptr;

  // The instruction that depends on a variable stays, and the stack is moved
  // as running it would move it; the register it leaves holds no constant.
  if (!append_compiled(program, *ins, perrval)) return nullptr;
  if (ins->Nargs == 0) {
    const double v = ins->Address ? *ins->Address : ins->Value;
    if (!numprog_up_accumulator(program, v)) {
      *perrval = NumNoAccumulator;
      return nullptr;
    }
  } else {
    for (int k = 1; k < ins->Nargs; ++k) numprog_down_accumulator(program);
  }
  return ins;
}

int dpprogram_compile(NumProg *program, int *perrval) {
  int dummy = 0;
  if (!perrval) perrval = &dummy;
  *perrval = NumSuccess;
  if (!program) {
    *perrval = NumProgramError;
    return -1;
  }
  if (program->InstructionList.empty()) {
    *perrval = NumNoInstruction;
    return -1;
  }
  program->CompiledList.clear();
  program->CurrentAccumulator = nullptr;

  NumInstr *const begin = program->InstructionList.data();
  NumInstr *const end = begin + program->InstructionList.size();
  for (NumInstr *ins = begin; ins != end;) {
    NumInstr *stop = dpprogram_optimize(program, ins, perrval);
    if (*perrval != NumSuccess) {
      program->CompiledList.clear();
      program->CurrentAccumulator = nullptr;
      return -1;
    }
    if (!stop) break;
    ins = stop + 1;
  }
  program->InstructionList.swap(program->CompiledList);
  program->CompiledList.clear();
  program->CurrentAccumulator = nullptr;
  numio_quick_prepare(program);  // what num_runprog runs; replaces the old one
  return 0;
}
