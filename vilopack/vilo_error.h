// ViloError: the status codes of the command framework, the process-wide
// error record and the end-of-run report.
//
// Every framework routine takes `int *pstatus` last, sets it to Success on
// entry and returns at once when a call it makes fails, leaving the status
// untouched, so that the first failure reaches main unchanged. Beside the
// status, one error record names the module and routine that announced
// themselves last, an optional message (usually the offending text) and,
// when a library call failed, the library's own error value.
#pragma once

#include <string>

enum ViloStatus : int {
  Failed = -1,
  Success = 0,
  Abort = 1,
  SkipInput = 2,
  ScanError = 3,
  ScanEmpty = 4,
  NoDefault = 5,
  NoOption = 6,
  NoFloatNumber = 7,
  NoIntegerNumber = 8,
  InvalidOrientation = 9,
  BadParenthesis = 10,
  DivByZero = 11,
  NoFlag = 12,
  CommaExpected = 13,
  FloatingPointError = 14,
  DomainError = 15,
  IntegerOverflow = 16,
  UnknownFloatFunction = 17,
  UnknownIntegerFunction = 18,
  WrongImageNumber = 19,
  NotEnoughBlocks = 20,
  NotEnoughMemoryAvailable = 21,
  FileNotFound = 22,
  ImageProtected = 23,
  FileProtected = 24,
  FileOpeningError = 25,
  FileAlreadyOpen = 26,
  FileMustBeOpen = 27,
  HeaderNotInitialized = 28,
  FilePositioningError = 29,
  FileReadError = 30,
  FileClosingError = 31,
  KeywordMissing = 32,
  UnknownDataType = 33,
  UnsupportedDataType = 34,
  UnknownUnit = 35,
  SizeMismatch = 36,
  FileWriteError = 37,
  OutOfRange = 38,
  TypeConversionFailed = 39,
  StoppedAfterHelp = 40,
  CannotFindHeader = 41,
  FileNameError = 42,
  NotWaxsProjection = 43,
  NotNormalReference = 44,
  NotViloReference = 45,
  ReferenceNotSupported = 46,
  ExpressionWriteError = 47,
  NoVariable = 48,
  VariableError = 49,
  ProgramError = 50,
  NoInstruction = 51,
  NoAccumulator = 52,
  ExternalErrorReport = 100,
};

// Turns an external error value into a message. The text is returned by
// value, so the caller owns it.
using ViloErrorReporter = std::string (*)(int);

// A read-only view of the error record; a null field is an empty pointer.
struct ViloErrBlk {
  const char *ModuleName;
  const char *RoutineName;
  const char *Message;
  int ExternalError;
  ViloErrorReporter ReportError;
};

// Clears the record: all texts null, external value 0, no reporter.
void ViloError_init();

// Announces a module and routine (copies of the texts; null stays null) and
// resets the external part of the record to value 0 and no reporter.
void SetViloError(const char *ModuleName, const char *RoutineName, const char *Message);

// Replaces the message of the record with a copy of Message (null clears it).
void SetViloErrorMessage(const char *Message);

// Stores the error value of a library call and the routine that turns it into
// text; a null reporter means the data-file library's reporter. Called after
// every call into the data-file library, whether it failed or not.
void SetViloErrorExternal(int ExternalError, ViloErrorReporter ReportError);

// Current content of the record (valid until the record next changes).
ViloErrBlk ViloErrorRecord();

// The reporter used when SetViloErrorExternal was given none; null restores
// the data-file library's ryl_report_data_error.
void ViloErrorSetDefaultReporter(ViloErrorReporter reporter);

// Message text of a status ("Success: Normal successful operation"), or "..."
// for an undefined value.
const char *ViloStatusText(int Status);

// Writes "Status = %d -- %s\n" to standard error; with ExitFlag set and a
// non-zero status the process ends with the status as exit code. Returns
// Status.
int ReportInputStatus(int Status, int ExitFlag);

// The end-of-run report on standard error: nothing for Success; otherwise an
// empty line, the module, routine and message lines (not for
// StoppedAfterHelp), the external error text for ExternalErrorReport, and
// the status line. Clears the record and returns Status.
int ReportViloStatus(int Status, int ExitFlag);

// Maps an error value of the expression evaluator to a status.
int errval2status(int errval);

const char *ViloErrorVersion();
