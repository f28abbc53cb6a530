// The table of open data files: opening, mode checks, closing, settings.
#include <cstdio>
#include <cstring>
#include <string>

#include "rylpack/cmpr.h"
#include "rylpack/rylio_internal.h"
#include "rylpack/rylio_keyorder.h"

namespace rylio {

namespace {

// The table of open files and the module settings of the process.
DFile g_table[MaxFiles];
Settings g_settings;

const char *const kOpen = "ERROR: open_as_ryl_file:";

// Fills an entry that was taken for a file.
void init_entry(DFile *file, const char *fname) {
  free_entry(file);
  file->Used = 1;
  file->Name = fname;
  file->Flags.NoGeneralHeader = g_settings.write_general_block ? 0 : 1;
  file->FileCompression = cmpr_checkfiletype(fname);
}

int lowest_free_entry() {
  for (int i = 0; i < MaxFiles; ++i)
    if (!g_table[i].Used) return i;
  return -1;
}

// Opens the entry's stream for a mode. Returns RoutineSucceeded or an error.
int open_channel(DFile *file, const char *fname, const std::string &mode) {
  const bool compressed = file->FileCompression != 1;
  auto refuse_compressed = [&]() {
    std::fprintf(stderr, "%s: The file opening mode of %s does not allow compression\n", kOpen,
                 fname);
    return CouldNotOpenFile;
  };
  if (mode == "old") {
    if (compressed) return refuse_compressed();
    file->Channel = std::fopen(fname, "rb+");
    if (!file->Channel) return CouldNotOpenFile;
    file->Flags.ExistingFile = 1;
  } else if (mode == "new") {
    if (compressed) {
      file->Channel = std::tmpfile();
      file->Flags.CompressBeforeClosing = 1;
    } else {
      file->Channel = std::fopen(fname, "wb+");
    }
    if (!file->Channel) return CouldNotOpenFile;
  } else if (mode == "any") {
    if (compressed) return refuse_compressed();
    file->Channel = std::fopen(fname, "rb+");
    if (file->Channel) {
      file->Flags.ExistingFile = 1;
    } else {
      file->Channel = std::fopen(fname, "wb+");
      if (!file->Channel) return CouldNotOpenFile;
    }
  } else if (mode == "append") {
    if (FILE *probe = std::fopen(fname, "rb")) {
      file->Flags.ExistingFile = 1;
      std::fclose(probe);
    }
    file->Channel = std::fopen(fname, "ab+");
    if (!file->Channel) return CouldNotOpenFile;
    file->Flags.AppendOnlyFile = 1;
    file->Flags.NoGeneralHeader = 1;
  } else if (mode == "read") {
    if (compressed) {
      FILE *packed = std::fopen(fname, "rb");
      if (!packed) {
        std::fprintf(stderr, "%s fopen(%s,\"rb\")\n", kOpen, fname);
        return CouldNotOpenFile;
      }
      file->Channel = std::tmpfile();
      std::size_t converted = 0;
      int e = 0;
      int r = file->Channel ? cmpr_inflatefile(file->Channel, packed, file->FileCompression,
                                               &converted, &e)
                            : -1;
      std::fclose(packed);
      if (r != 0) {
        std::fprintf(stderr, "%s cmpr_inflatefile errval=%d (%s)\n", kOpen, e,
                     cmpr_errval2string(e));
        return CompressionError;
      }
      std::rewind(file->Channel);
    } else {
      file->Channel = std::fopen(fname, "rb");
      if (!file->Channel) return CouldNotOpenFile;
    }
    file->Flags.ExistingFile = 1;
    file->Flags.ReadOnlyFile = 1;
  } else if (mode == "temp") {
    file->Flags.TemporaryFile = 1;
  } else {
    return CouldNotOpenFile;
  }
  return RoutineSucceeded;
}

// Opens a ryl file in a free entry. Returns the stream, -1 on failure, or
// -2 when block identifiers are missing or duplicated (the caller retries
// with sequence numbering).
int open_as_ryl_file(const char *fname, const std::string &mode, const char *sequencing,
                     int *perr) {
  int stream = lowest_free_entry();
  if (stream < 0) {
    *perr = NoMoreStreamsAvailable;
    return -1;
  }
  DFile *file = &g_table[stream];
  init_entry(file, fname);
  if (sequencing) file->SequencingMode = sequencing;
  auto fail = [&](int err) {
    free_entry(file);
    *perr = err;
    return -1;
  };

  int err = open_channel(file, fname, mode);
  if (err != RoutineSucceeded) return fail(err);
  if (file->Channel) {
    file->Buffer.reset(new (std::nothrow) char[RylBufferSize]);
    if (!file->Buffer) return fail(CouldNotMallocMemory);
    if (setvbuf(file->Channel, file->Buffer.get(), _IOFBF, RylBufferSize) != 0)
      return fail(CouldNotSetBuffer);
  }

  DBlock *g = new_general_block(file);
  if (!g) return fail(ErrorCreatingGeneralBlock);
  if (file->Flags.TemporaryFile || file->Flags.NoGeneralHeader) g->Flags.InternalHeader = 1;
  file->ActiveBlock = g;

  if (!file->Flags.ExistingFile || file->Flags.AppendOnlyFile) {
    g->Flags.HeaderChanged = 1;
    *perr = RoutineSucceeded;
    return stream;
  }

  if (read_general_block(file) != 0) return fail(ErrorReadingGeneralBlock);
  g = file->GeneralBlock;
  file->ActiveBlock = g;
  if (!file->Flags.NoGeneralHeader) {
    g->SequenceNumber = 1;
    file->NextSequenceNumber = 2;
  }
  for (;;) {
    int r = locate_block(file);
    if (r == 0) continue;
    if (r == 1 || r == 2) break;
    if (r == -2 || r == -3) {
      free_entry(file);
      *perr = BlockIDDuplicaton;
      return -2;
    }
    return fail(ErrorLocatingBlocks);
  }
  if (mode == "old") {
    bool any = false;
    for (auto &c : file->Chains)
      if (c->ChainKey != GENERAL_CHAIN_KEY && !c->Blocks.empty()) any = true;
    if (!any) return fail(CouldNotFindHeader);
  }
  *perr = RoutineSucceeded;
  return stream;
}

// Whether an open file may also be used in mode.
bool check_mode(const DFile *file, const char *mode) {
  const std::string m = mode ? mode : "";
  if (m == "read") return true;
  const bool writable = !file->Flags.ReadOnlyFile;
  if (m == "old") return file->Flags.ExistingFile && writable;
  if (m == "new") return !file->Flags.ExistingFile && writable;
  if (m == "any" || m == "append") return writable;
  return false;
}

}  // namespace

Settings &settings() { return g_settings; }

DFile *file_entry(int stream) {
  if (stream < 0 || stream >= MaxFiles) return nullptr;
  return &g_table[stream];
}

DFile *used_file(int stream, int *perrval) {
  DFile *file = file_entry(stream);
  if (!file) {
    *perrval = InvalidStream;
    return nullptr;
  }
  if (!file->Used) {
    *perrval = NoFileOpen;
    return nullptr;
  }
  return file;
}

void free_entry(DFile *file) {
  if (file->Channel) std::fclose(file->Channel);
  *file = DFile{};
}

}  // namespace rylio

