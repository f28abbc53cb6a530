// rylio internal: the in-memory model of open data files and what the
// pieces of the data-file library share.
//
// An open file (DFile) holds its chains sorted by key; a chain (DChain) its
// blocks sorted numerically by block key; a block (DBlock) its header
// symbols and, while it is the file's active block, its data array. Only
// the general block and one active block per file are held in memory with
// their headers and data; every other block is a position on disk.
//
// File positions and lengths are 64-bit: series of thousands of images
// easily exceed 2 GB, and a 32-bit position would wrap and overwrite data.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "rylpack/longint.h"
#include "rylpack/rylio.h"
#include "rylpack/rylio_header.h"

struct DChain;
struct DFile;

namespace rylio {

inline constexpr unsigned BLOCK_BOUNDARY = 512;
inline constexpr int PAD_WIDTH = 78;
inline constexpr unsigned short DATA_FORMAT_MAJOR = 2;
inline constexpr unsigned short DATA_FORMAT_MINOR = 42;
inline constexpr int MaxFiles = 20;
inline constexpr const char *GENERAL_CHAIN_KEY = "General";
inline constexpr const char *GENERAL_BLOCK_KEY = "All";
inline constexpr const char *IMAGE_CHAIN_KEY = "Image.Psd";
inline constexpr const char *ERROR_CHAIN_KEY = "Image.Error";
inline constexpr const char *SEQUENCE_NUMBER = "SequenceNumber";

// Reserved and compatibility keys.
inline constexpr const char *KEY_DataBlockID = "RYL_DataBlockID";
inline constexpr const char *KEY_BinarySize = "RYL_BinarySize";
inline constexpr const char *KEY_HeaderSize = "RYL_HeaderSize";
inline constexpr const char *KEY_DataFormatVersion = "RYL_DataFormatVersion";
inline constexpr const char *KEY_DataBlocks = "RYL_DataBlocks";
inline constexpr const char *KEY_BlockBoundary = "RYL_BlockBoundary";
inline constexpr const char *KEY_DataKeyPrefix = "RYL_DataKey-";
inline constexpr const char *KEY_BinaryFileName = "RYL_BinaryFileName";
inline constexpr const char *KEY_BinaryFilePosition = "RYL_BinaryFilePosition";
inline constexpr const char *KEY_BinaryFileSize = "RYL_BinaryFileSize";
inline constexpr const char *KEY_HeaderID = "HeaderID";
inline constexpr const char *KEY_Size = "Size";
inline constexpr const char *KEY_Image = "Image";
inline constexpr const char *KEY_ImageError = "Image.Error";
inline constexpr const char *UNDETERMINED = "Undetermined";

struct DFVersion {
  unsigned short Major = DATA_FORMAT_MAJOR;
  unsigned short Minor = DATA_FORMAT_MINOR;
};

struct DFFlags {
  unsigned short ExistingFile = 0;
  unsigned short ReadOnlyFile = 0;
  unsigned short AppendOnlyFile = 0;
  unsigned short TemporaryFile = 0;
  unsigned short CompressBeforeClosing = 0;
  unsigned short NoGeneralHeader = 0;
};

struct DBFlags {
  unsigned short InternalHeader = 0;
  unsigned short InternalData = 0;
  unsigned short DiskBlockUsed = 0;
  unsigned short DiskBlockFixed = 0;
  unsigned short HeaderExternal = 0;
  unsigned short HeaderChanged = 0;
  unsigned short DataExternal = 1;
  unsigned short DataChanged = 0;
  unsigned short ExternalDimAlloc = 0;
  unsigned short ExternalDataAlloc = 0;
  unsigned short BadBlock = 0;
};

}  // namespace rylio

struct DBlock {
  std::string BlockKey;
  std::int64_t TextPos = 0;
  std::int64_t BinaryPos = 0;
  std::uint64_t TextLen = 0;
  std::uint64_t BinaryLen = 0;
  std::uint64_t PadLen = 0;
  std::string BinaryFileName;     // empty: the data are in this file
  std::int64_t BinaryFilePos = 0;
  std::uint64_t BinaryFileLen = 0;  // 0: up to the data length

  // The data array: the block's own buffer or, with ExternalDataAlloc, the
  // caller's.
  unsigned char *Data = nullptr;
  std::size_t DataBufferLen = 0;
  std::size_t DataLen = 0;
  std::vector<unsigned char> DataOwn;
  rlong DataByteOrder = 0;
  rlong DataRasterConfiguration = 0;
  rlong DataCompression = 0;
  rlong DataType = 0;
  rlong DataValueOffset = 0;
  // Dimensions: count at [0], sizes at [1..N]; the block's own or the
  // caller's (ExternalDimAlloc).
  rlong *DataDim = nullptr;
  std::vector<rlong> DimOwn;

  std::vector<unsigned char> Raw;  // compressed form of Data while writing
  std::size_t RawLen = 0;

  rylio::DBFlags Flags;
  std::uint64_t SequenceNumber = 0;
  rylio::SymbolList Symbols;
  DChain *Chain = nullptr;

  // Releases the data array and dimensions unless they belong to the caller.
  void release_data();
  // Makes the block's own buffer at least n bytes and points Data to it.
  bool own_buffer(std::size_t n);
};

