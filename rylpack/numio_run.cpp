// The interpreter: one instruction at a time on the register stack.
#include <cmath>

#include "rylpack/gamma.h"
#include "rylpack/numio_internal.h"

namespace {

constexpr double kRadPerDeg = 0.017453292519943295;  // pi/180
constexpr double kDegPerRad = 57.29577951308232;     // 180/pi
constexpr double kFiveNinths = 0.5555555555555556;   // 5/9 rounded to double

double truth(bool b) { return b ? 1.0 : 0.0; }

// x^y with the rules of the language: y = 0 gives 1, a negative base needs
// an integral exponent, zero to a negative power is a domain error.
double num_pow(double x, double y, int *perrval) {
  if (y == 0.0) return 1.0;
  if (x == 0.0) {
    if (y > 0.0) return 0.0;
    if (y < 0.0) {
      *perrval = NumDomainError;
      return 0.0;
    }
    return std::pow(x, y);  // y is NaN
  }
  if (x < 0.0 && std::floor(y + 0.5) - y != 0.0) {
    *perrval = NumDomainError;
    return 0.0;
  }
  if (y > 0.0) return std::pow(x, y);
  if (y < 0.0) return 1.0 / std::pow(x, -y);
  return std::pow(x, y);  // y or x is NaN
}

// Unary instructions: the result replaces the top value.
bool unary(int cmd, double v, double *r, int *perrval) {
  switch (cmd) {
    case NumCmd::NEG: *r = -v; break;
    case NumCmd::NOT: *r = truth(v == 0.0); break;
    case NumCmd::RAD: *r = v * kRadPerDeg; break;
    case NumCmd::DEG: *r = v * kDegPerRad; break;
    case NumCmd::SIN: *r = std::sin(v); break;
    case NumCmd::COS: *r = std::cos(v); break;
    case NumCmd::TAN: *r = std::tan(v); break;
    case NumCmd::ASIN:
    case NumCmd::ACOS:
      if (std::fabs(v) > 1.0) *perrval = NumDomainError;
      else *r = cmd == NumCmd::ASIN ? std::asin(v) : std::acos(v);
      break;
    case NumCmd::ATAN: *r = std::atan(v); break;
    case NumCmd::SINH: *r = std::sinh(v); break;
    case NumCmd::COSH: *r = std::cosh(v); break;
    case NumCmd::TANH: *r = std::tanh(v); break;
    case NumCmd::FLOOR: *r = std::floor(v); break;
    case NumCmd::CEIL: *r = std::ceil(v); break;
    case NumCmd::FABS: *r = std::fabs(v); break;
    case NumCmd::EXP: *r = std::exp(v); break;
    case NumCmd::LOG:
    case NumCmd::LOG10:
      if (v <= 0.0) *perrval = NumDomainError;
      else *r = cmd == NumCmd::LOG ? std::log(v) : std::log10(v);
      break;
    case NumCmd::SQRT:
      if (v < 0.0) *perrval = NumDomainError;
      else *r = std::sqrt(v);
      break;
    case NumCmd::ROUND: *r = std::floor(v + 0.5); break;
    case NumCmd::GAMMA: *r = gamma_function(v); break;
    case NumCmd::DEGC2K: *r = v + 273.15; break;
    case NumCmd::K2DEGC: *r = v - 273.15; break;
    case NumCmd::DEGF2K: *r = (v - 32.0) * kFiveNinths + 273.15; break;
    case NumCmd::K2DEGF: *r = (v - 273.15) * 1.8 + 32.0; break;
    case NumCmd::DEGK2K:
    case NumCmd::K2DEGK: *r = v; break;
    case NumCmd::DEGF2DEGC: *r = (v - 32.0) * kFiveNinths; break;
    case NumCmd::DEGC2DEGF: *r = v * 1.8 + 32.0; break;
    default: return false;
  }
  return true;
}

// Binary instructions: x op y.
bool binary(int cmd, double x, double y, double *r, int *perrval) {
  switch (cmd) {
    case NumCmd::MUL: *r = x * y; break;
    case NumCmd::EQU: *r = truth(x == y); break;
    case NumCmd::NEQ: *r = truth(x != y); break;
    case NumCmd::LE: *r = truth(x <= y); break;
    case NumCmd::LT: *r = truth(x < y); break;
    case NumCmd::GE: *r = truth(x >= y); break;
    case NumCmd::GT: *r = truth(x > y); break;
    case NumCmd::AND: *r = truth(x != 0.0 && y != 0.0); break;
    case NumCmd::OR: *r = truth(!(x == 0.0 && y == 0.0)); break;
    case NumCmd::DIV:
      if (y == 0.0) *perrval = NumDivByZero;
      else *r = x / y;
      break;
    case NumCmd::FLOORDIV:
      if (y == 0.0) *perrval = NumDivByZero;
      else *r = std::floor(x / y);
      break;
    case NumCmd::REST:
      if (y == 0.0) *perrval = NumDivByZero;
      else *r = x - y * std::floor(x / y);
      break;
    case NumCmd::ADD: *r = x + y; break;
    case NumCmd::SUB: *r = x - y; break;
    case NumCmd::ATAN2: *r = std::atan2(x, y); break;
    case NumCmd::POW: *r = num_pow(x, y, perrval); break;
    case NumCmd::FMIN: *r = x < y ? x : y; break;
    case NumCmd::FMAX: *r = x > y ? x : y; break;
    default: return false;
  }
  return true;
}

bool is_binary(int cmd) {
  switch (cmd) {
    case NumCmd::MUL: case NumCmd::EQU: case NumCmd::NEQ: case NumCmd::LE:
    case NumCmd::LT: case NumCmd::GE: case NumCmd::GT: case NumCmd::AND:
    case NumCmd::OR: case NumCmd::DIV: case NumCmd::FLOORDIV: case NumCmd::REST:
    case NumCmd::ADD: case NumCmd::SUB: case NumCmd::ATAN2: case NumCmd::POW:
    case NumCmd::FMIN: case NumCmd::FMAX:
      return true;
    default:
      return false;
  }
}

int fail(int *perrval, int value) {
  *perrval = value;
  return -1;
}

}  // namespace

