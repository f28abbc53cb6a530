// rylio: the keyword-header data-file library.
//
// Open files are addressed by a stream number 0..19. A block of a file is
// named by (stream, DataNumber, DataChain): the chain number is 0 for the
// general block, 1 for image data ("Image.Psd"), -1 for their variances
// ("Image.Error") and +-n for further chains; the data number is the block
// number within the chain. Every call reports through an error value
// (rylio_errors.h, 0 on success) and a status (status_success 0,
// status_error 100); either pointer may be null where a call says so.
//
// Texts and arrays that the library returns stay valid until their block
// is released: another block of the same file is opened, or the file is
// closed.
#pragma once

#include <cstddef>
#include <cstdio>

#include "rylpack/longint.h"
#include "rylpack/rylio_binary.h"
#include "rylpack/rylio_errors.h"

enum RylStatus : int { status_success = 0, status_error = 100 };

// ---- files ------------------------------------------------------------------

// Opens a file in mode "new", "old", "any", "read", "append" or "temp" and
// returns its stream, or -1. In "old" and "read" a file that is not a ryl
// file is read as a BSL file. Names ending in ".gz", ".rylgz" or ".Z" are
// whole compressed files ("read", "new", "append").
int ryl_open_data_file(const char *fname, const char *mode, int *pErrorValue, int *pstatus);
// The stream of an open file of exactly that name, or -1 (status 0). When
// the file was opened in a way that does not allow mode the stream is
// returned with IncompatibleOpeningModes and status error.
int ryl_search_stream(const char *fname, const char *mode, int *pErrorValue, int *pstatus);
// Writes the active block, finishes a compressed output file and frees the
// entry. A stream outside 0..19 succeeds without effect. Returns 1 on
// success, 0 on failure (the entry then stays open).
int ryl_close_data_file(int stream, int *pErrorValue, int *pstatus);
// Frees all entries without writing pending blocks.
void ryl_free_data_file();
// Frees all history blocks, named headers and file entries.
void ryl_free_all();

// ---- header values ------------------------------------------------------------

// The four readers return 0 when the block or key does not exist
// (CouldNotFindHeader or CouldNotFindSymbol, status error), 1 otherwise:
// found (status 0) or failed (status error). The key is looked up in the
// block, then in the general block.
int ryl_read_header_string(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                           const char **String, int *pErrorValue, int *pstatus);
// Copies at most 1023 characters of the value into Value (1024 bytes).
int ryl_read_header_line(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                         char *Value, int *pErrorValue, int *pstatus);
int ryl_read_header_float(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                          float *Value, int *pErrorValue, int *pstatus);
int ryl_read_header_long(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                         rlong *Value, int *pErrorValue, int *pstatus);

// Writers return 1 on success, 0 on failure. Values reach the file when
// the block stops being active or the file is closed.
int ryl_write_header_string(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                            const char *Value, int *pErrorValue, int *pstatus);
int ryl_write_header_line(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                          const char *Value, int *pErrorValue, int *pstatus);
int ryl_write_header_float(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                           float Value, int *pErrorValue, int *pstatus);
int ryl_write_header_unit(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                          float Value, const char *unit, int *pErrorValue, int *pstatus);
int ryl_write_header_long(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                          rlong Value, int *pErrorValue, int *pstatus);
// Removes a key and its continuation keys; keys beginning with "RYL_" are
// refused. An absent block is no error.
int ryl_delete_key(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                   int *pErrorValue, int *pstatus);
// 1 when the block exists, 0 when not.
int ryl_test_header(int stream, rlong DataNumber, rlong DataChain, int *pErrorValue,
                    int *pstatus);

// ---- data arrays --------------------------------------------------------------

// Writes the caller's array as it is, described by the arguments. Header
// values of the block must be written before its array.
int ryl_write_data_raw(int stream, rlong DataNumber, rlong DataChain, const rlong *Dim,
                       void *pData, int DataType, rlong DataValueOffset, int ByteOrder,
                       rlong RasterConfiguration, int *pErrorValue, int *pstatus);
// Writes an array of a machine type, converted to the output data type and
// value offset of the module settings.
int ryl_write_data(int stream, rlong DataNumber, rlong DataChain, const rlong *Dim, void *pData,
                   int MachineType, int *pErrorValue, int *pstatus);
