// ViloExpression: numbers typed by the user, evaluated as expressions and
// turned into statuses.
#pragma once

#include "rylpack/longint.h"

// Evaluate the text s as a floating (doubleexpr, floatexpr) or integer
// (longexpr) expression. A comment starting with '#' and all white space are
// removed first, so "1 2" reads as 12. Evaluation may stop at a ',' that
// starts a following item; any other text left over makes the whole text
// invalid (Failed). On failure the status tells why and the value is not to
// be used.
double doubleexpr(const char *s, int *pstatus);
float floatexpr(const char *s, int *pstatus);
rlong longexpr(const char *s, int *pstatus);
