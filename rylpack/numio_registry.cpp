// Registry operations, list releases, counts and size reports of programs.
#include <cctype>

#include "rylpack/numio_internal.h"

namespace {

template <class List>
rlong count(const List &list) {
  return static_cast<rlong>(list.size());
}

const std::vector<NumInstr> *instruction_list(const NumProg *program, int mode) {
  switch (mode) {
    case 0: return &program->InstructionList;
    case 1: return &program->CompiledList;
    case 2: return program->CompiledList.empty() ? &program->InstructionList : &program->CompiledList;
    default: return nullptr;
  }
}

// True when an instruction of `list` reads one of the program's variables.
bool reads_variables(const NumProg *program, const std::vector<NumInstr> &list) {
  for (const NumInstr &ins : list) {
    if (ins.Command != NumCmd::PUSHADDR || !ins.Address) continue;
    for (const NumVar &v : program->VariableList)
      if (ins.Address == &v.Value) return true;
  }
  return false;
}

}  // namespace

void numprog_init() {}

int numprog_insert(const char *Name, NumProg **pprogram) {
  if (pprogram) *pprogram = nullptr;
  if (!Name) return -1;
  NumProg *program = numprog_search_registry(Name);
  if (!program) program = numprog_new(Name);
  if (!program) return -1;
  if (pprogram) *pprogram = program;
  return 0;
}

int numprog_search(const char *Name, NumProg **pprogram) {
  if (pprogram) *pprogram = nullptr;
  if (!Name) return -1;
  if (pprogram) *pprogram = numprog_search_registry(Name);
  return 0;
}

int numprog_remove(const char *Name) {
  if (Name) return numprog_free(numprog_search_registry(Name));
  numio_registry().clear();
  return 0;
}

std::string numprog_newstr(const char *s) { return s ? std::string(s) : std::string(); }

int numprog_is_empty(const char *s) {
  if (!s) return 1;
  for (; *s; ++s)
    if (!std::isspace(static_cast<unsigned char>(*s))) return 0;
  return 1;
}

int numprog_free_variable_list(NumProg *program) {
  if (!program) return 0;
  numio_quick_forget(program);
  // An instruction that reads a variable would point into released memory.
  if (reads_variables(program, program->InstructionList)) program->InstructionList.clear();
  if (reads_variables(program, program->CompiledList)) program->CompiledList.clear();
  program->VariableList.clear();
  return 0;
}

int numprog_free_accumulator_list(NumProg *program) {
  if (!program) return 0;
  numio_quick_forget(program);
  program->CurrentAccumulator = nullptr;
  program->AccumulatorList.clear();
  return 0;
}

int numprog_free_instruction_list(NumProg *program, int mode) {
  if (mode != 0 && mode != 1) return -1;
  if (!program) return 0;
  if (mode == 0) numio_quick_forget(program);
  (mode == 0 ? program->InstructionList : program->CompiledList).clear();
  return 0;
}

rlong num_prog_variables(const NumProg *program) {
  return program ? count(program->VariableList) : 0;
}

rlong num_prog_accumulators(const NumProg *program) {
  return program ? count(program->AccumulatorList) : 0;
}

rlong num_prog_instructions(const NumProg *program, int mode) {
  if (!program) return 0;
  const std::vector<NumInstr> *list = instruction_list(program, mode);
  return list ? count(*list) : 0;
}

rlong num_prog_variable_size(const NumProg *program) {
  return num_prog_variables(program) * static_cast<rlong>(sizeof(NumVar));
}

rlong num_prog_accumulator_size(const NumProg *program) {
  return num_prog_accumulators(program) * static_cast<rlong>(sizeof(NumAccu));
}

rlong num_prog_instruction_size(const NumProg *program, int mode) {
  return num_prog_instructions(program, mode) * static_cast<rlong>(sizeof(NumInstr));
}

rlong num_prog_size(const NumProg *program) {
  if (!program) return 0;
  rlong size = static_cast<rlong>(sizeof(NumProg) + program->Name.size() + 1);
  size += num_prog_variable_size(program);
  for (const NumVar &v : program->VariableList) size += static_cast<rlong>(v.Key.size() + 1);
  size += num_prog_accumulator_size(program);
  size += num_prog_instruction_size(program, 0) + num_prog_instruction_size(program, 1);
  return size;
}

rlong num_prog_size_all() {
  rlong size = 0;
  for (const auto &entry : numio_registry()) size += num_prog_size(entry.second.get());
  return size;
}
