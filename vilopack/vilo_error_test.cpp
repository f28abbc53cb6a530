#include "vilopack/vilo_error.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string report(int status) {
  testing::internal::CaptureStderr();
  int back = ReportViloStatus(status, 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(back, status);
  return err;
}

class ViloErrorTest : public testing::Test {
 protected:
  void SetUp() override {
    ViloError_init();
    ViloErrorSetDefaultReporter(nullptr);
  }
};

TEST_F(ViloErrorTest, StatusLineOfEveryValue) {
  struct Case { int status; const char *text; } cases[] = {
      {-1, "Failed: Routine failed"},
      {0, "Success: Normal successful operation"},
      {1, "Abort: Input aborted"},
      {2, "SkipInput: Input skipped"},
      {3, "ScanError: Input conversion error"},
      {4, "ScanEmpty: Unexpected end of argument list"},
      {5, "NoDefault: No default possible"},
      {6, "NoOption: Unknown option"},
      {7, "NoFloatNumber: This is not a float number"},
      {8, "NoIntegerNumber: This is not an integer number"},
      {9, "InvalidOrientation: Invalid orientation"},
      {10, "BadParenthesis: Wrong number of parentheses"},
      {11, "DivByZero: Division by zero"},
      {12, "NoFlag: No flag (true|false|yes|no)"},
      {13, "CommaExpected"}, {14, "FloatingPointError"}, {15, "DomainError"},
      {16, "IntegerOverflow"}, {17, "UnknownFloatFunction"},
      {18, "UnknownIntegerFunction"}, {19, "WrongImageNumber"},
      {20, "NotEnoughBlocks"}, {21, "NotEnoughMemoryAvailable"},
      {22, "FileNotFound"}, {23, "ImageProtected"}, {24, "FileProtected"},
      {25, "FileOpeningError"}, {26, "FileAlreadyOpen"}, {27, "FileMustBeOpen"},
      {28, "HeaderNotInitialized"}, {29, "FilePositioningError"},
      {30, "FileReadError"}, {31, "FileClosingError"}, {32, "KeywordMissing"},
      {33, "UnknownDataType"}, {34, "UnsupportedDataType"}, {35, "UnknownUnit"},
      {36, "SizeMismatch"}, {37, "FileWriteError"}, {38, "OutOfRange"},
      {39, "TypeConversionFailed"}, {40, "StoppedAfterHelp"},
      {41, "CannotFindHeader"}, {42, "FileNameError"}, {43, "NotWaxsProjection"},
      {44, "NotNormalReference"}, {45, "NotViloReference"},
      {46, "ReferenceNotSupported"}, {47, "ExpressionWriteError"},
      {48, "NoVariable"}, {49, "VariableError"}, {50, "ProgramError"},
      {51, "NoInstruction"}, {52, "NoAccumulator"}, {100, "ExternalErrorReport"},
      // Undefined values.
      {-2, "..."}, {53, "..."}, {99, "..."}, {101, "..."},
  };
  for (const auto &c : cases) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(ReportInputStatus(c.status, 0), c.status);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "Status = " + std::to_string(c.status) + " -- " + c.text + "\n")
        << c.status;
  }
}

TEST_F(ViloErrorTest, SuccessPrintsNothing) {
  SetViloError("ViloOption", "ReadOptions", "word");
  EXPECT_EQ(report(Success), "");
}

TEST_F(ViloErrorTest, FailureReportsModuleRoutineMessageThenStatus) {
  SetViloError("ViloOption", "argv_long", nullptr);
  SetViloErrorMessage("abc");
  EXPECT_EQ(report(ScanError),
            "\nMODULE   : ViloOption\nROUTINE  : argv_long\nabc\n"
            "Status = 3 -- ScanError: Input conversion error\n");
  // The report empties the record: a second report has only the status line.
  EXPECT_EQ(report(ScanError), "\nStatus = 3 -- ScanError: Input conversion error\n");
}

