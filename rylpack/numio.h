// Numeric expressions: floating and integer expressions with functions,
// named constants and units, and the texts numbers are written in.
//
// A floating expression is parsed by recursive descent into a short postfix
// program of instructions (`NumProg`) and run on a stack of registers. The
// same parser serves the integer expressions (`num_str2long`), whose single
// factors may be floating expressions rounded or truncated to 32 bits, and
// compiled programs with variables that are run many times.
//
// Error values are reported through `int *perrval` (see `NumErrVal`); they
// are mapped to framework statuses by `errval2status`, so their numbers are
// fixed. Every routine accepts a null error pointer where noted.
//
// Process-wide state (program registry, constant table, debug level) is
// unguarded: evaluations must not run concurrently.
#pragma once

#include <cstddef>
#include <cstdio>
#include <deque>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "rylpack/longint.h"

// Error values of the expression routines. The numbers are part of the
// interface: the framework maps them to statuses by number.
enum NumErrVal : int {
  NumSuccess = 0,
  NumMemoryAllocationError = 1,
  NumScanError = 2,
  NumCommaExpected = 3,
  NumBadParenthesis = 4,
  NumNoFloatNumber = 5,
  NumNoFloatFunction = 6,
  NumDomainError = 7,
  NumNoIntegerNumber = 8,  // defined for the framework's table; never raised here
  NumIntegerOverflow = 9,
  NumDivByZero = 10,
  NumWriteError = 11,
  NumNoVariable = 12,
  NumVariableError = 13,
  NumProgramError = 14,
  NumNoInstruction = 15,
  NumNoAccumulator = 16,
  NumBadUnit = 17,
};

// Instruction codes. x is the register below the top, y the top register;
// a binary instruction pops y and replaces x by its result, a unary one
// replaces the top value. Comparisons and logic give exactly 1.0 or 0.0.
struct NumCmd {
  enum : int {
    Invalid = 0,
    PUSHVAL, PUSHADDR, NEG, MUL, NOT, EQU, NEQ, LE, LT, GE, GT, AND, OR, IF,
    DIV, FLOORDIV, REST, ADD, SUB, RAD, DEG, PI, SIN, COS, TAN, ASIN, ACOS,
    ATAN, ATAN2, SINH, COSH, TANH, FLOOR, CEIL, FABS, EXP, LOG, LOG10, POW,
    SQRT, ROUND, GAMMA, FMIN, FMAX, DEGC2K, K2DEGC, DEGF2K, K2DEGF, DEGK2K,
    K2DEGK, DEGF2DEGC, DEGC2DEGF,
    Count  // number of codes; valid codes are 0 .. Count-1 (0 is invalid)
  };
};

constexpr double NUM_PI = 3.141592653589793;
// Size of the temporary texts of the formatting routines; also the size a
// caller's buffer for `double2s` must have.
constexpr std::size_t NumBUFLEN = 128;
// Deepest nesting of parentheses, function calls and casts that the parser
// follows. Each level costs a dozen stack frames; beyond this the text is
// refused with NumBadParenthesis instead of exhausting the stack.
constexpr int NumMaxLevel = 250;

// A variable of a program. `Value` is read by PUSHADDR instructions through
// its address, so variables never move once defined.
struct NumVar {
  std::string Key;
  double Value = 0.0;
  int Used = 0;  // how many references to the variable the parser compiled
};

// A register of the stack; `Number` is its depth, 1 for the bottom.
struct NumAccu {
  rlong Number = 0;
  double Value = 0.0;
};

// One instruction. `Value` is the constant of PUSHVAL; `Address` points to
// the `Value` of a variable for PUSHADDR.
struct NumInstr {
  int Command = NumCmd::Invalid;
  int Nargs = 0;
  double Value = 0.0;
  double *Address = nullptr;
};

// The translated form num_runprog runs (internal to the module). The
// compiler makes it; every routine that changes a program's lists drops it,
// and a run checks it against the lists, so it never outlives them.
struct NumRunForm;
struct NumRunFormFree {
  void operator()(NumRunForm *form) const;
};

