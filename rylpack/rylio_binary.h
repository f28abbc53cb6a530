// rylio, binary data encoding: the data type, byte order and compression
// tables of the file format, the machine types callers hold arrays in,
// dimension arrays, element conversion and byte reversal.
//
// Internal to the data-file library; rylio.h re-exports what callers need.
#pragma once

#include <cstddef>
#include <cstdio>
#include <vector>

#include "rylpack/longint.h"

// Element types of an array in a file ("DataType").
enum RylDataType : int {
  InValidDType = 0,
  Unsigned8 = 1,
  Signed8 = 2,
  Unsigned16 = 3,
  Signed16 = 4,
  Unsigned32 = 5,
  Signed32 = 6,
  Unsigned64 = 7,
  Signed64 = 8,
  FloatIEEE32 = 9,
  FloatIEEE64 = 10,
  FloatIEEE128 = 11,
  UnAssigned = 12,
  EndDType = 13
};

// Byte orders of an array in a file ("ByteOrder").
enum RylByteOrder : int {
  InValidBOrder = 0,
  LowByteFirst = 1,
  HighByteFirst = 2,
  FixedByteOrder = 3,
  EndBOrder = 4
};

// Compressions of the binary section ("Compression").
enum RylCompression : int {
  InValidCompression = 0,
  UnCompressed = 1,
  GzipCompression = 2,
  ZCompression = 3,
  EndCompression = 4
};

// How a caller holds an array in memory. The system was laid out for a
// 32-bit platform: "int", "long" and "unsigned long" are 4-byte types here
// (std::int32_t / std::uint32_t) on every build, so that the 4-byte data
// types keep one mapping everywhere. "long double" is not supported.
enum RylMachineType : int {
  MInvalid = 0,
  MUnsignedChar = 1,
  MChar = 2,
  MUnsignedShort = 3,
  MShort = 4,
  MUnsignedInteger = 5,
  MInteger = 6,
  MUnsignedLong = 7,
  MLong = 8,
  MFloat = 9,
  MDouble = 10,
  MLongDouble = 11,
  EndMType = 12
};

// Data type from its name: the written name or either alias, compared like
// header keys (case, blanks and non-printing characters do not count).
// Unknown names and null give 0.
int ryl_string2datatype(const char *name);
// The written name of a data type, "Invalid" outside 0..12.
const char *ryl_datatype2string(int datatype);
// Bytes of one element of a data type, 0 outside 1..12.
std::size_t ryl_data_sizeof(int datatype);

// Byte order from its name; anything else gives 0.
int ryl_string2byteorder(const char *name);
// "LowByteFirst" or "HighByteFirst"; every other value is "Invalid".
const char *ryl_byteorder2string(int byteorder);
// The byte order of this machine: LowByteFirst on little-endian processors.
int ryl_byteorder();

// Compression from its name or aliases, else from a leading unsigned decimal
// number 1..3; anything else gives 0.
int ryl_string2compression(const char *name);
// The written name of a compression, "Invalid" outside 0..3.
const char *ryl_compression2string(int compression);

// The name of a machine type ("unsigned short"), "Invalid" outside 0..11.
const char *ryl_machinetype2string(int mtype);
// Bytes of one element of a machine type; 0 for "Invalid", "long double"
// and values outside 0..11.
std::size_t ryl_machine_sizeof(int mtype);
// Machine type of a data type, 0 when there is none (64- and 128-bit types).
int ryl_datatype2machinetype(int datatype);
// Data type of a machine type, 0 when there is none.
int ryl_machinetype2datatype(int mtype);
// Clipping limits of an integer machine type; returns 0, or -1 (limits
// untouched) for floating and invalid types.
int ryl_machine_limits(int mtype, double *pmin, double *pmax);

// A dimension array for n sizes: d[0] = n, d[1..n] = 0 and a final 0
// (n + 2 entries). An empty vector for n < 0.
std::vector<rlong> newdim(rlong n);
// Element count of a dimension array: the product of d[1..d[0]]; 0 for a
// null array, a size <= 0, or a product that does not fit in size_t.
std::size_t ryl_dim_product(const rlong *dim);
// Copies dim into buffer, which has room for n sizes (n + 1 entries):
// buffer[0] = n, the common sizes copied, further sizes 1. Sizes of dim
// beyond n must be 1. Returns buffer, or nullptr with *perrval = NotNdData
// (n < 0 or a dropped size other than 1) or MissingArrayDimensions (a null
// array); the buffer is untouched on failure.
rlong *copydim(rlong *buffer, rlong n, const rlong *dim, int *perrval);

// Converts n elements of machine type mtype_src at src into mtype_dest at
// dest, adding value_offset:
//   unsigned char, char, unsigned short, unsigned int, unsigned long:
//     integer source: x + o clipped to the type's range;
//     floating source: floor(x + 0.5 + o) clipped;
//   short: integer source x + o truncated to 16 bits (the offset first cut
//     to 16 bits); floating source floor(x + o + 0.5) clipped;
//   int, long: integer source x + o in 32-bit wrapping arithmetic; floating
//     source floor(x + 0.5 + o) clipped;
//   float: integer source x + o rounded to float; floating source x
//     converted to float, plus o (in float);
//   double: x + o.
// Floors are taken in extended precision and rounded to double before
// clipping. A floating NaN becomes 0 in an integer type; infinities clip.
// dest may equal src (elements are processed in the order that keeps the
// unread ones intact); other overlaps go through a temporary copy. Returns
// 0, or -1 for a source or destination without machine type. A null
// pointer ends the process with status -1.
int ryl_machine2machine(void *dest, int mtype_dest, const void *src, rlong value_offset,
                        int mtype_src, std::size_t n);

// Reverses the bytes of each of n items of `item` bytes; dest may equal src.
// A null pointer ends the process with status -1.
void ryl_bswap(void *dest, const void *src, std::size_t item, std::size_t n);

// Lists the data types with their machine types (only those with a machine
// type unless `full`), on `out`.
void ryl_showdatatypes(int full, std::FILE *out = stdout);
// Lists the machine types with their data types (only those with a data
// type unless `full`), on `out`.
void ryl_showmachinetypes(int full, std::FILE *out = stdout);