using namespace rylio;

int ryl_open_data_file(const char *fname, const char *mode, int *pErrorValue, int *pstatus) {
  int err = RoutineSucceeded;
  int stream = -1;
  const std::string m = mode ? mode : "";
  if (!fname) {
    set_result(pErrorValue, pstatus, CouldNotOpenFile);
    return -1;
  }
  if ((m == "old" || m == "read") && cmpr_checkfiletype(fname) == 1) {
    FILE *probe = std::fopen(fname, "rb");
    if (!probe) {
      set_result(pErrorValue, pstatus, CouldNotOpenFile);
      return -1;
    }
    int start = check_start(probe);
    std::fclose(probe);
    if (start != 0 && start != -1) {
      stream = open_as_bsl_file(fname, m.c_str(), &err);
      set_result(pErrorValue, pstatus, err);
      return stream;
    }
  }
  stream = open_as_ryl_file(fname, m, nullptr, &err);
  if (stream == -2) {
    std::fprintf(stderr, "WARNING: Using sequence number, block ids and types could be wrong.\n");
    std::fprintf(stderr, "         Error data cannot be distinguished from image data\n");
    stream = open_as_ryl_file(fname, m, SEQUENCE_NUMBER, &err);
    if (stream < 0 && err == BlockIDDuplicaton) err = ErrorLocatingBlocks;
  }
  set_result(pErrorValue, pstatus, stream >= 0 ? RoutineSucceeded : err);
  return stream >= 0 ? stream : -1;
}

