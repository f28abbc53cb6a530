// Block access by (stream, number, chain): header values, arrays, block and
// chain numbers.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "rylpack/cmpr.h"
#include "rylpack/numio.h"
#include "rylpack/raster.h"
#include "rylpack/rylio_internal.h"
#include "rylpack/strlib.h"

namespace rylio {

namespace {

std::string block_key(rlong num, rlong chain) {
  if (chain == 0) return GENERAL_BLOCK_KEY;
  return std::to_string(num);
}

// Makes block the file's active block, writing and releasing the one
// before. Returns an error value.
int activate(DFile *file, DBlock *block) {
  if (file->ActiveBlock == block) return RoutineSucceeded;
  int err = RoutineSucceeded;
  if (file->ActiveBlock) err = disk_write_block(file->ActiveBlock);
  file->ActiveBlock = block;
  return err;
}

}  // namespace

DBlock *open_read_block(int stream, rlong num, rlong chain, bool *pabsent, int *perrval) {
  *pabsent = false;
  DFile *file = used_file(stream, perrval);
  if (!file) return nullptr;
  std::string ckey = find_chainkey(file, chain);
  if (ckey.empty()) {
    *perrval = MissingKeyDefinition;
    return nullptr;
  }
  DChain *c = find_chain(file, ckey, false);
  DBlock *b = c ? find_block(c, block_key(num, chain), false) : nullptr;
  if (!b) {
    *pabsent = true;
    *perrval = CouldNotFindHeader;
    return nullptr;
  }
  if (file->Flags.TemporaryFile) {
    b->Flags.InternalHeader = 1;
    b->Flags.InternalData = 1;
  }
  if (b != file->ActiveBlock && b != file->GeneralBlock) {
    int err = activate(file, b);
    if (err != RoutineSucceeded) {
      *perrval = err;
      return nullptr;
    }
  }
  if (b->Flags.HeaderExternal && !b->Flags.InternalHeader && get_data_header(b) != 0) {
    *perrval = ReadDataError;
    return nullptr;
  }
  *perrval = RoutineSucceeded;
  return b;
}

DBlock *open_write_block(int stream, rlong num, rlong chain, int *perrval) {
  DFile *file = used_file(stream, perrval);
  if (!file) return nullptr;
  if (chain == 0 && file->ActiveBlock != file->GeneralBlock) {
    *perrval = GeneralBlockNotFirst;
    return nullptr;
  }
  if (file->Flags.ReadOnlyFile) {
    *perrval = FileIsNotWritable;
    return nullptr;
  }
  std::string ckey = find_chainkey(file, chain);
  DChain *c = find_chain(file, ckey, true);
  if (!c) {
    *perrval = CouldNotInsertChain;
    return nullptr;
  }
  DBlock *b = find_block(c, block_key(num, chain), true);
  if (!b) {
    *perrval = CouldNotInsertBlock;
    return nullptr;
  }
  if (file->Flags.TemporaryFile) {
    b->Flags.InternalHeader = 1;
    b->Flags.InternalData = 1;
  }
  if (b != file->GeneralBlock) {
    int err = activate(file, b);
    if (err != RoutineSucceeded) {
      *perrval = err;
      return nullptr;
    }
  }
  // A block that is on disk gets its header loaded first, so that values
  // written now are added to what the file holds instead of replacing it.
  if (b->Flags.HeaderExternal && b->Flags.DiskBlockUsed && !b->Flags.InternalHeader &&
      get_data_header(b) != 0) {
    *perrval = ReadDataError;
    return nullptr;
  }
  *perrval = RoutineSucceeded;
  return b;
}

}  // namespace rylio

using namespace rylio;

// ---- header values -----------------------------------------------------------