// A parsed expression program. The lists are ordered sequences; the
// registry keeps programs by name. Containers that hand out addresses
// (variables, registers) are deques, whose elements stay in place when
// the list grows.
struct NumProg {
  std::string Name;
  std::deque<NumVar> VariableList;       // definition order
  std::deque<NumAccu> AccumulatorList;   // cells kept and reused until freed
  NumAccu *CurrentAccumulator = nullptr; // top of the stack, null when empty
  std::vector<NumInstr> InstructionList; // the program that is executed
  std::vector<NumInstr> CompiledList;    // scratch list of the compiler
  std::unique_ptr<NumRunForm, NumRunFormFree> RunForm;  // made by the compiler
};

// A named constant. Quantity and Unit are kept only when the debug level was
// above 0 when the constant was entered (empty otherwise).
struct DPConstant {
  std::string Key;
  double Value = 0.0;
  std::string Quantity;
  std::string Unit;
};

// ---------------------------------------------------------------- public --

// Evaluates the floating expression `str` (null reads as ""). Leading white
// space is skipped; parsing stops at the first character that cannot
// continue the expression, which is not an error. `*tail` (if tail is not
// null) receives that position, `*perrval` (if not null) the error value.
// Returns 0.0 on error.
double num_str2double(const char *str, const char **tail, int *perrval);

// Evaluates the integer expression `str` (null reads as "") with 32-bit
// wrap-around arithmetic. Tail and error as for num_str2double; on an error
// the result is the value computed so far and is not to be used.
rlong num_str2long(const char *str, const char **tail, int *perrval);

// Copies the text of `errval` into buffer (at most buflen-1 characters,
// always terminated). Null, writing nothing, for a null buffer or buflen 0.
char *num_errval2str(char *buffer, std::size_t buflen, int errval);

// "numio : V1.42 Tessmor 2015-12-08".
const char *numio_version();
// Sets the process-wide debug level (0 by default): above 0 found constants
// are printed, above 1 the constant table once built, above 2 every
// evaluated program.
void numio_debug(int level);
// The debug level in force.
int numio_debug_level();

// Case-insensitive comparison of the first min(n, length) characters of each
// text, with the sign convention of strcmp. Null reads as "".
int num_strncasecmp(const char *s1, const char *s2, std::size_t n);

// `value` written with "%d" / "0x%x" (32-bit) into buffer, cut to buflen-1
// characters and terminated. Null with NumWriteError when buffer is null,
// buflen is 0 or formatting fails.
char *num_long2str(char *buffer, std::size_t buflen, rlong value, int *perrval);
char *num_long2hex(char *buffer, std::size_t buflen, rlong value, int *perrval);

// `value` written with "%.Ng", N = |ndigits| limited to 80, or "%g" for
// ndigits 0. `buffer` must hold NumBUFLEN characters; at most that many are
// written. Null when nothing could be written.
char *double2s(char *buffer, double value, int ndigits);

// `value` written as a number, or, with a non-empty unit, as a number in that
// unit ("1.5_mm", "3_(m+1)") that evaluates back to `value`. Errors: those of
// evaluating the unit, NumBadUnit for text after the unit expression,
// NumDivByZero for a unit of value 0, NumWriteError when the text does not
// fit into buflen characters with its terminator. Null on error.
char *num_double2str(char *buffer, std::size_t buflen, double value,
                     const char *unit, int ndigits, int *perrval);

// `value` in hexadecimal ("0xff", "-0x1a.80", "0x0.800"), the last digit of
// weight 16^-(|ndigits|-1) or 1, whichever is larger; integer digits are
// always written in full. NumWriteError and null when buflen is below 4 (5 for
// a negative value) or the integer digits do not fit.
char *num_double2hex(char *buffer, std::size_t buflen, double value,
                     int ndigits, int *perrval);

// --------------------------------------------------------- program level --

// Creates an empty program `Name` in the registry, freeing a program of that
// name first. Null on failure (null name, memory).
NumProg *numprog_new(const char *Name);
// Unlinks `program` from the registry and releases it: 0, or -1 when it is
// not in the registry. A null program gives 0; a program already freed
// gives -1 and its memory is never read, so a second call is harmless.
int numprog_free(NumProg *program);
// The program of that name in the registry or null.
NumProg *numprog_search_registry(const char *Name);
// Number of programs in the registry.
int numprog_registry_size();

// Appends an instruction to InstructionList (mode 0) or CompiledList
// (mode 1): 0, or -1 for another mode, a null program or no memory.
// `*pinstruction` (if not null) receives the new instruction; it stays valid
// until the next instruction is appended to the same list.
int numprog_append_instruction(NumProg *program, int mode, int Command,
                               int Nargs, double Value, double *Address,
                               NumInstr **pinstruction);

