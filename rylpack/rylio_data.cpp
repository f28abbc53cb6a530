// Binary data of a block: loading the stored array, bringing it into the
// machine's form, and compressing it for writing.
#include <sys/stat.h>

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "rylpack/cmpr.h"
#include "rylpack/numio.h"
#include "rylpack/raster.h"
#include "rylpack/rylio_binary.h"
#include "rylpack/rylio_errors.h"
#include "rylpack/rylio_internal.h"

namespace rylio {

namespace {

const char *const kGet = "ERROR: get_binary_array:";
const char *const kRenorm = "ERROR: renorm_data_array:";

// zlib cannot expand data by more than about 1032:1; a stored array that
// claims more than that from the bytes available is damaged, and is refused
// before anything is allocated for it.
constexpr std::uint64_t kMaxInflateRatio = 1032;

struct FileCloser {
  void operator()(FILE *f) const {
    if (f) std::fclose(f);
  }
};
using FilePtr = std::unique_ptr<FILE, FileCloser>;

// An integer header value with the warning and default of the array keys.
rlong array_key(DBlock *block, const char *key, rlong dflt) {
  const char *v = general_string(block, key);
  if (!v) return dflt;
  const char *tail = nullptr;
  int errval = 0;
  rlong n = num_str2long(v, &tail, &errval);
  if (errval || (tail && *tail)) {
    std::fprintf(stderr, "WARNING: Failed to convert header value %s = %s\n", key, v);
    std::fprintf(stderr, "         Using %s = %d\n", key, dflt);
    return dflt;
  }
  return n;
}

std::int64_t file_size(FILE *f) {
  struct stat st;
  if (fstat(fileno(f), &st) != 0) return -1;
  return static_cast<std::int64_t>(st.st_size);
}

}  // namespace

std::vector<rlong> header_dims(DBlock *block, bool *pfailed) {
  std::vector<rlong> sizes;
  if (pfailed) *pfailed = false;
  for (int k = 1;; ++k) {
    char key[32];
    std::snprintf(key, sizeof key, "Dim_%d", k);
    const char *v = general_string(block, key);
    if (!v) break;
    const char *tail = nullptr;
    int errval = 0;
    rlong n = num_str2long(v, &tail, &errval);
    if (errval || (tail && *tail)) {
      std::fprintf(stderr, "ERROR: Failed to read header value %s\n", key);
      sizes.clear();
      if (pfailed) *pfailed = true;
      break;
    }
    sizes.push_back(n);
  }
  std::vector<rlong> dim = newdim(static_cast<rlong>(sizes.size()));
  for (std::size_t i = 0; i < sizes.size(); ++i) dim[i + 1] = sizes[i];
  return dim;
}

int get_binary_array(DBlock *block, void *buffer, std::size_t buflen, int must_use_buffer,
                     int *perrval) {
  *perrval = CouldNotGetBinaryArray;
  DFile *file = block->Chain->File;

  std::vector<rlong> dim = header_dims(block);
  const char *t = general_string(block, "DataType");
  int dtype = ryl_string2datatype(t ? t : "FloatValue");
  const char *o = general_string(block, "ByteOrder");
  int border = ryl_string2byteorder(o ? o : "HighByteFirst");
  const char *c = general_string(block, "Compression");
  int compression = ryl_string2compression(c ? c : "None");
  rlong offset = array_key(block, "DataValueOffset", 0);
  rlong raster = array_key(block, "DataRasterConfiguration", 1);

  std::size_t count = dim[0] > 0 ? ryl_dim_product(dim.data()) : 0;
  std::size_t size = ryl_data_sizeof(dtype);
  if (dim[0] > 0 && count == 0) {
    bool zero_size = false;
    for (rlong k = 1; k <= dim[0]; ++k) zero_size |= dim[k] <= 0;
    if (!zero_size) {
      std::fprintf(stderr, "%s array size overflows\n", kGet);
      return -1;
    }
  }
  if (size && count > SIZE_MAX / size) {
    std::fprintf(stderr, "%s array size overflows\n", kGet);
    return -1;
  }
  const std::size_t L = count * size;

  // Where the bytes are.
  FILE *src = file->Channel;
  FilePtr binary;
  std::int64_t pos = block->BinaryPos;
  std::uint64_t limit = block->BinaryLen;
  if (!block->BinaryFileName.empty()) {
    binary.reset(std::fopen(block->BinaryFileName.c_str(), "rb"));
    if (!binary && block->BinaryFileName.find('.') == std::string::npos)
      binary.reset(std::fopen((block->BinaryFileName + ".").c_str(), "rb"));
    if (!binary) {
      std::fprintf(stderr, "%s cannot open %s\n", kGet, block->BinaryFileName.c_str());
      return -1;
    }
    src = binary.get();
    pos = block->BinaryFilePos;
    limit = block->BinaryFileLen ? block->BinaryFileLen : L;
  }
  if (!src) return -1;
  std::uint64_t to_read = limit < L ? limit : L;
  std::int64_t fsize = file_size(src);
  if (fsize >= 0) {
    std::uint64_t avail = fsize > pos ? static_cast<std::uint64_t>(fsize - pos) : 0;
    if (to_read > avail) to_read = avail;
    bool compressed = compression == 2 || compression == 3;
    std::uint64_t reachable = compressed ? to_read * kMaxInflateRatio + 1024 : to_read;
    if (L > reachable) {
      std::fprintf(stderr, "%s read bytes %" PRIu64 " less than array size %zu\n", kGet,
                   compressed ? reachable : to_read, L);
      return -1;
    }
  }

  // Dimensions: into the block's array when it has room, else a new one.
  // An array without sizes replaces whatever dimensions the block had.
  if (block->DataDim && block->DataDim[0] >= dim[0] && dim[0] > 0) {
    int e = 0;
    if (!copydim(block->DataDim, block->DataDim[0], dim.data(), &e)) {
      *perrval = e;
      return -1;
    }
  } else {
    block->DimOwn = dim;
    block->DataDim = block->DimOwn.data();
    block->Flags.ExternalDimAlloc = 0;
  }

  // The buffer.
  unsigned char *dest;
  bool supplied = buffer && (must_use_buffer || buffer != block->Data);
  if (supplied && (buflen >= L || must_use_buffer)) {
    if (buflen < L) {
      std::fprintf(stderr, "%s supplied buffer < %zu bytes\n", kGet, L);
      *perrval = DataBufferTooSmall;
      return -1;
    }
    if (!block->Flags.ExternalDataAlloc) {
      block->DataOwn.clear();
      block->DataOwn.shrink_to_fit();
    }
    block->Data = static_cast<unsigned char *>(buffer);
    block->DataBufferLen = buflen;
    block->Flags.ExternalDataAlloc = 1;
    dest = block->Data;
  } else {
    if (!block->own_buffer(L ? L : 1)) {
      *perrval = CouldNotMallocMemory;
      return -1;
    }
    dest = block->Data;
  }

  if (fseeko(src, static_cast<off_t>(pos), SEEK_SET) != 0) {
    std::fprintf(stderr, "%s fseek\n", kGet);
    return -1;
  }
  std::size_t got = 0;
  if (compression == 2 || compression == 3) {
    std::size_t converted = 0;
    int e = 0;
    if (cmpr_frinflate(dest, L, src, static_cast<std::size_t>(to_read), compression, &converted,
                       &e) != 0) {
      std::fprintf(stderr, "%s cmpr_frinflate errval=%d\n", kGet, e);
      return -1;
    }
    got = converted;
  } else {
    got = std::fread(dest, 1, static_cast<std::size_t>(to_read), src);
    if (got < to_read) {
      std::fprintf(stderr, "%s fread: bytes_read=%zu < bytes_to_read=%" PRIu64 ")\n", kGet, got,
                   to_read);
      return -1;
    }
  }
  if (got != L) {
    std::fprintf(stderr, "%s read bytes %zu less than array size %zu\n", kGet, got, L);
    return -1;
  }

  block->DataLen = L;
  block->DataType = dtype;
  block->DataByteOrder = border;
  block->DataRasterConfiguration = raster;
  block->DataValueOffset = offset;
  block->DataCompression = 1;  // the array in memory is never compressed
  block->Flags.DataExternal = 0;
  *perrval = RoutineSucceeded;
  return 0;
}

int renorm_data_array(DBlock *block, void *buffer, std::size_t buflen, int mtype, int *perrval) {
  if (block->Flags.DataExternal || !block->Data) {
    *perrval = ExternalData;
    return -1;
  }
  if (!block->DataDim) {
    *perrval = MissingArrayDimensions;
    return -1;
  }
  const std::size_t count = ryl_dim_product(block->DataDim);
  const std::size_t msize = ryl_machine_sizeof(mtype);
  const std::size_t dsize = ryl_data_sizeof(block->DataType);
  const int src_mtype = ryl_datatype2machinetype(block->DataType);
  if (!msize || !src_mtype) {
    *perrval = DataConversionFailed;
    return -1;
  }
  // The dimensions must describe the bytes that were loaded; a header that
  // changed its sizes (or a damaged one) must not make the conversion read
  // past the array.
  if (dsize && count > block->DataLen / dsize) {
    *perrval = DataConversionFailed;
    return -1;
  }
  const std::size_t out = count * msize;
  if (buffer == block->Data) buffer = nullptr;
  if ((buffer && buflen < out) ||
      (!buffer && block->Flags.ExternalDataAlloc && block->DataBufferLen < out)) {
    std::fprintf(stderr, "%s allocated buffer < %zu bytes\n", kRenorm, out);
    *perrval = DataBufferTooSmall;
    return -1;
  }

  unsigned char *src = block->Data;
  if (block->DataByteOrder != ryl_byteorder() && dsize > 1) ryl_bswap(src, src, dsize, count);
  block->DataByteOrder = ryl_byteorder();

  std::vector<unsigned char> normal;
  if (block->DataRasterConfiguration != 1) {
    try {
      normal.resize(count * dsize);
    } catch (const std::bad_alloc &) {
      std::fprintf(stderr, "%s malloc of %zu bytes failed\n", kRenorm, count * dsize);
      *perrval = CouldNotMallocMemory;
      return -1;
    }
    int e = 0;
    if (raster_normalization(normal.data(), src, block->DataDim, block->DataRasterConfiguration,
                             dsize, &e) != 0) {
      *perrval = DataConversionFailed;
      return -1;
    }
    src = normal.data();
    block->DataRasterConfiguration = 1;
  }

  unsigned char *dest;
  std::vector<unsigned char> fresh;
  if (buffer) {
    dest = static_cast<unsigned char *>(buffer);
  } else if (block->DataBufferLen >= out) {
    dest = block->Data;
  } else {
    try {
      fresh.resize(out);
    } catch (const std::bad_alloc &) {
      std::fprintf(stderr, "%s malloc of %zu bytes failed\n", kRenorm, out);
      *perrval = CouldNotMallocMemory;
      return -1;
    }
    dest = fresh.data();
  }
  if (ryl_machine2machine(dest, mtype, src, block->DataValueOffset, src_mtype, count) != 0) {
    *perrval = DataConversionFailed;
    return -1;
  }

  if (buffer) {
    if (!block->Flags.ExternalDataAlloc) {
      block->DataOwn.clear();
      block->DataOwn.shrink_to_fit();
    }
    block->Data = dest;
    block->DataBufferLen = buflen;
    block->Flags.ExternalDataAlloc = 1;
  } else if (!fresh.empty()) {
    block->DataOwn.swap(fresh);
    block->Data = block->DataOwn.data();
    block->DataBufferLen = block->DataOwn.size();
    block->Flags.ExternalDataAlloc = 0;
  }
  block->DataLen = out;
  block->DataValueOffset = 0;
  block->DataType = 0;
  // The array no longer matches the disk: the next read loads it again.
  block->Flags.DataExternal = 1;
  *perrval = RoutineSucceeded;
  return 0;
}

int put_compressed_block(DBlock *block, int *perrval) {
  *perrval = RoutineSucceeded;
  if (!block->Flags.DataChanged || block->Flags.InternalData) return 0;
  if (block->DataCompression != 2 && block->DataCompression != 3) return 0;
  if (!block->Data || block->DataLen == 0) return 0;
  try {
    block->Raw.resize(block->DataLen);
  } catch (const std::bad_alloc &) {
    std::fprintf(stderr, "%s malloc\n", "ERROR: put_compressed_block");
    *perrval = CouldNotMallocMemory;
    return -1;
  }
  std::size_t converted = 0;
  int e = 0;
  if (cmpr_deflate(block->Raw.data(), block->Raw.size(), block->Data, block->DataLen,
                   block->DataCompression, &converted, &e) != 0) {
    std::fprintf(stderr, "%s cmpr_deflate (errval=%d)\n", "ERROR: put_compressed_block", e);
    block->Raw.clear();
    block->RawLen = 0;
    *perrval = e ? e : RoutineFailed;
    return -1;
  }
  block->RawLen = converted;
  return 0;
}

}  // namespace rylio
