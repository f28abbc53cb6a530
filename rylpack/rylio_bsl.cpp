// BSL header files opened as read-only data files: every frame a block
// whose header lives in memory and whose data are read from the frame file
// when asked for.
#include <cstdio>
#include <string>

#include "rylpack/bslio.h"
#include "rylpack/rylio_internal.h"

namespace rylio {

namespace {

// Closes the BSL stream however the mapping ends.
struct BslStream {
  int stream;
  ~BslStream() {
    if (stream >= 0) close_bsl_file(stream);
  }
};

bool put(DBlock *b, const char *key, const std::string &value) {
  SElement *e = nullptr;
  return insert_string(&b->Symbols, key, value.c_str(), 0, &e) == 0;
}

}  // namespace

int open_as_bsl_file(const char *fname, const char *mode, int *perrval) {
  const std::string m = mode ? mode : "";
  if (m != "old" && m != "read") {
    *perrval = CannotOpenAsBslFile;
    return -1;
  }
  int stream = -1;
  for (int i = 0; i < MaxFiles; ++i)
    if (!file_entry(i)->Used) {
      stream = i;
      break;
    }
  if (stream < 0) {
    *perrval = NoMoreStreamsAvailable;
    return -1;
  }
  DFile *file = file_entry(stream);
  free_entry(file);
  file->Used = 1;
  file->Name = fname;
  file->Flags.NoGeneralHeader = 1;
  auto fail = [&](int err) {
    free_entry(file);
    *perrval = err;
    return -1;
  };
  DBlock *g = new_general_block(file);
  if (!g) return fail(ErrorCreatingGeneralBlock);
  g->Flags.InternalHeader = 1;
  file->ActiveBlock = g;

  BslStream bsl{open_bsl_file(fname, "read")};
  if (bsl.stream < 0) return fail(CannotOpenAsBslFile);
  const char *first = nullptr, *second = nullptr;
  read_bsl_file_headers(bsl.stream, &first, &second);
  if (!put(g, "Title", first) || !put(g, "SubTitle", second)) return fail(CannotOpenAsBslFile);

  const int order = settings().bsl_input_byteorder;
  rlong minmem = 0, maxmem = -1;
  if (bsl_memory_range(bsl.stream, &minmem, &maxmem) == 0) {
    for (rlong mem = minmem; mem <= maxmem; ++mem) {
      rlong minfra = 0, maxfra = -1;
      if (bsl_frame_range(bsl.stream, mem, &minfra, &maxfra) != 0) continue;
      DChain *chain = find_chain(file, default_chainkey(mem), true);
      for (rlong f = minfra; f <= maxfra; ++f) {
        const BslDataSpec *d = read_bsl_data_spec(bsl.stream, mem, f);
        if (!d) return fail(CannotOpenAsBslFile);
        DBlock *b = find_block(chain, std::to_string(f), true);
        b->Flags.InternalHeader = 1;
        b->Flags.DataExternal = 1;
        b->BinaryFileName = d->BinaryFileName;
        b->BinaryFilePos = static_cast<std::int64_t>(d->BinaryFilePos);
        b->BinaryFileLen = d->BinaryFileLen;
        bool ok = true;
        for (rlong k = 1; k <= d->Dim[0]; ++k) {
          char key[32];
          std::snprintf(key, sizeof key, "%s%1u", "Dim_", static_cast<unsigned>(k));
          ok = ok && put(b, key, std::to_string(d->Dim[k]));
        }
        ok = ok && put(b, "DataType", ryl_datatype2string(d->DataType));
        ok = ok && put(b, "ByteOrder", ryl_byteorder2string(order ? order : d->ByteOrder));
        if (d->RasterConfiguration != 1)
          ok = ok && put(b, "DataRasterConfiguration", std::to_string(d->RasterConfiguration));
        ok = ok && put(b, "Compression", ryl_compression2string(d->Compression));
        if (!ok) return fail(CannotOpenAsBslFile);
      }
    }
  }

  file->Channel = std::fopen(fname, "rb");
  if (!file->Channel) return fail(CannotOpenAsBslFile);
  file->Flags.ExistingFile = 1;
  file->Flags.ReadOnlyFile = 1;
  *perrval = RoutineSucceeded;
  return stream;
}

}  // namespace rylio
