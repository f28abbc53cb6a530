#include "rylpack/bslio.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "rylpack/numio.h"
#include "rylpack/rylio_binary.h"

namespace {

constexpr int MaxBslFiles = 20;
constexpr int BslIndicNumber = 10;
constexpr std::size_t BslLineLen = 512;

struct BslFrame {
  rlong FrameKey;
  BslDataSpec DataSpec;
};

struct BslMemory {
  rlong MemoryKey;
  std::string FileName;
  std::string Indicator;
  std::vector<BslFrame> Frames;  // ascending frame numbers
};

struct BslFile {
  std::string Name;
  std::string Path;
  FILE *Channel = nullptr;
  std::unique_ptr<char[]> Buffer;
  std::string FirstHeader, SecondHeader;
  std::vector<BslMemory> Memories;  // ascending memory numbers
};

// The table of BSL files of the process; an entry is free without stream.
BslFile g_table[MaxBslFiles];
bool g_used_once = false;

BslFile *entry(int stream) {
  if (stream < 0 || stream >= MaxBslFiles || !g_table[stream].Channel) return nullptr;
  return &g_table[stream];
}

// Reads one line of at most 511 characters, cut at the first CR or LF and
// trimmed. False at the end of the file, for a last line without line end,
// or on a read error.
bool read_line(FILE *f, std::string *line) {
  char buf[BslLineLen];
  if (!std::fgets(buf, sizeof buf, f)) return false;
  std::size_t n = std::strlen(buf);
  bool ended = n > 0 && buf[n - 1] == '\n';
  if (!ended && n == sizeof buf - 1) {
    // Longer than the buffer: the rest of the line is dropped.
    int c;
    while ((c = std::fgetc(f)) != EOF && c != '\n') {
    }
    ended = c == '\n';
  }
  if (!ended) return false;
  buf[std::strcspn(buf, "\r\n")] = '\0';
  const char *s = buf;
  while (*s && std::isspace(static_cast<unsigned char>(*s))) ++s;
  std::string t = s;
  while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back()))) t.pop_back();
  *line = t;
  return true;
}

// All integers of an indicator line; false for anything that is not one.
bool indicator2table(const std::string &line, std::vector<long long> *numbers) {
  const char *p = line.c_str();
  while (*p) {
    while (*p && std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (!*p) break;
    char *end = nullptr;
    errno = 0;
    long long v = std::strtoll(p, &end, 10);
    if (end == p || errno == ERANGE) return false;
    numbers->push_back(v);
    p = end;
  }
  return true;
}

bool indicator2frame_list(BslFile &file, BslMemory &m, unsigned long *total) {
  std::vector<long long> n;
  if (!indicator2table(m.Indicator, &n) || n.size() < static_cast<std::size_t>(BslIndicNumber))
    return false;
  const long long X = n[0], Y = n[1], F = n[2];
  if (F < 0) return false;
  if (F == 0) return true;
  if (X <= 0 || Y <= 0 || X > INT32_MAX || Y > INT32_MAX) return false;
  const unsigned long long frame = static_cast<unsigned long long>(X) * Y * 4ull;
  if (static_cast<unsigned long long>(F) > BslMaxFrames - *total) return false;
  if (frame > (1ull << 62) / static_cast<unsigned long long>(F)) return false;
  *total += static_cast<unsigned long>(F);
  m.Frames.reserve(static_cast<std::size_t>(F));
  for (long long f = 1; f <= F; ++f) {
    BslFrame fr;
    fr.FrameKey = static_cast<rlong>(f);
    BslDataSpec &d = fr.DataSpec;
    d.BinaryFileName = file.Path + m.FileName;
    d.BinaryFilePos = static_cast<unsigned long>((f - 1) * frame);
    d.BinaryFileLen = static_cast<unsigned long>(frame);
    d.Dim = {2, static_cast<rlong>(X), static_cast<rlong>(Y)};
    d.ByteOrder = ryl_byteorder();
    m.Frames.push_back(std::move(fr));
  }
  return true;
}

bool read_bsl_header(BslFile &file) {
  FILE *f = file.Channel;
  if (!read_line(f, &file.FirstHeader) || !read_line(f, &file.SecondHeader)) return false;
  unsigned long total = 0;
  for (rlong k = 1;; ++k) {
    BslMemory m;
    if (!read_line(f, &m.Indicator) || !read_line(f, &m.FileName)) break;
    m.MemoryKey = k;
    if (!indicator2frame_list(file, m, &total)) return false;
    file.Memories.push_back(std::move(m));
  }
  return !std::ferror(f);
}

const BslMemory *memory(const BslFile *file, rlong memnum) {
  for (const auto &m : file->Memories)
    if (m.MemoryKey == memnum) return &m;
  return nullptr;
}

std::string directory_of(const char *name) {
  const char *slash = std::strrchr(name, '/');
  if (slash) return std::string(name, static_cast<std::size_t>(slash - name) + 1);
  char cwd[4096];
  if (getcwd(cwd, sizeof cwd)) return std::string(cwd) + "/";
  return "./";
}

}  // namespace