int ryl_read_header_string(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                           const char **String, int *pErrorValue, int *pstatus) {
  int err = RoutineSucceeded;
  bool absent = false;
  DBlock *b = open_read_block(stream, DataNumber, DataChain, &absent, &err);
  if (!b) {
    set_result(pErrorValue, pstatus, err);
    return absent ? 0 : 1;
  }
  if (!keyword) {
    set_result(pErrorValue, pstatus, NoKeyGiven);
    return 1;
  }
  const char *v = general_string(b, keyword);
  if (!v) {
    set_result(pErrorValue, pstatus, CouldNotFindSymbol);
    return 0;
  }
  if (String) *String = v;
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

int ryl_read_header_line(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                         char *Value, int *pErrorValue, int *pstatus) {
  const char *s = nullptr;
  int found = ryl_read_header_string(stream, DataNumber, DataChain, keyword, &s, pErrorValue,
                                     pstatus);
  if (s && Value) strlib_copy(Value, RylMaxLinLen + 1, s);
  return found;
}

namespace {

// Whether only white space follows a number.
bool blank_tail(const char *tail) {
  if (!tail) return true;
  while (*tail && std::strchr(white_spaces, *tail)) ++tail;
  return *tail == '\0';
}

}  // namespace

namespace {

// Reads a header value and evaluates it with one of the evaluators; a value
// that is not a valid expression gives NumberConversionFailed.
template <typename T, typename Eval>
int read_header_number(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                       T *Value, Eval eval, int *pErrorValue, int *pstatus) {
  const char *s = nullptr;
  int found = ryl_read_header_string(stream, DataNumber, DataChain, keyword, &s, pErrorValue,
                                     pstatus);
  if (!s) return found;
  const char *tail = nullptr;
  int errval = 0;
  auto v = eval(s, &tail, &errval);
  if (errval || !blank_tail(tail)) {
    set_result(pErrorValue, pstatus, NumberConversionFailed);
    return 1;
  }
  if (Value) *Value = static_cast<T>(v);
  return found;
}

}  // namespace

int ryl_read_header_float(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                          float *Value, int *pErrorValue, int *pstatus) {
  return read_header_number(stream, DataNumber, DataChain, keyword, Value, num_str2double,
                            pErrorValue, pstatus);
}

int ryl_read_header_long(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                         rlong *Value, int *pErrorValue, int *pstatus) {
  return read_header_number(stream, DataNumber, DataChain, keyword, Value, num_str2long,
                            pErrorValue, pstatus);
}

int ryl_write_header_string(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                            const char *Value, int *pErrorValue, int *pstatus) {
  if (!keyword) {
    set_result(pErrorValue, pstatus, NoKeyGiven);
    return 0;
  }
  if (!Value) {
    set_result(pErrorValue, pstatus, CouldNotInsertSymbol);
    return 0;
  }
  int err = RoutineSucceeded;
  DBlock *b = open_write_block(stream, DataNumber, DataChain, &err);
  if (!b) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  SElement *e = nullptr;
  if (insert_string(&b->Symbols, keyword, Value, settings().max_line_width, &e) != 0) {
    set_result(pErrorValue, pstatus, CouldNotInsertSymbol);
    return 0;
  }
  b->Flags.HeaderChanged = 1;
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

int ryl_write_header_line(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                          const char *Value, int *pErrorValue, int *pstatus) {
  return ryl_write_header_string(stream, DataNumber, DataChain, keyword, Value, pErrorValue,
                                 pstatus);
}

int ryl_write_header_unit(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                          float Value, const char *unit, int *pErrorValue, int *pstatus) {
  char text[65];
  int errval = 0;
  if (!num_double2str(text, sizeof text, Value, unit ? unit : "", 7, &errval)) {
    set_result(pErrorValue, pstatus, NumberConversionFailed);
    return 0;
  }
  return ryl_write_header_string(stream, DataNumber, DataChain, keyword, text, pErrorValue,
                                 pstatus);
}

int ryl_write_header_float(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                           float Value, int *pErrorValue, int *pstatus) {
  return ryl_write_header_unit(stream, DataNumber, DataChain, keyword, Value, "", pErrorValue,
                               pstatus);
}

int ryl_write_header_long(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                          rlong Value, int *pErrorValue, int *pstatus) {
  char text[32];
  std::snprintf(text, sizeof text, RLONG_FMT, Value);
  return ryl_write_header_string(stream, DataNumber, DataChain, keyword, text, pErrorValue,
                                 pstatus);
}

int ryl_delete_key(int stream, rlong DataNumber, rlong DataChain, const char *keyword,
                   int *pErrorValue, int *pstatus) {
  if (!keyword) {
    set_result(pErrorValue, pstatus, NoKeyGiven);
    return 0;
  }
  if (std::strncmp(keyword, DATA_FORMAT_PREFIX, std::strlen(DATA_FORMAT_PREFIX)) == 0) {
    set_result(pErrorValue, pstatus, CouldNotDeleteString);
    return 0;
  }
  int err = RoutineSucceeded;
  bool absent = false;
  if (!open_read_block(stream, DataNumber, DataChain, &absent, &err)) {
    if (absent) {
      set_result(pErrorValue, pstatus, RoutineSucceeded);
      return 1;
    }
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  DBlock *b = open_write_block(stream, DataNumber, DataChain, &err);
  if (!b) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  if (remove_string(&b->Symbols, keyword) != 0) {
    set_result(pErrorValue, pstatus, CouldNotDeleteString);
    return 0;
  }
  b->Flags.HeaderChanged = 1;
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

int ryl_test_header(int stream, rlong DataNumber, rlong DataChain, int *pErrorValue,
                    int *pstatus) {
  int err = RoutineSucceeded;
  DFile *file = used_file(stream, &err);
  if (!file) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  DChain *c = find_chain(file, find_chainkey(file, DataChain), false);
  return c && find_block(c, block_key(DataNumber, DataChain), false) ? 1 : 0;
}

// ---- arrays ----------------------------------------------------------------------

int ryl_write_data_raw(int stream, rlong DataNumber, rlong DataChain, const rlong *Dim,
                       void *pData, int DataType, rlong DataValueOffset, int ByteOrder,
                       rlong RasterConfiguration, int *pErrorValue, int *pstatus) {
  if (!Dim || Dim[0] < 0) {
    set_result(pErrorValue, pstatus, MissingArrayDimensions);
    return 0;
  }
  int err = RoutineSucceeded;
  DBlock *b = open_write_block(stream, DataNumber, DataChain, &err);
  if (!b) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  const std::size_t count = Dim[0] > 0 ? ryl_dim_product(Dim) : 0;
  const std::size_t L = count * ryl_data_sizeof(DataType);
  if (L && !pData) {
    set_result(pErrorValue, pstatus, CouldNotWriteBinary);
    return 0;
  }
  if (b->Flags.InternalData) {
    // A block of a temporary file keeps its array in memory for good: it
    // takes a copy, since the caller's array may be gone by the next read.
    try {
      b->DataOwn.assign(static_cast<unsigned char *>(pData), static_cast<unsigned char *>(pData) + L);
    } catch (const std::bad_alloc &) {
      set_result(pErrorValue, pstatus, CouldNotMallocMemory);
      return 0;
    }
    b->Data = b->DataOwn.data();
    b->Flags.ExternalDataAlloc = 0;
  } else {
    if (!b->Flags.ExternalDataAlloc) b->DataOwn.clear();
    b->Data = static_cast<unsigned char *>(pData);
    b->Flags.ExternalDataAlloc = 1;
  }
  b->DataBufferLen = L;
  b->DataLen = L;
  b->DataType = DataType;
  b->DataValueOffset = DataValueOffset;
  b->DataByteOrder = ByteOrder;
  b->DataRasterConfiguration = RasterConfiguration;
  b->DataCompression = settings().output_compression ? settings().output_compression : 1;
  b->DimOwn.assign(Dim, Dim + Dim[0] + 1);
  b->DataDim = b->DimOwn.data();
  b->Flags.ExternalDimAlloc = 0;

  SElement *e = nullptr;
  SymbolList *list = &b->Symbols;
  for (rlong k = 1; k <= Dim[0]; ++k) {
    char key[32], value[32];
    std::snprintf(key, sizeof key, "Dim_%d", k);
    std::snprintf(value, sizeof value, RLONG_FMT, Dim[k]);
    if (insert_string(list, key, value, 0, &e) != 0) {
      set_result(pErrorValue, pstatus, CouldNotWriteDimension);
      return 0;
    }
  }
  bool ok = insert_string(list, "DataType", ryl_datatype2string(DataType), 0, &e) == 0;
  if (DataValueOffset != 0) {
    ok = ok && insert_string(list, "DataValueOffset", std::to_string(DataValueOffset).c_str(), 0,
                             &e) == 0;
  } else {
    remove_string(list, "DataValueOffset");
  }
  ok = ok && insert_string(list, "ByteOrder", ryl_byteorder2string(ByteOrder), 0, &e) == 0;
  if (RasterConfiguration != 1) {
    ok = ok && insert_string(list, "DataRasterConfiguration",
                             std::to_string(RasterConfiguration).c_str(), 0, &e) == 0;
  } else {
    remove_string(list, "DataRasterConfiguration");
  }
  ok = ok && insert_string(list, "Compression", ryl_compression2string(b->DataCompression), 0,
                           &e) == 0;
  if (!ok) {
    set_result(pErrorValue, pstatus, CouldNotWriteBinary);
    return 0;
  }
  b->Flags.HeaderChanged = 1;
  b->Flags.DataChanged = 1;
  b->Flags.DataExternal = 0;
  err = disk_write_block(b);
  set_result(pErrorValue, pstatus, err);
  return err == RoutineSucceeded ? 1 : 0;
}

int ryl_write_data(int stream, rlong DataNumber, rlong DataChain, const rlong *Dim, void *pData,
                   int MachineType, int *pErrorValue, int *pstatus) {
  int dtype = settings().output_datatype ? settings().output_datatype
                                         : ryl_machinetype2datatype(MachineType);
  int out_mtype = ryl_datatype2machinetype(dtype);
  rlong o = settings().output_value_offset;
  std::vector<unsigned char> converted;
  void *data = pData;
  if (out_mtype != MachineType || o != 0) {
    std::size_t count = Dim && Dim[0] > 0 ? ryl_dim_product(Dim) : 0;
    try {
      converted.resize(count * ryl_machine_sizeof(out_mtype));
    } catch (const std::bad_alloc &) {
      set_result(pErrorValue, pstatus, CouldNotMallocMemory);
      return 0;
    }
    if (!out_mtype || (count && ryl_machine2machine(converted.data(), out_mtype, pData,
                                                    static_cast<rlong>(0u - static_cast<rulong>(o)),
                                                    MachineType, count) != 0)) {
      set_result(pErrorValue, pstatus, DataConversionFailed);
      return 0;
    }
    data = converted.data();
  }
  int r = ryl_write_data_raw(stream, DataNumber, DataChain, Dim, data, dtype, o, ryl_byteorder(),
                             1, pErrorValue, pstatus);
  return r;
}

namespace {

// Hands the block's dimensions to the caller: into the caller's array when
// given, else the library's.
bool give_dims(DBlock *b, rlong **pDim, int *perr) {
  if (!pDim) return true;
  if (*pDim) {
    if (!copydim(*pDim, (*pDim)[0], b->DataDim, perr)) return false;
  } else {
    *pDim = b->DataDim;
  }
  return true;
}

DBlock *load_array(int stream, rlong num, rlong chain, void *buffer, std::size_t buflen,
                   int must_use, int *perr) {
  bool absent = false;
  DBlock *b = open_read_block(stream, num, chain, &absent, perr);
  if (!b) return nullptr;
  if (b->Flags.DataExternal) {
    int e = 0;
    if (get_binary_array(b, buffer, buflen, must_use, &e) != 0) {
      *perr = e == DataBufferTooSmall || e == NotNdData ? e : CouldNotGetBinaryArray;
      return nullptr;
    }
  }
  return b;
}

}  // namespace

int ryl_read_data_raw(int stream, rlong DataNumber, rlong DataChain, rlong **pDim,
                      std::size_t *pDataArraySize, void **ppData, int *pDataType,
                      rlong *pDataValueOffset, int *pByteOrder, rlong *pRasterConfiguration,
                      int *pErrorValue, int *pstatus) {
  int err = RoutineSucceeded;
  void *buffer = ppData && *ppData ? *ppData : nullptr;
  std::size_t buflen = buffer && pDataArraySize ? *pDataArraySize : 0;
  DBlock *b = load_array(stream, DataNumber, DataChain, buffer, buflen, buffer ? 1 : 0, &err);
  if (!b || !give_dims(b, pDim, &err)) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  if (ppData) *ppData = b->Data;
  if (pDataArraySize) *pDataArraySize = b->DataLen;
  if (pDataType) *pDataType = b->DataType;
  if (pDataValueOffset) *pDataValueOffset = b->DataValueOffset;
  if (pByteOrder) *pByteOrder = b->DataByteOrder;
  if (pRasterConfiguration) *pRasterConfiguration = b->DataRasterConfiguration;
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

int ryl_read_data(int stream, rlong DataNumber, rlong DataChain, rlong **pDim,
                  std::size_t *pDataArraySize, void **ppData, int MachineType, int *pErrorValue,
                  int *pstatus) {
  int err = RoutineSucceeded;
  void *buffer = ppData && *ppData ? *ppData : nullptr;
  std::size_t buflen = buffer && pDataArraySize ? *pDataArraySize : 0;
  DBlock *b = load_array(stream, DataNumber, DataChain, buffer, buflen, 0, &err);
  if (!b || !give_dims(b, pDim, &err)) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  if (b->Flags.InternalData) {
    // The array of a temporary block exists nowhere else: it is converted
    // from a copy, and the result is kept beside it until the block goes.
    DBlock view;
    view.Chain = b->Chain;
    view.DimOwn.assign(b->DataDim, b->DataDim + b->DataDim[0] + 1);
    view.DataDim = view.DimOwn.data();
    view.DataOwn.assign(b->Data, b->Data + b->DataLen);
    view.Data = view.DataOwn.data();
    view.DataBufferLen = view.DataLen = b->DataLen;
    view.DataType = b->DataType;
    view.DataByteOrder = b->DataByteOrder;
    view.DataRasterConfiguration = b->DataRasterConfiguration;
    view.DataValueOffset = b->DataValueOffset;
    view.Flags.DataExternal = 0;
    if (renorm_data_array(&view, buffer, buflen, MachineType, &err) != 0) {
      set_result(pErrorValue, pstatus, err);
      return 0;
    }
    std::size_t len = view.DataLen;
    if (!buffer) {
      b->Raw.swap(view.DataOwn);
      buffer = b->Raw.data();
    }
    if (ppData) *ppData = buffer;
    if (pDataArraySize) *pDataArraySize = buflen ? buflen : len;
    set_result(pErrorValue, pstatus, RoutineSucceeded);
    return 1;
  }
  if (renorm_data_array(b, buffer, buflen, MachineType, &err) != 0) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  if (ppData) *ppData = b->Data;
  if (pDataArraySize) *pDataArraySize = buffer ? buflen : b->DataLen;
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

int ryl_read_data_dimension(int stream, rlong DataNumber, rlong DataChain, rlong **pDim,
                            std::size_t *pDataArraySize, int *pErrorValue, int *pstatus) {
  int err = RoutineSucceeded;
  bool absent = false;
  DBlock *b = open_read_block(stream, DataNumber, DataChain, &absent, &err);
  if (!b) {
    set_result(pErrorValue, pstatus, err);
    return absent ? 0 : 1;
  }
  bool failed = false;
  std::vector<rlong> dim = header_dims(b, &failed);
  if (failed) {
    set_result(pErrorValue, pstatus, CouldNotReadDimension);
    return 1;
  }
  if (!b->DataDim || b->Flags.DataExternal) {
    b->DimOwn = std::move(dim);
    b->DataDim = b->DimOwn.data();
    b->Flags.ExternalDimAlloc = 0;
  }
  const char *t = general_string(b, "DataType");
  std::size_t count = b->DataDim[0] > 0 ? ryl_dim_product(b->DataDim) : 0;
  if (!give_dims(b, pDim, &err)) {
    set_result(pErrorValue, pstatus, err);
    return 1;
  }
  if (pDataArraySize) *pDataArraySize = count * ryl_data_sizeof(ryl_string2datatype(t ? t : "FloatValue"));
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

// ---- numbers ---------------------------------------------------------------------

int ryl_search_minmax_number(int stream, rlong DataChain, rlong *pMinNumber, rlong *pMaxNumber,
                             int *pErrorValue, int *pstatus) {
  int err = RoutineSucceeded;
  DFile *file = used_file(stream, &err);
  if (!file) {
    set_result(pErrorValue, pstatus, err);
    return 0;
  }
  DChain *c = find_chain(file, find_chainkey(file, DataChain), false);
  if (!c) {
    set_result(pErrorValue, pstatus, CouldNotFindHeader);
    return 0;
  }
  if (c->Blocks.empty()) {
    set_result(pErrorValue, pstatus, NoDataBlocksFound);
    return 0;
  }
  int e1 = 0, e2 = 0;
  rlong lo = num_str2long(c->Blocks.front()->BlockKey.c_str(), nullptr, &e1);
  rlong hi = num_str2long(c->Blocks.back()->BlockKey.c_str(), nullptr, &e2);
  if (e1 || e2) {
    set_result(pErrorValue, pstatus, NumberConversionFailed);
    return 0;
  }
  if (pMinNumber) *pMinNumber = lo;
  if (pMaxNumber) *pMaxNumber = hi;
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return 1;
}

namespace {

// Stores numbers in ascending order behind their count and returns them.
const rlong *counted_sorted(std::vector<rlong> *target, std::vector<rlong> nums) {
  std::sort(nums.begin(), nums.end());
  target->assign(1, static_cast<rlong>(nums.size()));
  target->insert(target->end(), nums.begin(), nums.end());
  return target->data();
}

}  // namespace

const rlong *ryl_chain_numbers(int stream, int *pErrorValue, int *pstatus) {
  int err = RoutineSucceeded;
  DFile *file = used_file(stream, &err);
  if (!file) {
    set_result(pErrorValue, pstatus, err);
    return nullptr;
  }
  std::vector<rlong> nums;
  for (auto &c : file->Chains) {
    rlong n = 0;
    if (chainkey2num(c->ChainKey.c_str(), &n) != 0) {
      set_result(pErrorValue, pstatus, CouldNotUpdateFileInfo);
      return nullptr;
    }
    nums.push_back(n);
  }
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return counted_sorted(&file->ChainNumbers, std::move(nums));
}

const rlong *ryl_block_numbers(int stream, rlong DataChain, int *pErrorValue, int *pstatus) {
  int err = RoutineSucceeded;
  DFile *file = used_file(stream, &err);
  if (!file) {
    set_result(pErrorValue, pstatus, err);
    return nullptr;
  }
  DChain *c = find_chain(file, find_chainkey(file, DataChain), false);
  if (!c) {
    set_result(pErrorValue, pstatus, CouldNotUpdateChainInfo);
    return nullptr;
  }
  std::vector<rlong> nums;
  for (auto &b : c->Blocks) {
    if (b->BlockKey == GENERAL_BLOCK_KEY) {
      nums.push_back(0);
      continue;
    }
    const char *tail = nullptr;
    int e = 0;
    rlong n = num_str2long(b->BlockKey.c_str(), &tail, &e);
    if (e || (tail && *tail)) {
      set_result(pErrorValue, pstatus, CouldNotUpdateChainInfo);
      return nullptr;
    }
    nums.push_back(n);
  }
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  return counted_sorted(&c->BlockNumbers, std::move(nums));
}

int ryl_raster_normalization(void *dest, const void *src, const rlong *data_dim,
                             rlong raster_number, std::size_t item, int *perrval) {
  return raster_normalization(dest, src, data_dim, raster_number, item, perrval);
}

// ---- diagnostics -------------------------------------------------------------------

void rylio_debug(int debug) {
  settings().debug = debug;
  cmpr_debug(debug);
  hist_debug(debug);
  numio_debug(debug);
}

void ryl_print_filetable(FILE *out, int level, int verbose) {
  (void)level;
  if (!out) out = stdout;
  for (int i = 0; i < MaxFiles; ++i) {
    DFile *f = file_entry(i);
    if (!f->Used) continue;
    std::fprintf(out, "stream %d: %s (version %u.%02u, boundary %llu)%s%s%s%s\n", i,
                 f->Name.c_str(), f->Version.Major, f->Version.Minor,
                 static_cast<unsigned long long>(f->BlockBoundary),
                 f->Flags.ExistingFile ? " existing" : "", f->Flags.ReadOnlyFile ? " read-only" : "",
                 f->Flags.AppendOnlyFile ? " append" : "", f->Flags.TemporaryFile ? " temp" : "");
    for (auto &c : f->Chains) {
      std::fprintf(out, "  chain %s: %zu blocks\n", c->ChainKey.c_str(), c->Blocks.size());
      for (auto &b : c->Blocks) {
        std::fprintf(out, "    block %s at %lld (text %llu, binary %llu)\n", b->BlockKey.c_str(),
                     static_cast<long long>(b->TextPos),
                     static_cast<unsigned long long>(b->TextLen),
                     static_cast<unsigned long long>(b->BinaryLen));
        if (verbose)
          for (SElement *e = b->Symbols.head(); e; e = e->Next)
            std::fprintf(out, "      %s = %s\n", e->Key.c_str(), e->Value.c_str());
      }
    }
  }
}

namespace {

// Whether name is one of the comma-separated names of list (null: all).
bool selected(const char *list, const std::string &name) {
  if (!list) return true;
  std::string items = list;
  std::size_t start = 0;
  while (start <= items.size()) {
    std::size_t end = items.find(',', start);
    if (end == std::string::npos) end = items.size();
    if (compare_keys(items.substr(start, end - start).c_str(), name.c_str(), 1) == 0) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

void ryl_dump(FILE *out, int stream, int format, const char *chainkeys, const char *blockkeys,
              const char *keywords) {
  if (!out) out = stdout;
  int err = RoutineSucceeded;
  DFile *file = used_file(stream, &err);
  if (!file) return;
  // Collect the blocks first: reading a header changes the active block.
  std::vector<std::pair<rlong, rlong>> blocks;  // (chain, number)
  for (auto &c : file->Chains) {
    rlong chain = 0;
    if (!selected(chainkeys, c->ChainKey) || chainkey2num(c->ChainKey.c_str(), &chain) != 0)
      continue;
    for (auto &b : c->Blocks) {
      if (!selected(blockkeys, b->BlockKey)) continue;
      rlong num = b->BlockKey == GENERAL_BLOCK_KEY ? 0 : std::atoi(b->BlockKey.c_str());
      blocks.emplace_back(chain, num);
    }
  }
  for (auto [chain, num] : blocks) {
    bool absent = false;
    DBlock *b = open_read_block(stream, num, chain, &absent, &err);
    if (!b) continue;
    if (format == 1) {
      std::fprintf(out, "%s", block_id(b).c_str());
      for (SElement *e = b->Symbols.head(); e; e = e->Next)
        if (selected(keywords, e->Key)) std::fprintf(out, "\t%s=%s", e->Key.c_str(), e->Value.c_str());
      std::fprintf(out, "\n");
    } else {
      std::fprintf(out, "Block %s (text at %lld, %llu bytes; binary at %lld, %llu bytes)\n",
                   block_id(b).c_str(), static_cast<long long>(b->TextPos),
                   static_cast<unsigned long long>(b->TextLen), static_cast<long long>(b->BinaryPos),
                   static_cast<unsigned long long>(b->BinaryLen));
      for (SElement *e = b->Symbols.head(); e; e = e->Next) {
        if (!selected(keywords, e->Key)) continue;
        if (format >= 10000)
          std::fprintf(out, "  [%lld,%lld] %s = %s\n", static_cast<long long>(e->KeyPos),
                       static_cast<long long>(e->ValPos), e->Key.c_str(), e->Value.c_str());
        else
          std::fprintf(out, "  %s = %s\n", e->Key.c_str(), e->Value.c_str());
      }
    }
  }
}
