#include "vilopack/vilo_expression.h"

#include <cstring>
#include <string>

#include "rylpack/numio.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_input.h"

namespace {

// Edits a private copy of s the way every typed expression is cleaned:
// comment cut, all white space removed.
std::string cleaned(const char *s) {
  std::string copy = s ? s : "";
  EditLine(UnComment | NoBlanks, copy.data());
  copy.resize(std::strlen(copy.c_str()));
  return copy;
}

// Status after an evaluation that stopped at tail.
int status_after(int errval, const char *tail) {
  int status = errval2status(errval);
  if (status == Success && tail && *tail && *tail != ',') status = Failed;
  return status;
}

}  // namespace

double doubleexpr(const char *s, int *pstatus) {
  std::string text = cleaned(s);
  const char *tail = nullptr;
  int errval = 0;
  double value = num_str2double(text.c_str(), &tail, &errval);
  *pstatus = status_after(errval, tail);
  return value;
}

float floatexpr(const char *s, int *pstatus) {
  return static_cast<float>(doubleexpr(s, pstatus));
}

rlong longexpr(const char *s, int *pstatus) {
  std::string text = cleaned(s);
  const char *tail = nullptr;
  int errval = 0;
  rlong value = num_str2long(text.c_str(), &tail, &errval);
  *pstatus = status_after(errval, tail);
  return value;
}