struct DChain {
  std::string ChainKey;
  unsigned short Flags = 0;
  std::vector<std::unique_ptr<DBlock>> Blocks;  // sorted by key, mode 2
  DFile *File = nullptr;
  std::vector<rlong> BlockNumbers;              // count at [0], built on request
};

struct DFile {
  int Used = 0;
  std::string Name;
  FILE *Channel = nullptr;
  std::unique_ptr<char[]> Buffer;  // stream buffer of RylBufferSize bytes
  rylio::DFVersion Version;
  std::uint64_t BlockBoundary = rylio::BLOCK_BOUNDARY;
  rylio::DFFlags Flags;
  DBlock *GeneralBlock = nullptr;  // lives in the chain "General"
  DBlock *ActiveBlock = nullptr;
  std::string SequencingMode;
  std::uint64_t NextSequenceNumber = 1;
  DBlock *LastBlockInFile = nullptr;
  std::vector<std::unique_ptr<DChain>> Chains;  // sorted by key, mode 1
  std::vector<rlong> ChainNumbers;              // count at [0], built on request
  int FileCompression = 1;  // whole-file compression of the name: 1 none, 2 gzip, 3 Z
  int BslStream = -1;   // BSL input: the BSL table entry behind this file
};

namespace rylio {

// Reports an error value through the two optional result pointers of the
// public calls: the value, and status_error for anything but success.
inline void set_result(int *perr, int *pstatus, int err) {
  if (perr) *perr = err;
  if (pstatus) *pstatus = err == RoutineSucceeded ? status_success : status_error;
}

// ---- module settings (rylio_file.cpp) -----------------------------------------
struct Settings {
  int write_general_block = 0;
  int write_header_size = 1;
  std::uint64_t minimum_header_size = 8192;
  int output_datatype = 0;
  int output_compression = 0;
  rlong output_value_offset = 0;
  int bsl_input_byteorder = 0;
  rulong max_line_width = 0;
  int debug = 0;
};
Settings &settings();

// ---- file table (rylio_file.cpp) ---------------------------------------------
DFile *file_entry(int stream);  // the entry, or null outside 0..19
// Resets an entry to a fresh, unused state, closing its stream.
void free_entry(DFile *file);
// Checks a stream number: InvalidStream, NoFileOpen.
DFile *used_file(int stream, int *perrval);

// ---- file layout (rylio_layout.cpp) ------------------------------------------
std::string default_chainkey(rlong num);
// 0 on success with *pnum set, -1 for a key that names no chain number.
int chainkey2num(const char *key, rlong *pnum);
// The chain key of a chain number: "RYL_DataKey-<n>" of the general block,
// else the default key.
std::string find_chainkey(DFile *file, rlong num);
// Chain and block, created when create is set; null when absent.
DChain *find_chain(DFile *file, const std::string &key, bool create);
DBlock *find_block(DChain *chain, const std::string &key, bool create);
// Makes the chain "General" with block "All" and the chain-1 key.
DBlock *new_general_block(DFile *file);
// The key in the block, then in the general block; null when absent.
SElement *search_general(DBlock *block, const char *key);
// The decoded value of a key (block, then general block), or null.
const char *general_string(DBlock *block, const char *key);
int read_general_block(DFile *file);
// Locates one data block at the stream position (results of the layout).
int locate_block(DFile *file);
int sync_data_block(DBlock *block);
int flush_data_block(DBlock *block);
// Writes a changed block; -1 on failure (block marked bad).
int put_data_block(DBlock *block);
// Compresses (when asked) and writes the active block, then releases its
// header and data. Returns an error value (0 on success).
int disk_write_block(DBlock *block);
// Loads a block's header from disk; -1 on failure.
int get_data_header(DBlock *block);
std::string block_id(const DBlock *block);
void print_file_error(DFile *file, std::int64_t pos, const char *message);
void print_file_warning(DFile *file, std::int64_t pos, const char *message);
std::uint64_t ceilmod(std::uint64_t n, std::uint64_t b);

// Opens a BSL file (header file and frame files) as a read-only data file in
// the entry of a new stream; -1 with *perrval on failure.
int open_as_bsl_file(const char *fname, const char *mode, int *perrval);

// ---- blocks (rylio_access.cpp) -----------------------------------------------
// Opens a block for reading; *pabsent is set when the block does not exist.
DBlock *open_read_block(int stream, rlong num, rlong chain, bool *pabsent, int *perrval);
DBlock *open_write_block(int stream, rlong num, rlong chain, int *perrval);

// ---- binary data (rylio_data.cpp) --------------------------------------------
// The dimensions from the "Dim_" keys of a block (and its general block):
// count N at [0]. A size that is not an integer expression is reported and
// gives no dimensions (N = 0) with *pfailed set.
std::vector<rlong> header_dims(DBlock *block, bool *pfailed = nullptr);
int get_binary_array(DBlock *block, void *buffer, std::size_t buflen, int must_use_buffer,
                     int *perrval);
int renorm_data_array(DBlock *block, void *buffer, std::size_t buflen, int mtype, int *perrval);
// Compresses the block's data into Raw when its compression asks for it.
int put_compressed_block(DBlock *block, int *perrval);

}  // namespace rylio
