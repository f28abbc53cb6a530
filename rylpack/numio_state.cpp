// Process-wide state of the expression module: the program registry, the
// constant table, the debug level, and the module's fixed texts.
#include <cstring>

#include "rylpack/numio_internal.h"
#include "rylpack/strlib.h"

namespace {

NumProgRegistry g_registry;
DPConstantTable g_constants;
bool g_constants_complete = false;
int g_debug = 0;

// Texts of the error values, indexed by value; null where a value has no
// text of its own.
const char *const kErrorTexts[] = {
    "success",
    "memory allocation failed",
    "error scanning expression",
    "missing comma in expression",
    "bad parenthesis in expression",
    "expression is not a float number",
    "unknown float function in expression",
    "domain error",
    "expression is not an integer number",
    "integer overflow",
    "division by zero",
    "error writing value",
    "undefined variable",
    nullptr,  // NumVariableError
    "error creating program",
    "unknown program instruction",
    "not enough program registers",
    "bad unit",
};

}  // namespace

NumProgRegistry &numio_registry() { return g_registry; }
DPConstantTable &numio_constant_table() { return g_constants; }
bool numio_constant_table_complete() { return g_constants_complete; }
void numio_set_constant_table_complete(bool complete) { g_constants_complete = complete; }

void numio_debug(int level) { g_debug = level; }
int numio_debug_level() { return g_debug; }

const char *numio_version() { return "numio : V1.42 Tessmor 2015-12-08"; }

char *num_errval2str(char *buffer, std::size_t buflen, int errval) {
  if (!buffer || buflen == 0) return nullptr;
  const char *text = "unknown error value";
  const int n = static_cast<int>(sizeof kErrorTexts / sizeof kErrorTexts[0]);
  if (errval >= 0 && errval < n && kErrorTexts[errval]) text = kErrorTexts[errval];
  return strlib_copy(buffer, buflen, text);
}
