// Program primitives: the registry entries, instruction and variable lists,
// the register stack, and program listings.
#include <cctype>
#include <cstring>
#include <new>

#include "rylpack/numio_internal.h"
#include "rylpack/strlib.h"

namespace {

// Instruction names indexed by command code, for listings.
const char *const kCommandStrings[NumCmd::Count] = {
    "Invalid", "PUSHVAL", "PUSHADDR", "NEG",    "MUL",      "NOT",     "EQU",
    "NEQ",     "LE",      "LT",       "GE",     "GT",       "AND",     "OR",
    "IF",      "DIV",     "FLOORDIV", "REST",   "ADD",      "SUB",     "RAD",
    "DEG",     "PI",      "SIN",      "COS",    "TAN",      "ASIN",    "ACOS",
    "ATAN",    "ATAN2",   "SINH",     "COSH",   "TANH",     "FLOOR",   "CEIL",
    "FABS",    "EXP",     "LOG",      "LOG10",  "POW",      "SQRT",    "ROUND",
    "GAMMA",   "FMIN",    "FMAX",     "DEGC2K", "K2DEGC",   "DEGF2K",  "K2DEGF",
    "DEGK2K",  "K2DEGK",  "DEGF2DEGC", "DEGC2DEGF",
};

bool is_ascii_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::unique_ptr<NumProg> numprog_temporary(const char *name) {
  try {
    auto p = std::make_unique<NumProg>();
    p->Name = name ? name : "";
    return p;
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

NumProg *numprog_new(const char *Name) {
  if (!Name) return nullptr;
  try {
    NumProgRegistry &reg = numio_registry();
    reg.erase(Name);
    auto p = std::make_unique<NumProg>();
    p->Name = Name;
    NumProg *raw = p.get();
    reg.emplace(std::string(Name), std::move(p));
    return raw;
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}

int numprog_free(NumProg *program) {
  if (!program) return 0;
  NumProgRegistry &reg = numio_registry();
  // Compare addresses only: a program freed before must not be read.
  for (auto it = reg.begin(); it != reg.end(); ++it) {
    if (it->second.get() == program) {
      reg.erase(it);
      return 0;
    }
  }
  return -1;
}

NumProg *numprog_search_registry(const char *Name) {
  if (!Name) return nullptr;
  NumProgRegistry &reg = numio_registry();
  auto it = reg.find(Name);
  return it == reg.end() ? nullptr : it->second.get();
}

int numprog_registry_size() { return static_cast<int>(numio_registry().size()); }

int numprog_append_instruction(NumProg *program, int mode, int Command, int Nargs,
                               double Value, double *Address, NumInstr **pinstruction) {
  if (!program || (mode != 0 && mode != 1)) return -1;
  std::vector<NumInstr> &list = mode == 0 ? program->InstructionList : program->CompiledList;
  if (mode == 0) numio_quick_forget(program);
  try {
    list.push_back(NumInstr{Command, Nargs, Value, Address});
  } catch (const std::bad_alloc &) {
    return -1;
  }
  if (pinstruction) *pinstruction = &list.back();
  return 0;
}

NumAccu *numprog_up_accumulator(NumProg *program, double Value) {
  if (!program) return nullptr;
  std::deque<NumAccu> &list = program->AccumulatorList;
  const rlong current = program->CurrentAccumulator ? program->CurrentAccumulator->Number : 0;
  if (static_cast<std::size_t>(current) >= list.size()) {
    try {
      list.push_back(NumAccu{current + 1, 0.0});
    } catch (const std::bad_alloc &) {
      return nullptr;
    }
  }
  NumAccu *next = &list[static_cast<std::size_t>(current)];
  next->Value = Value;
  program->CurrentAccumulator = next;
  return next;
}

NumAccu *numprog_down_accumulator(NumProg *program) {
  if (!program || !program->CurrentAccumulator) return nullptr;
  const rlong current = program->CurrentAccumulator->Number;
  if (current <= 1) {
    program->CurrentAccumulator = nullptr;
    return nullptr;
  }
  program->CurrentAccumulator = &program->AccumulatorList[static_cast<std::size_t>(current - 2)];
  return program->CurrentAccumulator;
}

int numprog_checkvar(const char *name) {
  if (!name) return 0;
  if (!*name) return 1;
  if (!is_ascii_alpha(*name)) return 0;
  for (const char *s = name + 1; *s; ++s)
    if (!is_ascii_alpha(*s) && !is_ascii_digit(*s)) return 0;
  return 1;
}

int numprog_append_variable(NumProg *program, const char *Key, double InitValue,
                            NumVar **pvariable) {
  if (!program) return 0;
  if (!numprog_checkvar(Key)) return -1;
  NumVar *existing = nullptr;
  if (numprog_search_variable(program, Key, &existing, 0) == 0) {
    if (pvariable) *pvariable = existing;
    return -1;
  }
  numio_quick_forget(program);
  try {
    program->VariableList.push_back(NumVar{Key, InitValue, 0});
  } catch (const std::bad_alloc &) {
    return -1;
  }
  if (pvariable) *pvariable = &program->VariableList.back();
  return 0;
}

int numprog_search_variable(NumProg *program, const char *Key, NumVar **pvariable, int mode) {
  if (!program || !Key) return -1;
  for (NumVar &v : program->VariableList) {
    const bool match = mode == 0 ? v.Key == Key
                                 : std::strncmp(v.Key.c_str(), Key, v.Key.size()) == 0;
    if (match) {
      if (pvariable) *pvariable = &v;
      return 0;
    }
  }
  return -1;
}

const char *numprog_cmd2str(int code) {
  if (code < 0 || code >= NumCmd::Count) return "Invalid";
  return kCommandStrings[code];
}

char *numprog_ins2str(char *buffer, std::size_t buflen, const NumInstr *instruction) {
  if (!buffer || buflen == 0) return buffer;
  buffer[0] = '\0';
  if (buflen < 50 || !instruction) return buffer;
  const char *name = numprog_cmd2str(instruction->Command);
  if (instruction->Command == NumCmd::PUSHVAL)
    std::snprintf(buffer, buflen, "%10s  %10g", name, instruction->Value);
  else if (instruction->Command == NumCmd::PUSHADDR)
    std::snprintf(buffer, buflen, "%10s *%10p", name, static_cast<const void *>(instruction->Address));
  else
    std::snprintf(buffer, buflen, "%10s  %10s (%d args)", name, "", instruction->Nargs);
  return buffer;
}

void num_prog_print_variable_list(FILE *out, const NumProg *p, int level, int verbose) {
  if (!out || !p || level <= 0) return;
  const char *sep = "-   -   -   -   -   -   -   -   -   -   -   -   -   -   -";
  for (std::size_t i = 0; i < p->VariableList.size(); ++i) {
    const NumVar &v = p->VariableList[i];
    if (!verbose) {
      std::fprintf(out, "  '%s' = %g = *%p\n", v.Key.c_str(), v.Value,
                   static_cast<const void *>(&v.Value));
      continue;
    }
    std::fprintf(out, "  %s\n", sep);
    std::fprintf(out, "  Variable            = %s\n", v.Key.c_str());
    std::fprintf(out, "  Value               = %g\n", v.Value);
    std::fprintf(out, "  Used                = %d\n", v.Used);
    if (i > 0) std::fprintf(out, "  Previous variable   = %s\n", p->VariableList[i - 1].Key.c_str());
    else std::fprintf(out, "  Previous variable   = (no previous variable)\n");
    if (i + 1 < p->VariableList.size())
      std::fprintf(out, "  Next variable       = %s\n", p->VariableList[i + 1].Key.c_str());
    else std::fprintf(out, "  Next variable       = (no next variable)\n");
  }
  if (verbose && !p->VariableList.empty()) std::fprintf(out, "  %s\n", sep);
}

void num_prog_print_accumulator_list(FILE *out, const NumProg *p, int level, int verbose) {
  if (!out || !p || level <= 0) return;
  for (std::size_t i = 0; i < p->AccumulatorList.size(); ++i) {
    const NumAccu &a = p->AccumulatorList[i];
    if (!verbose) {
      std::fprintf(out, "  Accumulator #" RLONG_FMT " = %g\n", a.Number, a.Value);
      continue;
    }
    std::fprintf(out, "  Accumulator          = #" RLONG_FMT "\n", a.Number);
    std::fprintf(out, "  Value                = %g\n", a.Value);
    if (i > 0) std::fprintf(out, "  Previous accumulator = #" RLONG_FMT "\n", p->AccumulatorList[i - 1].Number);
    else std::fprintf(out, "  Previous accumulator = (no previous accumulator)\n");
    if (i + 1 < p->AccumulatorList.size())
      std::fprintf(out, "  Next accumulator     = #" RLONG_FMT "\n", p->AccumulatorList[i + 1].Number);
    else std::fprintf(out, "  Next accumulator     = (no next accumulator)\n");
  }
}

void num_prog_print_instruction_list(FILE *out, const NumProg *p, int mode, int level, int /*verbose*/) {
  if (!out || !p || level <= 0) return;
  const std::vector<NumInstr> &list = mode == 1 ? p->CompiledList : p->InstructionList;
  std::fprintf(out, "  %s\n", mode == 1 ? "CompiledList" : "InstructionList");
  char line[NumBUFLEN];
  for (const NumInstr &ins : list) std::fprintf(out, "   %s\n", numprog_ins2str(line, sizeof line, &ins));
}

void num_prog_print_list(FILE *out, const NumProg *program, int level, int verbose) {
  if (!out || level <= 0) return;
  if (!program) {
    for (const auto &entry : numio_registry())
      if (entry.second) num_prog_print_list(out, entry.second.get(), level, verbose);
    return;
  }
  if (!verbose) {
    std::fprintf(out, " Program             = '%s'\n", program->Name.c_str());
    num_prog_print_variable_list(out, program, level - 1, 0);
    num_prog_print_instruction_list(out, program, 0, level - 1, verbose);
    num_prog_print_accumulator_list(out, program, level - 1, 0);
    return;
  }
  const char *sep = " - - - - - - - - - - - - - - - - - - - - - - - - - - - - -";
  std::fprintf(out, "%s\n", sep);
  std::fprintf(out, " Name                = %s\n", program->Name.c_str());
  num_prog_print_variable_list(out, program, level - 1, 1);
  num_prog_print_accumulator_list(out, program, level - 1, 1);
  num_prog_print_instruction_list(out, program, 0, level - 1, verbose);
  // Neighbours in the registry, when the program is registered there.
  const NumProgRegistry &reg = numio_registry();
  auto it = reg.find(program->Name);
  const bool registered = it != reg.end() && it->second.get() == program;
  if (registered && it != reg.begin())
    std::fprintf(out, " Previous program = %s\n", std::prev(it)->first.c_str());
  else
    std::fprintf(out, " Previous program = (no previous program)\n");
  if (registered && std::next(it) != reg.end())
    std::fprintf(out, " Next program     = %s\n", std::next(it)->first.c_str());
  else
    std::fprintf(out, " Next program     = (no next program)\n");
  if (program->CurrentAccumulator)
    std::fprintf(out, " CurrentAccumulator  = #" RLONG_FMT " (Value = %g)\n",
                 program->CurrentAccumulator->Number, program->CurrentAccumulator->Value);
  else
    std::fprintf(out, " CurrentAccumulator  = (no current accumulator)\n");
  std::fprintf(out, "%s\n", sep);
}

void numio_list_after_run(const NumProg *program, int errval) {
  if (errval > NumVariableError) num_prog_print_list(stderr, program, 2, 0);
  else if (numio_debug_level() > 2) num_prog_print_list(stdout, program, 2, 0);
}
