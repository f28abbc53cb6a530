// The name table of the data-file library's error values.
#include <cstdio>

#include "rylpack/rylio_errors.h"

namespace {

// Indexed by value + 1; a null entry is a value without a name.
const char *const kNames[] = {
    "RoutineFailed",
    "RoutineSucceeded",
    "CouldNotMallocMemory",
    "CouldNotFreeHeaders",
    "CouldNotGetBinaryArray",
    "NoMoreStreamsAvailable",
    "InvalidStream",
    "CouldNotOpenFile",
    "EndOfFileDetected",
    "CompressionError",
    "CouldNotFindHeader",
    "CouldNotFindSymbol",
    nullptr,  // 11
    "BadDataBlock",
    "CouldNotFindKeyword",
    "WriteDataError",
    "ReadDataError",
    "NoFileOpen",
    "NotORBADataFile",
    "NoDataBlocksFound",
    "BlockIDDuplicaton",
    "ExternalData",
    "FileIsNotWritable",
    "FileIsNotOpened",
    "IncompatibleOpeningModes",
    "CouldNotCloseFile",
    "CouldNotCloseBlock",
    "CouldNotInsertChain",
    "CouldNotInsertBlock",
    "CouldNotInsertSymbol",
    "MissingKeyDefinition",
    "GeneralBlockNotFirst",
    "ErrorCreatingGeneralBlock",
    "ErrorReadingGeneralBlock",
    "ErrorLocatingBlocks",
    "CouldNotSetBuffer",
    "NumberConversionFailed",
    "DataConversionFailed",
    "DataBufferTooSmall",
    "MissingArrayDimensions",
    "NotNdData",
    "Not2dData",
    "CouldNotWriteDimension",
    "CouldNotReadDimension",
    "CouldNotWriteBinary",
    "CannotReOpenGeneralBlock",
    "CannotOpenAsBslFile",
    "CouldNotInsertElement",
    "CouldNotDeleteString",
    "CouldNotFindHeaderKey",
    "CouldNotCreateHeader",
    "CouldNotReadGeneralHeader",
    "CouldNotReadHeader",
    "CouldNotFindStatParamKey",
    "CouldNotUpdateChainInfo",
    "CouldNotUpdateFileInfo",
    "NoKeyGiven",
};

constexpr int kFirst = -1;
constexpr int kLast = kFirst + static_cast<int>(sizeof kNames / sizeof kNames[0]) - 1;

}  // namespace

const char *ryl_errval2name(int errval) {
  if (errval < kFirst || errval > kLast) return nullptr;
  return kNames[errval - kFirst];
}

std::string ryl_report_data_error(int errval) {
  char text[512];
  const char *name = ryl_errval2name(errval);
  if (name)
    std::snprintf(text, sizeof text, "\n%s\n", name);
  else
    std::snprintf(text, sizeof text, "\n%s : %d\n", "UnknownErrorValue", errval);
  return text;
}