// The array as stored (decompressed), with its description. With *pDim
// given, it is the caller's dimension array (d[0] = how many sizes it takes);
// with ppData and *ppData given, *ppData is the caller's buffer of
// *pDataArraySize bytes.
int ryl_read_data_raw(int stream, rlong DataNumber, rlong DataChain, rlong **pDim,
                      std::size_t *pDataArraySize, void **ppData, int *pDataType,
                      rlong *pDataValueOffset, int *pByteOrder, rlong *pRasterConfiguration,
                      int *pErrorValue, int *pstatus);
// The array converted to MachineType, in machine byte order and normal
// orientation, value offset applied.
int ryl_read_data(int stream, rlong DataNumber, rlong DataChain, rlong **pDim,
                  std::size_t *pDataArraySize, void **ppData, int MachineType, int *pErrorValue,
                  int *pstatus);
// Dimensions and stored size of the array; 0 if the block does not exist.
int ryl_read_data_dimension(int stream, rlong DataNumber, rlong DataChain, rlong **pDim,
                            std::size_t *pDataArraySize, int *pErrorValue, int *pstatus);

// Smallest and largest block number of a chain; 1 on success, 0 on failure.
int ryl_search_minmax_number(int stream, rlong DataChain, rlong *pMinNumber, rlong *pMaxNumber,
                             int *pErrorValue, int *pstatus);
// Count at [0], then the chain numbers of the file (ascending); owned by the
// library. Null on failure.
const rlong *ryl_chain_numbers(int stream, int *pErrorValue, int *pstatus);
// Count at [0], then the block numbers of a chain (ascending).
const rlong *ryl_block_numbers(int stream, rlong DataChain, int *pErrorValue, int *pstatus);

// ---- Processing history -----------------------------------------------------
//
// Named history blocks, each with the history lines read from an input
// header ("History-1", "History-2", ...) and one argument line that a program
// builds up word by word while it reads its command line. Unless stated the
// calls return 1 on success and 0 on failure (unknown key).

// Creates the block, or empties an existing one; its argument line is empty
// and its current key "History-1".
int ryl_history_new(const char *history_key);
// Appends an argument to the argument line, in quotes when it is empty or
// holds white space or one of ( ) [ ] { } *, unless it starts with a quote.
int ryl_history_argv(const char *history_key, const char *argument);
// Appends an argument as it is.
int ryl_history_argv_noquotes(const char *history_key, const char *argument);
// The next argument added does not extend the short form of the line.
int ryl_history_skip(const char *history_key);
// The next argument added extends the short form.
int ryl_history_take(const char *history_key);
// Cuts the argument line to its short form: trailing default arguments go.
int ryl_history_argv_shorten(const char *history_key);
// Makes history_key_copy a copy of history_key.
int ryl_history_copy(const char *history_key_copy, const char *history_key);
// Removes one block; a null key removes all.
int ryl_history_free(const char *history_key);
// Lists one block (or all with a null key).
void ryl_history_print(FILE *out, const char *history_key, int level, int verbose);
// Switches the debug output of the history calls.
void hist_debug(int debug);
// The argument line of a block (for inspection), or null.
const char *ryl_history_argv_line(const char *history_key);
// The key under which the argument line will be written, or null.
const char *ryl_history_current_key(const char *history_key);

// Reads the history lines History-1, History-2, ... of a block into the
// history block; the first absent number becomes the current key.
int ryl_read_header_history(int stream, rlong DataNumber, rlong DataChain,
                            const char *history_key, int *pErrorValue, int *pstatus);
// Writes the history lines and, under the current key, the short form of the
// argument line into a block.
int ryl_write_header_history(int stream, rlong DataNumber, rlong DataChain,
                             const char *history_key, int *pErrorValue, int *pstatus);

// ---- named header copies ------------------------------------------------------------
//
// Headers held in memory under a name, independent of any file. Unless said
// the calls return 1 on success and 0 on failure; a name that does not exist
// gives CouldNotFindHeaderKey.