// The register above the current one becomes current and receives Value; a
// cell is allocated only when none exists above. Null on failure.
NumAccu *numprog_up_accumulator(NumProg *program, double Value);
// The register below the current one becomes current and is returned; null
// (and an empty stack) when the current one was the bottom or there was none.
NumAccu *numprog_down_accumulator(NumProg *program);

// 1 when `name` is a valid variable name: empty, or an ASCII letter followed
// by letters and digits.
int numprog_checkvar(const char *name);
// Appends variable Key with InitValue and use count 0. -1 for an invalid
// name, or for a name already defined (then *pvariable is the existing
// one, its value unchanged). A null program does nothing (0).
int numprog_append_variable(NumProg *program, const char *Key,
                            double InitValue, NumVar **pvariable);
// Finds a variable in definition order: mode 0 compares whole names; any
// other mode takes the first variable whose whole name is a prefix of Key.
// 0 found (*pvariable set), -1 not found.
int numprog_search_variable(NumProg *program, const char *Key,
                            NumVar **pvariable, int mode);

// Instruction name of a code, "Invalid" outside 0 .. NumCmd::Count-1.
const char *numprog_cmd2str(int code);
// One listing line for an instruction; empty text when buflen is below 50.
char *numprog_ins2str(char *buffer, std::size_t buflen, const NumInstr *instruction);
// Program listing (diagnostics): nothing when level <= 0 or out is null.
// Lists `program`, or every program of the registry when it is null: not
// verbose the name, variables, instructions and registers at level-1;
// verbose blocks with the registry neighbours and the current register.
void num_prog_print_list(FILE *out, const NumProg *program, int level, int verbose);
// The lists of one program, one line per entry (verbose: a block per
// entry). Nothing when level <= 0 or program or out is null. The
// instruction listing is of InstructionList (mode 0) or CompiledList (1).
void num_prog_print_variable_list(FILE *out, const NumProg *program, int level, int verbose);
void num_prog_print_accumulator_list(FILE *out, const NumProg *program, int level, int verbose);
void num_prog_print_instruction_list(FILE *out, const NumProg *program, int mode, int level,
                                     int verbose);

// ------------------------------------------------------------- registry --
// Programs are kept by name in descending byte order of the names; a name
// occurs at most once.

// The registry needs no setup; kept for callers that initialise it first.
void numprog_init();
// Finds the program `Name` or inserts a new empty one: 0 (*pprogram is the
// program), or -1 for a null name or no memory.
int numprog_insert(const char *Name, NumProg **pprogram);
// Exact name match: 0 with *pprogram the program or null when there is
// none; -1 only for a null name.
int numprog_search(const char *Name, NumProg **pprogram);
// Frees the program `Name` (an unknown name is no error); a null name frees
// every program. 0, or -1 when a program could not be freed.
int numprog_remove(const char *Name);
// A copy of s ("" for null). Returned as a string the caller owns.
std::string numprog_newstr(const char *s);
// 1 when s is null or white space only, else 0.
int numprog_is_empty(const char *s);

// Release one list of a program and leave it empty: 0, or -1 for another
// instruction mode than 0 (InstructionList) or 1 (CompiledList). A null
// program gives 0. Releasing the variables also releases every instruction
// list that reads one of them, so that no instruction is left pointing at a
// released variable; releasing the registers empties the stack.
int numprog_free_variable_list(NumProg *program);
int numprog_free_accumulator_list(NumProg *program);
int numprog_free_instruction_list(NumProg *program, int mode);

// Number of variables and of registers of a program (0 for null).
rlong num_prog_variables(const NumProg *program);
rlong num_prog_accumulators(const NumProg *program);
// Number of instructions of InstructionList (mode 0), CompiledList (1), or
// CompiledList when it is not empty and else InstructionList (2); 0 for
// another mode or a null program.
rlong num_prog_instructions(const NumProg *program, int mode);
// Bytes used by the entries of a list: entries times the record size. The
// instruction size takes the modes of num_prog_instructions.
rlong num_prog_variable_size(const NumProg *program);
rlong num_prog_accumulator_size(const NumProg *program);
rlong num_prog_instruction_size(const NumProg *program, int mode);
// The program record, its name with terminator, the variables with their
// names (with terminators), the registers and both instruction lists.
rlong num_prog_size(const NumProg *program);
// num_prog_size summed over every program of the registry.
rlong num_prog_size_all();