TEST_F(ViloErrorTest, UnsetFieldsAreOmitted) {
  SetViloError(nullptr, "option_float", nullptr);
  EXPECT_EQ(report(Failed), "\nROUTINE  : option_float\nStatus = -1 -- Failed: Routine failed\n");
}

TEST_F(ViloErrorTest, HelpStopPrintsOnlyTheStatusLine) {
  SetViloError("ViloOption", "ReadOptions", "-h");
  EXPECT_EQ(report(StoppedAfterHelp), "\nStatus = 40 -- StoppedAfterHelp\n");
}

TEST_F(ViloErrorTest, ExternalErrorTextStandsBeforeTheStatusLine) {
  SetViloError("ViloImage", "OpenImageFile", nullptr);
  SetViloErrorMessage("input.ryl");
  SetViloErrorExternal(7, [](int v) { return "\nReporter says " + std::to_string(v) + "\n"; });
  EXPECT_EQ(report(ExternalErrorReport),
            "\nMODULE   : ViloImage\nROUTINE  : OpenImageFile\ninput.ryl\n"
            "\nReporter says 7\n\nStatus = 100 -- ExternalErrorReport\n");
}

TEST_F(ViloErrorTest, ExternalErrorWithoutReporterUsesTheDefault) {
  SetViloError("ViloImage", "ReadImage", nullptr);
  SetViloErrorExternal(11, nullptr);
  EXPECT_EQ(report(ExternalErrorReport),
            "\nMODULE   : ViloImage\nROUTINE  : ReadImage\n"
            "\nUnknownErrorValue : 11\n\nStatus = 100 -- ExternalErrorReport\n");
  SetViloErrorExternal(9, nullptr);  // CouldNotFindHeader of the data-file library
  EXPECT_EQ(report(ExternalErrorReport),
            "\n\nCouldNotFindHeader\n\nStatus = 100 -- ExternalErrorReport\n");

  ViloErrorSetDefaultReporter([](int v) { return "library text " + std::to_string(v); });
  SetViloError(nullptr, nullptr, nullptr);
  SetViloErrorExternal(3, nullptr);
  EXPECT_EQ(report(ExternalErrorReport), "\nlibrary text 3\nStatus = 100 -- ExternalErrorReport\n");
}

TEST_F(ViloErrorTest, AnnouncingResetsTheExternalPart) {
  SetViloErrorExternal(5, [](int) { return std::string("x"); });
  SetViloError("M", "R", nullptr);
  ViloErrBlk r = ViloErrorRecord();
  EXPECT_EQ(r.ExternalError, 0);
  EXPECT_EQ(r.ReportError, nullptr);
  EXPECT_STREQ(r.ModuleName, "M");
  EXPECT_EQ(r.Message, nullptr);
  SetViloErrorMessage("m1");
  SetViloErrorMessage(nullptr);
  EXPECT_EQ(ViloErrorRecord().Message, nullptr);
}

TEST_F(ViloErrorTest, ReportWithExitFlagEndsTheProcessWithTheStatus) {
  EXPECT_EXIT(ReportInputStatus(ScanEmpty, 1), testing::ExitedWithCode(ScanEmpty),
              "Status = 4 -- ScanEmpty");
  EXPECT_EQ(ReportInputStatus(Success, 1), Success);
}

TEST(ViloErrorMapping, EvaluatorErrorValuesToStatuses) {
  const int expect[] = {0, 21, 3, 13, 10, 7, 17, 15, 8, 16, 11, 47, 48, 49, 50, 51, 52};
  for (int v = 0; v < 17; ++v) EXPECT_EQ(errval2status(v), expect[v]) << v;
  // A bad unit (17) and anything unknown is a plain failure, not UnknownUnit.
  for (int v : {17, 18, -1, 1000}) EXPECT_EQ(errval2status(v), Failed) << v;
}

TEST(ViloErrorVersionText, IsTheModuleVersion) {
  EXPECT_STREQ(ViloErrorVersion(), "ViloError V1.55 Tessmor 2015-10-03");
}

}  // namespace
