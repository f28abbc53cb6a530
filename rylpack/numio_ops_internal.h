// The arithmetic of every instruction, shared by the three interpreters of
// the expression module: the single-step interpreter, the fast run on a
// local stack, and the block-wise run over arrays. Each of them takes the
// value and the error condition of an instruction from here and nowhere
// else, so that a program gives the same bits whichever way it is run.
//
// Every operation is split into its value and its error condition. The
// value is also computed for operands that fail (the block-wise run applies
// an instruction to a whole block and masks the failed elements), so a value
// routine must be harmless for any operand: no trap, no endless loop.
#pragma once

#include <cmath>
#include <type_traits>

#include "rylpack/gamma.h"
#include "rylpack/numio.h"

namespace numops {

constexpr double kRadPerDeg = 0.017453292519943295;  // pi/180
constexpr double kDegPerRad = 57.29577951308232;     // 180/pi
constexpr double kFiveNinths = 0.5555555555555556;   // 5/9 rounded to double

// Number of stack operands an instruction consumes: 0 for the pushes, 1, 2
// or 3 (IF); -1 for an invalid code.
constexpr int arity(int cmd) {
  switch (cmd) {
    case NumCmd::PUSHVAL: case NumCmd::PUSHADDR: case NumCmd::PI:
      return 0;
    case NumCmd::MUL: case NumCmd::EQU: case NumCmd::NEQ: case NumCmd::LE:
    case NumCmd::LT: case NumCmd::GE: case NumCmd::GT: case NumCmd::AND:
    case NumCmd::OR: case NumCmd::DIV: case NumCmd::FLOORDIV: case NumCmd::REST:
    case NumCmd::ADD: case NumCmd::SUB: case NumCmd::ATAN2: case NumCmd::POW:
    case NumCmd::FMIN: case NumCmd::FMAX:
      return 2;
    case NumCmd::IF:
      return 3;
    default:
      return cmd > NumCmd::Invalid && cmd < NumCmd::Count ? 1 : -1;
  }
}

inline double truth(bool b) { return b ? 1.0 : 0.0; }

template <int C>
inline constexpr bool kAlwaysFalse = false;

// Value of the unary instruction C on the top value v.
template <int C>
inline double unary(double v) {
  using namespace std;
  if constexpr (C == NumCmd::NEG) return -v;
  else if constexpr (C == NumCmd::NOT) return truth(v == 0.0);
  else if constexpr (C == NumCmd::RAD) return v * kRadPerDeg;
  else if constexpr (C == NumCmd::DEG) return v * kDegPerRad;
  else if constexpr (C == NumCmd::SIN) return sin(v);
  else if constexpr (C == NumCmd::COS) return cos(v);
  else if constexpr (C == NumCmd::TAN) return tan(v);
  else if constexpr (C == NumCmd::ASIN) return asin(v);
  else if constexpr (C == NumCmd::ACOS) return acos(v);
  else if constexpr (C == NumCmd::ATAN) return atan(v);
  else if constexpr (C == NumCmd::SINH) return sinh(v);
  else if constexpr (C == NumCmd::COSH) return cosh(v);
  else if constexpr (C == NumCmd::TANH) return tanh(v);
  else if constexpr (C == NumCmd::FLOOR) return floor(v);
  else if constexpr (C == NumCmd::CEIL) return ceil(v);
  else if constexpr (C == NumCmd::FABS) return fabs(v);
  else if constexpr (C == NumCmd::EXP) return exp(v);
  else if constexpr (C == NumCmd::LOG) return log(v);
  else if constexpr (C == NumCmd::LOG10) return log10(v);
  else if constexpr (C == NumCmd::SQRT) return sqrt(v);
  else if constexpr (C == NumCmd::ROUND) return floor(v + 0.5);
  else if constexpr (C == NumCmd::GAMMA) return gamma_function(v);  // ends for every argument
  else if constexpr (C == NumCmd::DEGC2K) return v + 273.15;
  else if constexpr (C == NumCmd::K2DEGC) return v - 273.15;
  else if constexpr (C == NumCmd::DEGF2K) return (v - 32.0) * kFiveNinths + 273.15;
  else if constexpr (C == NumCmd::K2DEGF) return (v - 273.15) * 1.8 + 32.0;
  else if constexpr (C == NumCmd::DEGK2K || C == NumCmd::K2DEGK) return v;
  else if constexpr (C == NumCmd::DEGF2DEGC) return (v - 32.0) * kFiveNinths;
  else if constexpr (C == NumCmd::DEGC2DEGF) return v * 1.8 + 32.0;
  else static_assert(kAlwaysFalse<C>, "not a unary instruction");
}

// True when the unary instruction C can fail.
template <int C>
inline constexpr bool kUnaryChecked = C == NumCmd::ASIN || C == NumCmd::ACOS ||
                                      C == NumCmd::LOG || C == NumCmd::LOG10 ||
                                      C == NumCmd::SQRT;

// Error value of the unary instruction C on v; 0 when it succeeds.
template <int C>
inline int unary_error(double v) {
  if constexpr (C == NumCmd::ASIN || C == NumCmd::ACOS) return std::fabs(v) > 1.0 ? NumDomainError : 0;
  else if constexpr (C == NumCmd::LOG || C == NumCmd::LOG10) return v <= 0.0 ? NumDomainError : 0;
  else if constexpr (C == NumCmd::SQRT) return v < 0.0 ? NumDomainError : 0;
  else return 0;
}

// x^y where pow_error(x, y) is 0: y = 0 gives 1, zero to a positive power 0,
// a negative exponent the reciprocal of the positive power.
inline double pow_value(double x, double y) {
  if (y == 0.0) return 1.0;
  if (x == 0.0) return y > 0.0 ? 0.0 : std::pow(x, y);
  if (y > 0.0) return std::pow(x, y);
  if (y < 0.0) return 1.0 / std::pow(x, -y);
  return std::pow(x, y);  // y is NaN
}

// Zero to a negative power, and a negative base to a non-integral power,
// are domain errors.
inline int pow_error(double x, double y) {
  if (y == 0.0) return 0;
  if (x == 0.0) return y < 0.0 ? NumDomainError : 0;
  if (x < 0.0 && std::floor(y + 0.5) - y != 0.0) return NumDomainError;
  return 0;
}

// Value of the binary instruction C: x (below) op y (top).
template <int C>
inline double binary(double x, double y) {
  if constexpr (C == NumCmd::MUL) return x * y;
  else if constexpr (C == NumCmd::EQU) return truth(x == y);
  else if constexpr (C == NumCmd::NEQ) return truth(x != y);
  else if constexpr (C == NumCmd::LE) return truth(x <= y);
  else if constexpr (C == NumCmd::LT) return truth(x < y);
  else if constexpr (C == NumCmd::GE) return truth(x >= y);
  else if constexpr (C == NumCmd::GT) return truth(x > y);
  else if constexpr (C == NumCmd::AND) return truth(x != 0.0 && y != 0.0);
  else if constexpr (C == NumCmd::OR) return truth(!(x == 0.0 && y == 0.0));
  else if constexpr (C == NumCmd::DIV) return x / y;
  else if constexpr (C == NumCmd::FLOORDIV) return std::floor(x / y);
  else if constexpr (C == NumCmd::REST) return x - y * std::floor(x / y);
  else if constexpr (C == NumCmd::ADD) return x + y;
  else if constexpr (C == NumCmd::SUB) return x - y;
  else if constexpr (C == NumCmd::ATAN2) return std::atan2(x, y);
  else if constexpr (C == NumCmd::POW) return pow_value(x, y);
  else if constexpr (C == NumCmd::FMIN) return x < y ? x : y;  // ties and NaN give y
  else if constexpr (C == NumCmd::FMAX) return x > y ? x : y;
  else static_assert(kAlwaysFalse<C>, "not a binary instruction");
}

template <int C>
inline constexpr bool kBinaryChecked = C == NumCmd::DIV || C == NumCmd::FLOORDIV ||
                                       C == NumCmd::REST || C == NumCmd::POW;

// Error value of the binary instruction C; 0 when it succeeds.
template <int C>
inline int binary_error(double x, double y) {
  if constexpr (C == NumCmd::DIV || C == NumCmd::FLOORDIV || C == NumCmd::REST)
    return y == 0.0 ? NumDivByZero : 0;
  else if constexpr (C == NumCmd::POW) return pow_error(x, y);
  else return 0;
}

// IF: c (bottom) ? a (middle) : b (top).
inline double choose(double c, double a, double b) { return c != 0.0 ? a : b; }

// Calls f(std::integral_constant<int, C>{}) for the valid code C == cmd, or
// f(std::integral_constant<int, NumCmd::Invalid>{}) for any other value.
// One switch serves every interpreter; inlined, it becomes a jump table.
template <class F>
inline decltype(auto) dispatch(int cmd, F &&f) {
#define NUMOPS_CASE(C) \
  case NumCmd::C: return f(std::integral_constant<int, NumCmd::C>{});
  switch (cmd) {
    NUMOPS_CASE(PUSHVAL) NUMOPS_CASE(PUSHADDR) NUMOPS_CASE(NEG) NUMOPS_CASE(MUL)
    NUMOPS_CASE(NOT) NUMOPS_CASE(EQU) NUMOPS_CASE(NEQ) NUMOPS_CASE(LE) NUMOPS_CASE(LT)
    NUMOPS_CASE(GE) NUMOPS_CASE(GT) NUMOPS_CASE(AND) NUMOPS_CASE(OR) NUMOPS_CASE(IF)
    NUMOPS_CASE(DIV) NUMOPS_CASE(FLOORDIV) NUMOPS_CASE(REST) NUMOPS_CASE(ADD)
    NUMOPS_CASE(SUB) NUMOPS_CASE(RAD) NUMOPS_CASE(DEG) NUMOPS_CASE(PI) NUMOPS_CASE(SIN)
    NUMOPS_CASE(COS) NUMOPS_CASE(TAN) NUMOPS_CASE(ASIN) NUMOPS_CASE(ACOS)
    NUMOPS_CASE(ATAN) NUMOPS_CASE(ATAN2) NUMOPS_CASE(SINH) NUMOPS_CASE(COSH)
    NUMOPS_CASE(TANH) NUMOPS_CASE(FLOOR) NUMOPS_CASE(CEIL) NUMOPS_CASE(FABS)
    NUMOPS_CASE(EXP) NUMOPS_CASE(LOG) NUMOPS_CASE(LOG10) NUMOPS_CASE(POW)
    NUMOPS_CASE(SQRT) NUMOPS_CASE(ROUND) NUMOPS_CASE(GAMMA) NUMOPS_CASE(FMIN)
    NUMOPS_CASE(FMAX) NUMOPS_CASE(DEGC2K) NUMOPS_CASE(K2DEGC) NUMOPS_CASE(DEGF2K)
    NUMOPS_CASE(K2DEGF) NUMOPS_CASE(DEGK2K) NUMOPS_CASE(K2DEGK)
    NUMOPS_CASE(DEGF2DEGC) NUMOPS_CASE(DEGC2DEGF)
    default:
      return f(std::integral_constant<int, NumCmd::Invalid>{});
  }
#undef NUMOPS_CASE
}

static_assert(NumCmd::Count == 53, "dispatch lists every instruction code");

}  // namespace numops