int dpprogram_step(NumProg *program, const NumInstr *instruction, int *perrval) {
  int dummy = 0;
  if (!perrval) perrval = &dummy;
  *perrval = NumSuccess;
  if (!program) return fail(perrval, NumProgramError);
  if (!instruction) return fail(perrval, NumNoInstruction);
  const int cmd = instruction->Command;
  if (cmd <= NumCmd::Invalid || cmd >= NumCmd::Count) return fail(perrval, NumNoInstruction);

  switch (cmd) {
    case NumCmd::PUSHVAL:
    case NumCmd::PI: {
      const double v = cmd == NumCmd::PI ? NUM_PI : instruction->Value;
      if (!numprog_up_accumulator(program, v)) return fail(perrval, NumNoAccumulator);
      return 0;
    }
    case NumCmd::PUSHADDR:
      if (!instruction->Address) return fail(perrval, NumNoVariable);
      if (!numprog_up_accumulator(program, *instruction->Address))
        return fail(perrval, NumNoAccumulator);
      return 0;
    case NumCmd::IF: {
      // c (bottom) ? a (middle) : b (top)
      NumAccu *a = numprog_down_accumulator(program);
      if (!a) return fail(perrval, NumNoAccumulator);
      const double b = program->AccumulatorList[static_cast<std::size_t>(a->Number)].Value;
      NumAccu *c = numprog_down_accumulator(program);
      if (!c) return fail(perrval, NumNoAccumulator);
      c->Value = c->Value != 0.0 ? a->Value : b;
      return 0;
    }
    default:
      break;
  }

  if (is_binary(cmd)) {
    NumAccu *x = numprog_down_accumulator(program);
    if (!x) return fail(perrval, NumNoAccumulator);
    const double y = program->AccumulatorList[static_cast<std::size_t>(x->Number)].Value;
    double r = 0.0;
    binary(cmd, x->Value, y, &r, perrval);
    if (*perrval == NumSuccess) x->Value = r;
    return 0;
  }

  NumAccu *top = program->CurrentAccumulator;
  if (!top) return fail(perrval, NumNoAccumulator);
  double r = 0.0;
  if (!unary(cmd, top->Value, &r, perrval)) return fail(perrval, NumNoInstruction);
  if (*perrval == NumSuccess) top->Value = r;
  return 0;
}

int dpprogram_run(NumProg *program, int *perrval) {
  int dummy = 0;
  if (!perrval) perrval = &dummy;
  *perrval = NumSuccess;
  if (!program) return fail(perrval, NumProgramError);
  program->CurrentAccumulator = nullptr;
  if (program->InstructionList.empty()) return fail(perrval, NumNoInstruction);
  for (const NumInstr &ins : program->InstructionList) {
    dpprogram_step(program, &ins, perrval);
    if (*perrval != NumSuccess) return -1;
  }
  if (!program->CurrentAccumulator) return fail(perrval, NumNoAccumulator);
  return 0;
}