// ------------------------------------------------------------- compiler --

// Folds one run of instructions that do not depend on a variable, starting
// at `firstinstruction` (an instruction of program->InstructionList), into
// PUSHVAL instructions appended to CompiledList, followed by a copy of the
// instruction that ended the run. Returns that instruction (the caller goes
// on after it), or null at the end of the list. On failure *perrval is set
// (the error of evaluating a constant, or NumProgramError) and null returned.
NumInstr *dpprogram_optimize(NumProg *program, NumInstr *firstinstruction, int *perrval);
// Replaces InstructionList by its folded form. 0, or -1 with NumProgramError
// for a null program, NumNoInstruction for an empty list, or the error of a
// constant sub-expression ('1/0' gives NumDivByZero); on failure the program
// keeps its unfolded list.
int dpprogram_compile(NumProg *program, int *perrval);

// ------------------------------------------------------- public programs --

// Compiles the floating expression `str` (null reads as "", leading white
// space skipped) with `nvar` variables named by `names[0..nvar-1]` into the
// program `name`, replacing a program of that name. `*tail` (if tail is not
// null) receives the position where parsing stopped; text after the
// expression is no error here. Every variable starts at 1.0.
// Errors: NumProgramError (null name, no memory, a failing free),
// NumVariableError (an invalid or repeated name, or nvar below 0 or not the
// number of names given), the parse and compile errors. Null on error, and
// then no program of that name is left.
NumProg *num_str2prog_list(const char *name, const char *str, const char **tail, int *perrval,
                           int nvar, const char *const *names);

// The same with the variable names as arguments:
//   num_str2prog("p", "2*_x+1", &tail, &err, 1, "x")
// A count that differs from the number of names is NumVariableError.
template <typename... Names>
NumProg *num_str2prog(const char *name, const char *str, const char **tail, int *perrval,
                      int nvar, Names... names) {
  static_assert((std::is_convertible_v<Names, const char *> && ...),
                "variable names are texts");
  const char *list[] = {static_cast<const char *>(names)..., nullptr};
  const int given = static_cast<int>(sizeof...(names));
  return num_str2prog_list(name, str, tail, perrval, nvar == given ? nvar : -1, list);
}

// Runs `program` with values[0..nvalues-1] assigned to its variables in
// definition order and returns the result; 0.0 on error. NumProgramError
// for a null program, NumVariableError when nvalues is not the number of
// variables (nothing is assigned then), else the errors of the run.
// Allocates nothing once the register stack has reached the depth the
// program needs (the compiler already reaches it).
double num_runprog_values(NumProg *program, int *perrval, int nvalues, const double *values);

// The same with the values as arguments: num_runprog(p, &err, 3.0).
// Arguments of any arithmetic type are converted to double.
template <typename... Values>
double num_runprog(NumProg *program, int *perrval, Values... values) {
  static_assert((std::is_arithmetic_v<Values> && ...), "values are numbers");
  const double list[] = {static_cast<double>(values)..., 0.0};
  return num_runprog_values(program, perrval, static_cast<int>(sizeof...(values)), list);
}

// Runs `program` once per element i < n with the variables set to
// values[0][i], values[1][i], ... (nvalues arrays, one per variable, in
// definition order). results[i] receives exactly what num_runprog would
// return for these values, and errvals[i] (when errvals is not null) its
// error value, 0 for success, so that a caller can leave failing elements
// unchanged. results may be one of the input arrays (in place).
// Returns the number of failed elements; *perrval receives the error value
// of the first failed element, or 0. Afterwards the program is left as the
// last of the equivalent num_runprog calls would leave it. The program is
// applied instruction by instruction to blocks of elements; nothing is
// allocated per element.
std::size_t num_runprog_array(NumProg *program, int *perrval, std::size_t n, int nvalues,
                              const double *const *values, double *results, int *errvals);
// The same for float inputs (each value converted to double, as a float
// argument of num_runprog is).
std::size_t num_runprog_array(NumProg *program, int *perrval, std::size_t n, int nvalues,
                              const float *const *values, double *results, int *errvals);

