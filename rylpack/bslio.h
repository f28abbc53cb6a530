// bslio: BSL input files.
//
// A BSL header file is a small text file: two title lines, then pairs of
// lines for each memory (a series of frames): an indicator line of at least
// 10 integers (values per line X, lines per frame Y, frames F, ...) and the
// name of the binary file that holds the frames as raw 4-byte floats, frame
// f at byte (f-1)*X*Y*4, relative to the header file's directory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "rylpack/longint.h"

// Where the data of one frame are.
struct BslDataSpec {
  std::string BinaryFileName;         // directory of the header file, '/', name
  unsigned long BinaryFilePos = 0;    // byte position of the frame
  unsigned long BinaryFileLen = 0;    // frame length in bytes
  std::vector<rlong> Dim;             // 2, X, Y
  int DataType = 9;                   // FloatValue
  int ByteOrder = 0;                  // the machine's byte order
  rlong RasterConfiguration = 1;
  int Compression = 1;                // None
};

// Opens a BSL header file ("old", "new", "any" or "read") and parses it.
// Returns a BSL stream 0..19, or -1 when it cannot be opened or parsed.
int open_bsl_file(const char *FileName, const char *mode);
// Frees everything of the stream and closes it.
void close_bsl_file(int stream);
// Smallest and largest memory number: 0, or -1 without memories.
int bsl_memory_range(int stream, rlong *minmem, rlong *maxmem);
// Smallest and largest frame number of a memory: 0, or -1 without frames.
int bsl_frame_range(int stream, rlong memnum, rlong *minfra, rlong *maxfra);
// The two title lines (owned by the BSL file). 0, or -1 for a bad stream.
int read_bsl_file_headers(int stream, const char **first_header, const char **second_header);
// Where the data of a frame are (file, position, size, type), or null.
const BslDataSpec *read_bsl_data_spec(int stream, rlong memnum, rlong franum);
// Debug listing of the BSL files.
void print_bsl_filetable(FILE *out, int level, int verbose);
// Compares keys: mode 0 byte-wise, 1 without case, 2 numerically when both
// are decimal integers (else as mode 1); at most 80 characters.
int compare_bsl_keys(const char *s1, const char *s2, int smode);
const char *bslio_version();

// Frames of one file are made eagerly, one block each; a header that claims
// more than this many frames in all is refused instead of exhausting memory.
constexpr unsigned long BslMaxFrames = 100000;
