// The public interface of compiled programs: compile an expression with
// named variables once, run it many times with new values.
#include <cctype>

#include "rylpack/numio_internal.h"

NumProg *num_str2prog_list(const char *name, const char *str, const char **tail, int *perrval,
                           int nvar, const char *const *names) {
  int errval = NumSuccess;
  const char *s = str ? str : "";
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;

  NumProg *program = name ? numprog_new(name) : nullptr;
  if (!program) errval = NumProgramError;

  if (!errval) {
    if (nvar < 0 || (nvar > 0 && !names)) errval = NumVariableError;
    for (int k = 0; !errval && k < nvar; ++k)
      if (numprog_append_variable(program, names[k], 1.0, nullptr) != 0) errval = NumVariableError;
  }
  if (!errval) dpcondition(program, &s, 0, &errval);
  if (tail) *tail = s;
  if (!errval) dpprogram_compile(program, &errval);

  if (program) numio_list_after_run(program, errval);
  if (errval && program) {
    // A failed compilation leaves no program behind.
    if (numprog_free(program) != 0) errval = NumProgramError;
    program = nullptr;
  }
  num_set_err(perrval, errval);
  return program;
}

int num_chkvar(const NumProg *program, int n, int *perrval) {
  if (!program) {
    num_set_err(perrval, NumProgramError);
    return 0;
  }
  const std::size_t index = n <= 1 ? 0 : static_cast<std::size_t>(n) - 1;
  if (index >= program->VariableList.size()) {
    num_set_err(perrval, NumNoVariable);
    return 0;
  }
  num_set_err(perrval, NumSuccess);
  return program->VariableList[index].Used;
}

NumProg *num_searchprog(const char *name, int *perrval) {
  NumProg *program = nullptr;
  num_set_err(perrval, numprog_search(name, &program) == 0 ? NumSuccess : NumProgramError);
  return program;
}

int num_rmprog(NumProg *program, int *perrval) {
  if (numprog_free(program) != 0) {
    num_set_err(perrval, NumProgramError);
    return -1;
  }
  num_set_err(perrval, NumSuccess);
  return 0;
}
