// The parser of floating expressions: recursive descent into postfix
// instructions, and the public evaluation of a floating expression text.
//
// The parser reads left to right without look-back and without skipping
// white space; every rule emits its own instruction after those of its
// operands. Recursion goes through dpfactor2 (parentheses, "(double)") and
// dpfunction, and through lvfactor of the integer grammar; each of these
// raises `level`, and past NumMaxLevel the text is refused, so no input can
// exhaust the stack.
#include <cctype>
#include <cstdlib>
#include <cstring>

#include "rylpack/numio_internal.h"

namespace {

// Appends one instruction; NumProgramError when that fails.
bool emit(NumProg *program, int command, int nargs, int *perrval, double value = 0.0,
          double *address = nullptr) {
  if (numprog_append_instruction(program, 0, command, nargs, value, address, nullptr) != 0) {
    *perrval = NumProgramError;
    return false;
  }
  return true;
}

// Common entry of every rule: a usable error pointer, a program and a text.
bool enter(NumProg *program, const char **ps, int *&perrval, int &local) {
  if (!perrval) perrval = &local;
  *perrval = NumSuccess;
  if (!program) {
    *perrval = NumProgramError;
    return false;
  }
  if (!ps || !*ps) {
    *perrval = NumScanError;
    return false;
  }
  return true;
}

bool starts_with(const char *s, const char *prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

bool is_ascii_alnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

struct FunctionEntry {
  const char *text;  // name with its "("
  int nargs;
  int command;
};

// Compared in this order; the first match wins ("atan(" never matches
// "atan2(", "log(" never "log10(", because the "(" is part of the name).
const FunctionEntry kFunctions[] = {
    {"rad(", 1, NumCmd::RAD},         {"deg(", 1, NumCmd::DEG},
    {"pi(", 0, NumCmd::PUSHVAL},      {"sin(", 1, NumCmd::SIN},
    {"cos(", 1, NumCmd::COS},         {"tan(", 1, NumCmd::TAN},
    {"asin(", 1, NumCmd::ASIN},       {"acos(", 1, NumCmd::ACOS},
    {"atan(", 1, NumCmd::ATAN},       {"atan2(", 2, NumCmd::ATAN2},
    {"sinh(", 1, NumCmd::SINH},       {"cosh(", 1, NumCmd::COSH},
    {"tanh(", 1, NumCmd::TANH},       {"floor(", 1, NumCmd::FLOOR},
    {"ceil(", 1, NumCmd::CEIL},       {"abs(", 1, NumCmd::FABS},
    {"exp(", 1, NumCmd::EXP},         {"log(", 1, NumCmd::LOG},
    {"log10(", 1, NumCmd::LOG10},     {"pow(", 2, NumCmd::POW},
    {"sqrt(", 1, NumCmd::SQRT},       {"round(", 1, NumCmd::ROUND},
    {"gamma(", 1, NumCmd::GAMMA},     {"min(", 2, NumCmd::FMIN},
    {"max(", 2, NumCmd::FMAX},        {"degC2K(", 1, NumCmd::DEGC2K},
    {"K2degC(", 1, NumCmd::K2DEGC},   {"degF2K(", 1, NumCmd::DEGF2K},
    {"K2degF(", 1, NumCmd::K2DEGF},   {"degK2K(", 1, NumCmd::DEGK2K},
    {"K2degK(", 1, NumCmd::K2DEGK},   {"degF2degC(", 1, NumCmd::DEGF2DEGC},
    {"degC2degF(", 1, NumCmd::DEGC2DEGF},
};

}  // namespace

int isfunction(const char *s) {
  if (!s || !is_ascii_alnum(*s) || (*s >= '0' && *s <= '9')) return 0;
  while (is_ascii_alnum(*s)) ++s;
  return *s == '(';
}

int isvariable(const char *s) { return s && *s == '_'; }

// EXPRESSION: logical-sum [ "?" logical-sum ":" logical-sum ]
void dpcondition(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  dplogicsum(program, ps, level, perrval);
  if (*perrval || **ps != '?') return;
  ++*ps;
  dplogicsum(program, ps, level, perrval);
  if (*perrval) return;
  if (**ps != ':') {
    *perrval = NumScanError;
    return;
  }
  ++*ps;
  dplogicsum(program, ps, level, perrval);
  if (*perrval) return;
  emit(program, NumCmd::IF, 3, perrval);
}

void dplogicsum(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  dplogicproduct(program, ps, level, perrval);
  while (!*perrval && (*ps)[0] == '|' && (*ps)[1] == '|') {
    *ps += 2;
    dplogicproduct(program, ps, level, perrval);
    if (*perrval) return;
    emit(program, NumCmd::OR, 2, perrval);
  }
}

void dplogicproduct(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  dpequality(program, ps, level, perrval);
  while (!*perrval && (*ps)[0] == '&' && (*ps)[1] == '&') {
    *ps += 2;
    dpequality(program, ps, level, perrval);
    if (*perrval) return;
    emit(program, NumCmd::AND, 2, perrval);
  }
}

// At most one "==" or "!=" per level.
void dpequality(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  dpcomparison(program, ps, level, perrval);
  if (*perrval) return;
  int command = NumCmd::Invalid;
  if ((*ps)[0] == '=' && (*ps)[1] == '=') command = NumCmd::EQU;
  else if ((*ps)[0] == '!' && (*ps)[1] == '=') command = NumCmd::NEQ;
  if (command == NumCmd::Invalid) return;
  *ps += 2;
  dpcomparison(program, ps, level, perrval);
  if (*perrval) return;
  emit(program, command, 2, perrval);
}

// At most one comparison per level.
void dpcomparison(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  dpexpression(program, ps, level, perrval);
  if (*perrval) return;
  int command = NumCmd::Invalid;
  int length = 1;
  if ((*ps)[0] == '<') {
    command = (*ps)[1] == '=' ? NumCmd::LE : NumCmd::LT;
    if ((*ps)[1] == '=') length = 2;
  } else if ((*ps)[0] == '>') {
    command = (*ps)[1] == '=' ? NumCmd::GE : NumCmd::GT;
    if ((*ps)[1] == '=') length = 2;
  }
  if (command == NumCmd::Invalid) return;
  *ps += length;
  dpexpression(program, ps, level, perrval);
  if (*perrval) return;
  emit(program, command, 2, perrval);
}

// Sum: [ "+" | "-" ] term { ("+" | "-") term }. A leading "-" negates the
// first term only. A ")" ends the sum inside parentheses and is an error at
// level 0.
void dpexpression(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  bool negate = false;
  if (**ps == '+') {
    ++*ps;
  } else if (**ps == '-') {
    ++*ps;
    negate = true;
  }
  dpterm(program, ps, level, perrval);
  if (*perrval) return;
  if (negate && !emit(program, NumCmd::NEG, 1, perrval)) return;
  for (;;) {
    const char c = **ps;
    if (c == '+' || c == '-') {
      ++*ps;
      dpterm(program, ps, level, perrval);
      if (*perrval) return;
      if (!emit(program, c == '+' ? NumCmd::ADD : NumCmd::SUB, 2, perrval)) return;
    } else {
      if (c == ')' && level <= 0) *perrval = NumBadParenthesis;
      return;
    }
  }
}

// Term: negations joined by "*", "//", "/", "%".
void dpterm(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  dpfactor0(program, ps, level, perrval);
  while (!*perrval) {
    int command;
    int length = 1;
    const char *s = *ps;
    if (s[0] == '*') command = NumCmd::MUL;
    else if (s[0] == '/' && s[1] == '/') command = NumCmd::FLOORDIV, length = 2;
    else if (s[0] == '/') command = NumCmd::DIV;
    else if (s[0] == '%') command = NumCmd::REST;
    else return;
    *ps += length;
    dpfactor0(program, ps, level, perrval);
    if (*perrval) return;
    emit(program, command, 2, perrval);
  }
}

// Negation: an optional single "!" before a unit product.
void dpfactor0(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  const bool negate = **ps == '!';
  if (negate) ++*ps;
  dpfactor1(program, ps, level, perrval);
  if (*perrval || !negate) return;
  emit(program, NumCmd::NOT, 1, perrval);
}

// Unit product: primaries joined by "_", binding tighter than "*" and "/".
void dpfactor1(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  dpfactor2(program, ps, level, perrval);
  while (!*perrval && **ps == '_') {
    ++*ps;
    dpfactor2(program, ps, level, perrval);
    if (*perrval) return;
    emit(program, NumCmd::MUL, 2, perrval);
  }
}

void dpfactor2(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  if (level > NumMaxLevel) {
    *perrval = NumBadParenthesis;
    return;
  }
  const char *s = *ps;
  if (starts_with(s, "(double)")) {
    *ps += 8;
    const rlong v = lvfactor(ps, level + 1, perrval);
    if (*perrval) return;
    emit(program, NumCmd::PUSHVAL, 0, perrval, static_cast<double>(v));
  } else if (*s == '(') {
    ++*ps;
    dpcondition(program, ps, level + 1, perrval);
    if (*perrval) return;
    if (**ps != ')') {
      *perrval = NumBadParenthesis;
      return;
    }
    ++*ps;
  } else if ((*s >= '0' && *s <= '9') || *s == '.') {
    char *end = nullptr;
    const double v = std::strtod(s, &end);
    // A lone "." converts nothing: no number there.
    if (end == s) {
      *perrval = NumNoFloatNumber;
      return;
    }
    *ps = end;
    emit(program, NumCmd::PUSHVAL, 0, perrval, v);
  } else if (isfunction(s)) {
    dpfunction(program, ps, level, perrval);
  } else if (isvariable(s)) {
    dpvariable(program, ps, perrval);
  } else {
    dpconstant(program, ps, perrval);
  }
}

void dpfunction(NumProg *program, const char **ps, int level, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  const FunctionEntry *f = nullptr;
  for (const FunctionEntry &entry : kFunctions) {
    if (starts_with(*ps, entry.text)) {
      f = &entry;
      break;
    }
  }
  if (!f) {
    *perrval = NumNoFloatFunction;
    return;
  }
  *ps += std::strlen(f->text);
  for (int i = 0; i < f->nargs; ++i) {
    if (i > 0) {
      if (**ps != ',') {
        *perrval = NumCommaExpected;
        return;
      }
      ++*ps;
    }
    dpcondition(program, ps, level + 1, perrval);
    if (*perrval) return;
  }
  if (**ps != ')') {
    *perrval = NumBadParenthesis;
    return;
  }
  ++*ps;
  if (f->nargs == 0) emit(program, NumCmd::PUSHVAL, 0, perrval, NUM_PI);
  else emit(program, f->command, f->nargs, perrval);
}

// "_name": the first variable, in definition order, whose whole name begins
// the text after "_". On failure the position stays after the "_".
void dpvariable(NumProg *program, const char **ps, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  if (**ps == '_') ++*ps;
  NumVar *variable = nullptr;
  if (numprog_search_variable(program, *ps, &variable, 1) != 0) {
    *perrval = NumNoVariable;
    return;
  }
  *ps += variable->Key.size();
  variable->Used += 1;
  emit(program, NumCmd::PUSHADDR, 0, perrval, variable->Value, &variable->Value);
}

// The longest key of the constant table that begins the text.
void dpconstant(NumProg *program, const char **ps, int *perrval) {
  int local;
  if (!enter(program, ps, perrval, local)) return;
  const DPConstant *constant = nullptr;
  if (dpconstant_search(*ps, &constant, 1) != 0) {
    *perrval = NumNoFloatNumber;
    return;
  }
  *ps += constant->Key.size();
  emit(program, NumCmd::PUSHVAL, 0, perrval, constant->Value);
}

double num_str2double(const char *str, const char **tail, int *perrval) {
  int errval = NumSuccess;
  const char *s = str ? str : "";
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;
  double result = 0.0;

  // A program of its own, outside the registry: a compiled program that a
  // caller keeps under the name "str2double" is never replaced by it.
  std::unique_ptr<NumProg> program = numprog_temporary("str2double");
  if (!program) {
    errval = NumProgramError;
  } else {
    dpcondition(program.get(), &s, 0, &errval);
    if (!errval && dpprogram_run(program.get(), &errval) == 0)
      result = program->CurrentAccumulator->Value;
    if (errval) result = 0.0;
    numio_list_after_run(program.get(), errval);
  }
  if (tail) *tail = s;
  num_set_err(perrval, errval);
  return result;
}
