#include "vilopack/vilo_error.h"

#include "rylpack/rylio_errors.h"

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// The one error record of the process.
struct ErrorRecord {
  std::optional<std::string> module, routine, message;
  int external = 0;
  ViloErrorReporter reporter = nullptr;
};

ErrorRecord g_record;
// Error values of the data-file library are the common external errors.
ViloErrorReporter g_default_reporter = ryl_report_data_error;

std::optional<std::string> copy_text(const char *s) {
  if (!s) return std::nullopt;
  return std::string(s);
}

const char *c_str(const std::optional<std::string> &s) {
  return s ? s->c_str() : nullptr;
}

// Status messages, indexed by status + 1 for -1 .. 52.
const char *const kStatusText[] = {
    "Failed: Routine failed",
    "Success: Normal successful operation",
    "Abort: Input aborted",
    "SkipInput: Input skipped",
    "ScanError: Input conversion error",
    "ScanEmpty: Unexpected end of argument list",
    "NoDefault: No default possible",
    "NoOption: Unknown option",
    "NoFloatNumber: This is not a float number",
    "NoIntegerNumber: This is not an integer number",
    "InvalidOrientation: Invalid orientation",
    "BadParenthesis: Wrong number of parentheses",
    "DivByZero: Division by zero",
    "NoFlag: No flag (true|false|yes|no)",
    "CommaExpected",
    "FloatingPointError",
    "DomainError",
    "IntegerOverflow",
    "UnknownFloatFunction",
    "UnknownIntegerFunction",
    "WrongImageNumber",
    "NotEnoughBlocks",
    "NotEnoughMemoryAvailable",
    "FileNotFound",
    "ImageProtected",
    "FileProtected",
    "FileOpeningError",
    "FileAlreadyOpen",
    "FileMustBeOpen",
    "HeaderNotInitialized",
    "FilePositioningError",
    "FileReadError",
    "FileClosingError",
    "KeywordMissing",
    "UnknownDataType",
    "UnsupportedDataType",
    "UnknownUnit",
    "SizeMismatch",
    "FileWriteError",
    "OutOfRange",
    "TypeConversionFailed",
    "StoppedAfterHelp",
    "CannotFindHeader",
    "FileNameError",
    "NotWaxsProjection",
    "NotNormalReference",
    "NotViloReference",
    "ReferenceNotSupported",
    "ExpressionWriteError",
    "NoVariable",
    "VariableError",
    "ProgramError",
    "NoInstruction",
    "NoAccumulator",
};

}  // namespace

void ViloError_init() { g_record = ErrorRecord{}; }

void SetViloError(const char *ModuleName, const char *RoutineName, const char *Message) {
  g_record.module = copy_text(ModuleName);
  g_record.routine = copy_text(RoutineName);
  g_record.message = copy_text(Message);
  g_record.external = 0;
  g_record.reporter = nullptr;
}

void SetViloErrorMessage(const char *Message) { g_record.message = copy_text(Message); }

void SetViloErrorExternal(int ExternalError, ViloErrorReporter ReportError) {
  g_record.external = ExternalError;
  g_record.reporter = ReportError;
}

ViloErrBlk ViloErrorRecord() {
  return {c_str(g_record.module), c_str(g_record.routine), c_str(g_record.message),
          g_record.external, g_record.reporter};
}

void ViloErrorSetDefaultReporter(ViloErrorReporter reporter) {
  g_default_reporter = reporter ? reporter : ryl_report_data_error;
}

const char *ViloStatusText(int Status) {
  if (Status >= -1 && Status <= NoAccumulator) return kStatusText[Status + 1];
  if (Status == ExternalErrorReport) return "ExternalErrorReport";
  return "...";
}

int ReportInputStatus(int Status, int ExitFlag) {
  std::fprintf(stderr, "Status = %d -- %s\n", Status, ViloStatusText(Status));
  if (ExitFlag && Status) {
    std::fflush(nullptr);
    std::exit(Status);
  }
  return Status;
}

int ReportViloStatus(int Status, int ExitFlag) {
  if (Status == Success) return Success;
  std::fputs("\n", stderr);
  if (Status != StoppedAfterHelp) {
    // Each printed field is released, so a second report does not repeat it.
    if (g_record.module) std::fprintf(stderr, "MODULE   : %s\n", g_record.module->c_str());
    if (g_record.routine) std::fprintf(stderr, "ROUTINE  : %s\n", g_record.routine->c_str());
    if (g_record.message) std::fprintf(stderr, "%s\n", g_record.message->c_str());
    g_record.module.reset();
    g_record.routine.reset();
    g_record.message.reset();
  }
  if (Status == ExternalErrorReport) {
    ViloErrorReporter rep = g_record.reporter ? g_record.reporter : g_default_reporter;
    std::string text = rep ? rep(g_record.external) : ryl_report_data_error(g_record.external);
    std::fprintf(stderr, "%s\n", text.c_str());
  }
  ReportInputStatus(Status, ExitFlag);
  ViloError_init();
  return Status;
}

int errval2status(int errval) {
  // Error values of the expression evaluator, 0 .. 16, in order.
  static const int kMap[] = {
      Success,           NotEnoughMemoryAvailable, ScanError,     CommaExpected,
      BadParenthesis,    NoFloatNumber,            UnknownFloatFunction,
      DomainError,       NoIntegerNumber,          IntegerOverflow,
      DivByZero,         ExpressionWriteError,     NoVariable,    VariableError,
      ProgramError,      NoInstruction,            NoAccumulator,
  };
  if (errval >= 0 && errval < static_cast<int>(sizeof kMap / sizeof kMap[0])) return kMap[errval];
  return Failed;
}

const char *ViloErrorVersion() { return "ViloError V1.55 Tessmor 2015-10-03"; }
