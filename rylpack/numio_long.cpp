// Integer expressions: 32-bit arithmetic that wraps around, with single
// factors that may be floating expressions rounded or truncated to 32 bits.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "rylpack/numio_internal.h"

namespace {

constexpr double kLongMin = -2147483648.0;
constexpr double kLongMax = 2147483647.0;

// Sums, differences and products wrap around in two's complement: done in
// unsigned arithmetic, where overflow is defined.
rlong wrap_add(rlong a, rlong b) { return static_cast<rlong>(static_cast<rulong>(a) + static_cast<rulong>(b)); }
rlong wrap_sub(rlong a, rlong b) { return static_cast<rlong>(static_cast<rulong>(a) - static_cast<rulong>(b)); }
rlong wrap_mul(rlong a, rlong b) { return static_cast<rlong>(static_cast<rulong>(a) * static_cast<rulong>(b)); }
rlong wrap_neg(rlong a) { return static_cast<rlong>(0u - static_cast<rulong>(a)); }

bool starts_with(const char *s, const char *prefix) {
  return std::strncmp(s, prefix, std::strlen(prefix)) == 0;
}

// A floating value as a 32-bit integer; NumIntegerOverflow outside the range
// (NaN included). `round` selects floor(v + 0.5), else truncation toward 0.
rlong to_long(double v, bool round, int *perrval) {
  const double r = round ? std::floor(v + 0.5) : std::trunc(v);
  const double checked = round ? r : v;
  if (!(checked >= kLongMin && checked <= kLongMax)) {
    *perrval = NumIntegerOverflow;
    return 0;
  }
  return static_cast<rlong>(r);
}

enum class FloatPart { UnitProduct, Function, Constant };

// Evaluates one floating factor in a temporary program of its own.
double float_factor(FloatPart part, const char **ps, int level, int *perrval) {
  std::unique_ptr<NumProg> program = numprog_temporary("lvfactor");
  if (!program) {
    *perrval = NumProgramError;
    return 0.0;
  }
  switch (part) {
    case FloatPart::UnitProduct: dpfactor1(program.get(), ps, level, perrval); break;
    case FloatPart::Function: dpfunction(program.get(), ps, level, perrval); break;
    case FloatPart::Constant: dpconstant(program.get(), ps, perrval); break;
  }
  double v = 0.0;
  if (!*perrval && dpprogram_run(program.get(), perrval) == 0) v = program->CurrentAccumulator->Value;
  numio_list_after_run(program.get(), *perrval);
  return *perrval ? 0.0 : v;
}

struct TruthWord {
  const char *word;
  rlong value;
};
const TruthWord kTruthWords[] = {{"true", 1}, {"false", 0}, {"yes", 1}, {"no", 0}};

}  // namespace

int num_strncasecmp(const char *s1, const char *s2, std::size_t n) {
  if (!s1) s1 = "";
  if (!s2) s2 = "";
  for (std::size_t i = 0; i < n; ++i) {
    const int c1 = std::tolower(static_cast<unsigned char>(s1[i]));
    const int c2 = std::tolower(static_cast<unsigned char>(s2[i]));
    if (c1 != c2) return c1 < c2 ? -1 : 1;
    if (c1 == 0) return 0;
  }
  return 0;
}

// Expression: [ "+" | "-" ] term { ("+" | "-") term }. It ends without error
// at the end of the text, ",", ";", white space, and at ")" inside
// parentheses; any other character is a scan error.
rlong lvexpression(const char **ps, int level, int *perrval) {
  int local;
  if (!perrval) perrval = &local;
  *perrval = NumSuccess;
  if (!ps || !*ps) {
    *perrval = NumScanError;
    return 0;
  }
  bool negate = false;
  if (**ps == '+') {
    ++*ps;
  } else if (**ps == '-') {
    ++*ps;
    negate = true;
  }
  rlong value = lvterm(ps, level, perrval);
  if (*perrval) return value;
  if (negate) value = wrap_neg(value);
  for (;;) {
    const char c = **ps;
    if (c == '+' || c == '-') {
      ++*ps;
      const rlong term = lvterm(ps, level, perrval);
      if (*perrval) return value;
      value = c == '+' ? wrap_add(value, term) : wrap_sub(value, term);
    } else if (c == '\0' || c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c))) {
      return value;
    } else if (c == ')') {
      if (level <= 0) *perrval = NumBadParenthesis;
      return value;
    } else {
      *perrval = NumScanError;
      return value;
    }
  }
}

// Term: factors joined by "*", "/" (truncating toward zero) and "%" (sign of
// the dividend).
rlong lvterm(const char **ps, int level, int *perrval) {
  int local;
  if (!perrval) perrval = &local;
  *perrval = NumSuccess;
  if (!ps || !*ps) {
    *perrval = NumScanError;
    return 0;
  }
  rlong value = lvfactor(ps, level, perrval);
  while (!*perrval) {
    const char c = **ps;
    if (c != '*' && c != '/' && c != '%') break;
    ++*ps;
    const rlong f = lvfactor(ps, level, perrval);
    if (*perrval) break;
    if (c == '*') {
      value = wrap_mul(value, f);
    } else if (f == 0) {
      *perrval = NumDivByZero;
    } else if (value == INT32_MIN && f == -1) {
      // The quotient 2^31 does not fit; the remainder is exactly 0.
      if (c == '/') *perrval = NumIntegerOverflow;
      else value = 0;
    } else {
      value = c == '/' ? value / f : value % f;
    }
  }
  return value;
}

rlong lvfactor(const char **ps, int level, int *perrval) {
  int local;
  if (!perrval) perrval = &local;
  *perrval = NumSuccess;
  if (!ps || !*ps) {
    *perrval = NumScanError;
    return 0;
  }
  if (level > NumMaxLevel) {
    *perrval = NumBadParenthesis;
    return 0;
  }
  const char *s = *ps;
  if (starts_with(s, "(long int)") || starts_with(s, "(round)")) {
    const bool round = s[1] == 'r';
    *ps += round ? 7 : 10;
    const double v = float_factor(FloatPart::UnitProduct, ps, level + 1, perrval);
    if (*perrval) return 0;
    return to_long(v, round, perrval);
  }
  if (*s == '(') {
    ++*ps;
    const rlong value = lvexpression(ps, level + 1, perrval);
    if (*perrval) return value;
    if (**ps != ')') {
      *perrval = NumBadParenthesis;
      return value;
    }
    ++*ps;
    return value;
  }
  if (*s >= '0' && *s <= '9') {
    // Digits only (base 10); a literal beyond 32 bits gives the nearest limit.
    char *end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s, &end, 10);
    *ps = end;
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<rlong>(v);
  }
  if (isfunction(s)) {
    const double v = float_factor(FloatPart::Function, ps, level + 1, perrval);
    if (*perrval) return 0;
    return to_long(v, true, perrval);
  }
  for (const TruthWord &t : kTruthWords) {
    const std::size_t n = std::strlen(t.word);
    if (num_strncasecmp(s, t.word, n) == 0) {
      *ps += n;
      return t.value;
    }
  }
  const double v = float_factor(FloatPart::Constant, ps, level + 1, perrval);
  if (*perrval) return 0;
  return to_long(v, true, perrval);
}

rlong num_str2long(const char *str, const char **tail, int *perrval) {
  int errval = NumSuccess;
  const char *s = str ? str : "";
  while (std::isspace(static_cast<unsigned char>(*s))) ++s;
  const rlong value = lvexpression(&s, 0, &errval);
  if (tail) *tail = s;
  num_set_err(perrval, errval);
  return value;
}