int open_bsl_file(const char *FileName, const char *mode) {
  if (!FileName || !mode) return -1;
  g_used_once = true;
  int stream = -1;
  for (int i = 0; i < MaxBslFiles; ++i)
    if (!g_table[i].Channel) {
      stream = i;
      break;
    }
  if (stream < 0) return -1;
  const std::string m = mode;
  FILE *f = nullptr;
  if (m == "old") f = std::fopen(FileName, "rb+");
  else if (m == "new") f = std::fopen(FileName, "wb+");
  else if (m == "any") {
    f = std::fopen(FileName, "rb+");
    if (!f) f = std::fopen(FileName, "wb+");
  } else if (m == "read") f = std::fopen(FileName, "rb");
  if (!f) return -1;
  BslFile &file = g_table[stream];
  file = BslFile{};
  file.Channel = f;
  file.Name = FileName;
  file.Path = directory_of(FileName);
  file.Buffer.reset(new char[BslLineLen]);
  setvbuf(f, file.Buffer.get(), _IOFBF, BslLineLen);
  if (!read_bsl_header(file)) {
    close_bsl_file(stream);
    return -1;
  }
  return stream;
}

void close_bsl_file(int stream) {
  BslFile *file = entry(stream);
  if (!file) return;
  std::fclose(file->Channel);
  *file = BslFile{};
}

int bsl_memory_range(int stream, rlong *minmem, rlong *maxmem) {
  BslFile *file = entry(stream);
  if (!file || file->Memories.empty()) return -1;
  *minmem = file->Memories.front().MemoryKey;
  *maxmem = file->Memories.back().MemoryKey;
  return 0;
}

int bsl_frame_range(int stream, rlong memnum, rlong *minfra, rlong *maxfra) {
  BslFile *file = entry(stream);
  const BslMemory *m = file ? memory(file, memnum) : nullptr;
  if (!m || m->Frames.empty()) return -1;
  *minfra = m->Frames.front().FrameKey;
  *maxfra = m->Frames.back().FrameKey;
  return 0;
}

int read_bsl_file_headers(int stream, const char **first_header, const char **second_header) {
  BslFile *file = entry(stream);
  if (!file) return -1;
  if (first_header) *first_header = file->FirstHeader.c_str();
  if (second_header) *second_header = file->SecondHeader.c_str();
  return 0;
}

const BslDataSpec *read_bsl_data_spec(int stream, rlong memnum, rlong franum) {
  BslFile *file = entry(stream);
  const BslMemory *m = file ? memory(file, memnum) : nullptr;
  if (!m || franum < 1 || static_cast<std::size_t>(franum) > m->Frames.size()) return nullptr;
  return &m->Frames[static_cast<std::size_t>(franum - 1)].DataSpec;
}

void print_bsl_filetable(FILE *out, int level, int verbose) {
  (void)level;
  if (!out) out = stdout;
  if (!g_used_once) {
    std::printf("Bsl file table is not initialized\n");
    return;
  }
  for (int i = 0; i < MaxBslFiles; ++i) {
    const BslFile &f = g_table[i];
    if (!f.Channel) continue;
    std::fprintf(out, "bsl stream %d: %s (%s / %s)\n", i, f.Name.c_str(), f.FirstHeader.c_str(),
                 f.SecondHeader.c_str());
    for (const auto &m : f.Memories) {
      std::fprintf(out, "  memory %d: %s, %zu frames\n", m.MemoryKey, m.FileName.c_str(),
                   m.Frames.size());
      if (verbose)
        for (const auto &fr : m.Frames)
          std::fprintf(out, "    frame %d at %lu (%lu bytes)\n", fr.FrameKey,
                       fr.DataSpec.BinaryFilePos, fr.DataSpec.BinaryFileLen);
    }
  }
}

int compare_bsl_keys(const char *s1, const char *s2, int smode) {
  auto is_int = [](const char *s) {
    if (*s == '+' || *s == '-') ++s;
    if (!*s) return false;
    for (; *s; ++s)
      if (!std::isdigit(static_cast<unsigned char>(*s))) return false;
    return true;
  };
  switch (smode) {
    case 0: return std::strncmp(s1, s2, 80);
    case 2:
      if (is_int(s1) && is_int(s2)) {
        long long a = std::strtoll(s1, nullptr, 10), b = std::strtoll(s2, nullptr, 10);
        return a < b ? -1 : a > b ? 1 : 0;
      }
      [[fallthrough]];
    case 1: return num_strncasecmp(s1, s2, 80);
    default:
      std::fprintf(stderr, "compare: Invalid smode\n");
      std::exit(-1);
  }
}

const char *bslio_version() { return "bslio : V0.67 Tessmor 2015-12-08"; }
