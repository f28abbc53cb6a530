// Error values of the data-file library and their names.
//
// Every call of the data-file library reports through an error value beside
// its result; 0 is success. The names double as the texts of the report.
#pragma once

#include <string>

enum RylErrorValue : int {
  RoutineFailed = -1,
  RoutineSucceeded = 0,
  CouldNotMallocMemory = 1,
  CouldNotFreeHeaders = 2,
  CouldNotGetBinaryArray = 3,
  NoMoreStreamsAvailable = 4,
  InvalidStream = 5,
  CouldNotOpenFile = 6,
  EndOfFileDetected = 7,
  CompressionError = 8,
  CouldNotFindHeader = 9,
  CouldNotFindSymbol = 10,
  BadDataBlock = 12,
  CouldNotFindKeyword = 13,
  WriteDataError = 14,
  ReadDataError = 15,
  NoFileOpen = 16,
  NotORBADataFile = 17,
  NoDataBlocksFound = 18,
  BlockIDDuplicaton = 19,
  ExternalData = 20,
  FileIsNotWritable = 21,
  FileIsNotOpened = 22,
  IncompatibleOpeningModes = 23,
  CouldNotCloseFile = 24,
  CouldNotCloseBlock = 25,
  CouldNotInsertChain = 26,
  CouldNotInsertBlock = 27,
  CouldNotInsertSymbol = 28,
  MissingKeyDefinition = 29,
  GeneralBlockNotFirst = 30,
  ErrorCreatingGeneralBlock = 31,
  ErrorReadingGeneralBlock = 32,
  ErrorLocatingBlocks = 33,
  CouldNotSetBuffer = 34,
  NumberConversionFailed = 35,
  DataConversionFailed = 36,
  DataBufferTooSmall = 37,
  MissingArrayDimensions = 38,
  NotNdData = 39,
  Not2dData = 40,
  CouldNotWriteDimension = 41,
  CouldNotReadDimension = 42,
  CouldNotWriteBinary = 43,
  CannotReOpenGeneralBlock = 44,
  CannotOpenAsBslFile = 45,
  CouldNotInsertElement = 46,
  CouldNotDeleteString = 47,
  CouldNotFindHeaderKey = 48,
  CouldNotCreateHeader = 49,
  CouldNotReadGeneralHeader = 50,
  CouldNotReadHeader = 51,
  CouldNotFindStatParamKey = 52,
  CouldNotUpdateChainInfo = 53,
  CouldNotUpdateFileInfo = 54,
  NoKeyGiven = 55,
  // 11 is not assigned.
};

// The name of an error value ("NotNdData"), or nullptr for a value without
// a name (11, or anything outside -1..55).
const char *ryl_errval2name(int errval);

// The report text of an error value: "\n<name>\n", or
// "\nUnknownErrorValue : <value>\n" for a value without a name. The design
// returned an allocated text of at most 512 bytes; here the caller gets a
// string it owns.
std::string ryl_report_data_error(int errval);
