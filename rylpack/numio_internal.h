// What the sources of the expression module share behind numio.h.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "rylpack/numio.h"

// ------------------------------------------------- process-wide state --
// All of it lives in numio_state.cpp.

// Programs by name, in descending byte order of the names.
using NumProgRegistry = std::map<std::string, std::unique_ptr<NumProg>, std::greater<>>;
NumProgRegistry &numio_registry();

// Constants by key, in descending byte order of the keys: walking from the
// start, the first key that is a prefix of a text is the longest one.
using DPConstantTable = std::map<std::string, DPConstant, std::greater<>>;
DPConstantTable &numio_constant_table();
bool numio_constant_table_complete();
void numio_set_constant_table_complete(bool complete);

// ------------------------------------------------------------ helpers --

// A program of its own for one evaluation, outside the registry. Nested
// evaluations (a cast inside a cast) each get one; were they registered
// under one name, creating the inner one would free the outer one while it
// is being parsed.
std::unique_ptr<NumProg> numprog_temporary(const char *name);

// Writes the listing of a program after an evaluation: to standard error
// for errors above NumVariableError, else to standard output at debug level
// above 2.
void numio_list_after_run(const NumProg *program, int errval);

// The quick run of num_runprog (numio_quick.cpp). numio_quick_prepare
// translates a program, once it is compiled; every routine that changes a
// program's lists calls numio_quick_forget, so that no translation outlives
// what it was made from.
void numio_quick_prepare(NumProg *program);
void numio_quick_forget(NumProg *program);

// Sets *perrval when the pointer is not null.
inline void num_set_err(int *perrval, int value) {
  if (perrval) *perrval = value;
}