int ryl_search_stream(const char *fname, const char *mode, int *pErrorValue, int *pstatus) {
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  if (!fname) return -1;
  for (int i = 0; i < MaxFiles; ++i) {
    DFile *file = &g_table[i];
    if (!file->Used || file->Name != fname) continue;
    if (!check_mode(file, mode)) set_result(pErrorValue, pstatus, IncompatibleOpeningModes);
    return i;
  }
  return -1;
}

int ryl_close_data_file(int stream, int *pErrorValue, int *pstatus) {
  set_result(pErrorValue, pstatus, RoutineSucceeded);
  DFile *file = file_entry(stream);
  if (!file || !file->Used) return 1;

  if (file->ActiveBlock) {
    int err = disk_write_block(file->ActiveBlock);
    if (err != RoutineSucceeded) {
      set_result(pErrorValue, pstatus, err);
      return 0;
    }
  }

  if (file->Flags.CompressBeforeClosing) {
    const char *prefix = "ERROR: ryl_close_data_file";
    if (cmpr_checkfiletype(file->Name.c_str()) == 1) {
      std::fprintf(stderr, "%s >>%s<< is not the name of a compressed file\n", prefix,
                   file->Name.c_str());
      set_result(pErrorValue, pstatus, CompressionError);
      return 0;
    }
    if (file->Flags.ReadOnlyFile) {
      std::fprintf(stderr, "%s File is read-only %s\n", prefix, file->Name.c_str());
      set_result(pErrorValue, pstatus, FileIsNotWritable);
      return 0;
    }
    FILE *out = std::fopen(file->Name.c_str(), "wb+");
    if (!out) {
      std::fprintf(stderr, "%s fopen(%s,\"wb+\")\n", prefix, file->Name.c_str());
      set_result(pErrorValue, pstatus, CouldNotOpenFile);
      return 0;
    }
    std::fflush(file->Channel);
    std::rewind(file->Channel);
    std::size_t converted = 0;
    int e = 0;
    int r = cmpr_deflatefile(out, file->Channel, file->FileCompression, &converted, &e);
    int closed = std::fclose(out);
    if (r != 0 || closed != 0) {
      std::fprintf(stderr, "%s cmpr_deflatefile errval=%d (%s)\n", prefix, e,
                   cmpr_errval2string(e));
      set_result(pErrorValue, pstatus, CompressionError);
      return 0;
    }
  }

  int closed = file->Channel ? std::fclose(file->Channel) : 0;
  file->Channel = nullptr;
  free_entry(file);
  if (closed != 0) {
    set_result(pErrorValue, pstatus, CouldNotCloseFile);
    return 0;
  }
  return 1;
}

void ryl_free_data_file() {
  for (auto &f : g_table) free_entry(&f);
}

// ---- settings, limits ----------------------------------------------------------------

int ryl_general_block(int writetodisk) {
  g_settings.write_general_block = writetodisk ? 1 : 0;
  return 0;
}
int ryl_headersize(int writetodisk) {
  g_settings.write_header_size = writetodisk ? 1 : 0;
  return 0;
}
int ryl_set_minimumheadersize(rlong size) {
  g_settings.minimum_header_size = size > 0 ? static_cast<std::uint64_t>(size) : 0;
  return 0;
}
int ryl_set_datatype(int datatype_out) {
  g_settings.output_datatype = datatype_out;
  return 0;
}
int ryl_set_datacompression(int compression_out) {
  g_settings.output_compression = compression_out;
  return 0;
}
int ryl_set_datavalueoffset(rlong offset_out) {
  g_settings.output_value_offset = offset_out;
  return 0;
}
int ryl_set_bsl_input_byteorder(int byteorder) {
  g_settings.bsl_input_byteorder = byteorder;
  return 0;
}
int ryl_set_max_line_width(rlong width) {
  g_settings.max_line_width = width > 0 ? static_cast<rulong>(width) : 0;
  return 0;
}

int ryl_maxfiles() { return MaxFiles; }
int ryl_maxkeylen() { return static_cast<int>(RylMaxKeyLen); }
int ryl_maxvallen() { return static_cast<int>(RylMaxValLen); }
int ryl_maxlinlen() { return static_cast<int>(RylMaxLinLen); }
int ryl_maxdatachains() { return 20; }
int ryl_buffersize() { return static_cast<int>(RylBufferSize); }
int ryl_maxdimensions() { return 512; }

void ryl_free_all() {
  ryl_history_free(nullptr);
  ryl_free_header(nullptr);
  ryl_free_data_file();
}