// Creates the named header, or empties it.
int ryl_new_header(const char *header_key);
// Removes it; a null name removes all.
int ryl_free_header(const char *header_key);
// Adds the keys of the general block and then of the block (reserved "RYL_"
// keys excepted) with their decoded values; existing elements are updated.
// 0 when the block does not exist.
int ryl_read_header(int stream, rlong DataNumber, rlong DataChain, const char *header_key,
                    int *pErrorValue, int *pstatus);
// Stores every element in the block (opened for writing).
int ryl_write_header(int stream, rlong DataNumber, rlong DataChain, const char *header_key,
                     int *pErrorValue, int *pstatus);
// The first and following elements in key order; after the last one *pkey
// and *pvalue are null (still success).
int ryl_first_header_element(const char *header_key, const char **pkey, const char **pvalue,
                             int *pErrorValue, int *pstatus);
int ryl_next_header_element(const char *header_key, const char **pkey, const char **pvalue,
                            int *pErrorValue, int *pstatus);
// 1 and the value when the key exists, 0 when not (status 0 in both cases).
int ryl_search_header_element(const char *header_key, const char *key, const char **pvalue,
                              int *pErrorValue, int *pstatus);
int ryl_add_header_element(const char *header_key, const char *key, const char *value,
                           int *pErrorValue, int *pstatus);
// A missing key is no error.
int ryl_delete_header_element(const char *header_key, const char *key, int *pErrorValue,
                              int *pstatus);
// "MinValLen", "MaxValLen", "KeyUpdateCount" or "ValueUpdateCount" of an
// element; 0 for an absent key; CouldNotFindStatParamKey for another name.
unsigned long ryl_stat_header_element(const char *header_key, const char *key,
                                      const char *statkey, int *pErrorValue, int *pstatus);
void ryl_print_header(FILE *out, const char *header_key, int level, int verbose);
void ryl_print_header_stat(FILE *out, const char *header_key, int level, int verbose);
void header_debug(int debug);

// History lines of a named header copy, read and written as with blocks.
int ryl_history_read_header(const char *header_key, const char *history_key,
                            int *pErrorValue, int *pstatus);
int ryl_history_write_header(const char *header_key, const char *history_key,
                             int *pErrorValue, int *pstatus);

// ---- key order -------------------------------------------------------------------------
// Replaces the table of key patterns that decides the order in which keys
// are written (a null table restores the default); the table ends with a
// null entry and must stay valid while it is in use.
int ryl_keyorder_set_table(const char *const *table);
// Prints the table in use, one "keyorder_DefaultTable[%u] = %s" line each.
void ryl_keyorder_print_table(FILE *out);

// ---- settings (global for all files; each returns 0) ----------------------------
int ryl_general_block(int writetodisk);
int ryl_headersize(int writetodisk);
int ryl_set_minimumheadersize(rlong size);
int ryl_set_datatype(int datatype_out);
int ryl_set_datacompression(int compression_out);
int ryl_set_datavalueoffset(rlong offset_out);
int ryl_set_bsl_input_byteorder(int byteorder);
int ryl_set_max_line_width(rlong width);

// ---- limits and versions -----------------------------------------------------------
int ryl_maxfiles();
int ryl_maxkeylen();
int ryl_maxvallen();
int ryl_maxlinlen();
int ryl_maxdatachains();
int ryl_buffersize();
int ryl_maxdimensions();
// Version of the library ("E2.266_linux").
const char *ryl_libversion();
// Version of the data format written ("2.42").
const char *ryl_dataformat_version();
// Version line of the module ("rylio : V2.55 Tessmor 2016-03-30 (E2.266_linux)").
const char *rylio_version();

// ---- raster wrappers ---------------------------------------------------------------
int ryl_raster_normalization(void *dest, const void *src, const rlong *data_dim,
                             rlong raster_number, std::size_t item, int *perrval);

// ---- diagnostics ------------------------------------------------------------------
void rylio_debug(int debug);
// Lists the open entries with their chains and blocks (and symbols with
// verbose).
void ryl_print_filetable(FILE *out, int level, int verbose);
// Prints the header values of selected blocks: chainkeys, blockkeys and
// keywords are comma-separated lists (null: all). Format 1 gives one
// tab-separated line per block, 10000 and above add the file positions of
// keys and values.
void ryl_dump(FILE *out, int stream, int format, const char *chainkeys, const char *blockkeys,
              const char *keywords);