// Use count of the n-th variable (from 1; n <= 1 means the first): how often
// the expression refers to it. 0 with NumNoVariable when there are fewer
// variables, 0 with NumProgramError for a null program.
int num_chkvar(const NumProg *program, int n, int *perrval);
// The program `name` or null; NumProgramError only for a null name.
NumProg *num_searchprog(const char *name, int *perrval);
// Frees the program: 0, or -1 with NumProgramError when it is not in the
// registry. A null program gives 0.
int num_rmprog(NumProg *program, int *perrval);

// ------------------------------------------------------------ interpreter --

// Executes one instruction on the register stack; the error value goes to
// *perrval. Returns -1 for a missing program or instruction, an unknown
// command or a missing register, otherwise 0 (also for domain errors and
// division by zero, which are reported through *perrval only).
int dpprogram_step(NumProg *program, const NumInstr *instruction, int *perrval);
// Empties the register stack and runs InstructionList, stopping at the first
// error. 0 on success (the result is CurrentAccumulator->Value), else -1.
int dpprogram_run(NumProg *program, int *perrval);

// ----------------------------------------------------------------- parser --
// Each rule parses from *ps, advances *ps over what it consumed, appends its
// instructions to program->InstructionList, sets *perrval to 0 on entry and
// to the error value on failure (leaving *ps where the error was found).
// `level` is the nesting depth; a ")" ends a sum only below level 0.

void dpcondition(NumProg *program, const char **ps, int level, int *perrval);
void dplogicsum(NumProg *program, const char **ps, int level, int *perrval);
void dplogicproduct(NumProg *program, const char **ps, int level, int *perrval);
void dpequality(NumProg *program, const char **ps, int level, int *perrval);
void dpcomparison(NumProg *program, const char **ps, int level, int *perrval);
void dpexpression(NumProg *program, const char **ps, int level, int *perrval);
void dpterm(NumProg *program, const char **ps, int level, int *perrval);
void dpfactor0(NumProg *program, const char **ps, int level, int *perrval);
void dpfactor1(NumProg *program, const char **ps, int level, int *perrval);
void dpfactor2(NumProg *program, const char **ps, int level, int *perrval);
void dpfunction(NumProg *program, const char **ps, int level, int *perrval);
void dpvariable(NumProg *program, const char **ps, int *perrval);
void dpconstant(NumProg *program, const char **ps, int *perrval);
// 1 when the text is a run of ASCII letters and digits, not beginning with a
// digit, directly followed by "(".
int isfunction(const char *s);
// 1 when the text begins with "_".
int isvariable(const char *s);

// Integer grammar rules (same conventions, returning the value).
rlong lvexpression(const char **ps, int level, int *perrval);
rlong lvterm(const char **ps, int level, int *perrval);
rlong lvfactor(const char **ps, int level, int *perrval);

// --------------------------------------------------------- constant table --

// Builds the table of named constants and units: 0, or -1 when an insertion
// failed (the entries made so far stay; the next lookup tries again).
int dpconstant_init();
// Inserts Key or, when it exists, replaces its value: 0 or -1.
int dpconstant_insert(const char *Quantity, const char *Unit, const char *Key,
                      double Value, const DPConstant **pdpconstant);
// Finds a constant by whole key (mode 0) or by the longest key that is a
// prefix of Key (mode 1); builds the table on first use. 0 or -1.
int dpconstant_search(const char *Key, const DPConstant **pdpconstant, int mode);
// Lists the table (nothing when level <= 0).
void dpconstant_print(FILE *out, int level, int verbose);
// Releases the table; the next lookup builds it again.
void dpconstant_free();
// Every key of the table in its order (descending byte order); empty when
// the table has not been built.
std::vector<std::string> dpconstant_keys();
// A unit with its twenty decimal prefixes (Y .. y, no deca), squared and
// cubed: keys prefix+Baseunit (+"2"/"3"). 0, or -1 for a base unit longer
// than 64 (63) characters or a failed insertion.
int dpconstant_insert_unit(const char *Quantity, const char *Unit,
                           const char *Baseunit, double Basevalue);
int dpconstant_insert_unit2(const char *Quantity, const char *Unit,
                            const char *Baseunit, double Basevalue);
int dpconstant_insert_unit3(const char *Quantity, const char *Unit,
                            const char *Baseunit, double Basevalue);
