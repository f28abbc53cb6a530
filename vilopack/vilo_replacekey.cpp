#include "vilopack/vilo_replacekey.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "rylpack/filename.h"
#include "rylpack/numio.h"
#include "rylpack/rylio.h"
#include "rylpack/strlib.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_expression.h"

namespace {

constexpr std::size_t kMaxKey = 64;       // characters of a key looked up
constexpr std::size_t kMaxValue = 2048;   // characters of a replaced value
constexpr std::size_t kMaxNumber = 2048;  // characters of a block or word number
// Brackets nested deeper than this are copied as ordinary text; no real
// name needs them and the bound keeps the recursion shallow.
constexpr int kMaxNesting = 32;

bool is_word_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

// Word n (1..) of a value, words separated by single white-space characters.
std::string select_word(const std::string &value, rlong n) {
  if (n <= 0) return value;
  std::size_t start = 0;
  for (rlong k = 1; k < n; ++k) {
    while (start < value.size() && !is_word_space(value[start])) ++start;
    if (start >= value.size()) return "";
    ++start;  // the one separator
  }
  std::size_t end = start;
  while (end < value.size() && !is_word_space(value[end])) ++end;
  return value.substr(start, end - start);
}

// Output with a fixed capacity: characters beyond it are dropped.
struct Out {
  char *buf;
  std::size_t cap;  // characters, terminator excluded
  std::size_t len = 0;
  bool full() const { return len >= cap; }
  void put(char c) {
    if (len < cap) buf[len++] = c;
  }
  void put(const std::string &s) {
    for (char c : s) put(c);
  }
};

class Replacer {
 public:
  Replacer(CmdBlk *pcb, ImgBlk *ib, rlong *num, int blkno, rlong npar)
      : pcb_(pcb), ib_(ib), num_(num), blkno_(blkno), npar_(npar) {}

  // Copies text from *ps into out until the end of the text or a ']' when
  // stop_at_bracket is set, replacing bracketed keys. Leaves *ps on the
  // character that stopped it.
  void scan(const char *&ps, Out &out, int level, const char *stops) {
    while (*ps && !out.full()) {
      if (stops && std::strchr(stops, *ps)) return;
      if (*ps == '[' && level < kMaxNesting) {
        key(ps, out, level + 1);
      } else {
        out.put(*ps++);
      }
    }
  }

 private:
  int nblocks() const { return pcb_->ImgBlkLen; }

  int limit_block(rlong b) const {
    if (b < 0) return 0;
    if (b > nblocks() - 1) return nblocks() - 1;
    return static_cast<int>(b);
  }

  int header_block(int isblock) const {
    int h = isblock < 1 ? 1 : isblock;
    if (h > nblocks() - 1) h = nblocks() - 1;
    return h < 0 ? 0 : h;
  }

  // Reads an integer item (block or word number) with keys replaced; keeps
  // the previous value when it does not evaluate.
  rlong number(const char *&ps, int level, rlong previous) {
    char text[kMaxNumber + 1];
    Out out{text, kMaxNumber};
    scan(ps, out, level, ",]");
    // Skip what did not fit.
    while (*ps && *ps != ',' && *ps != ']') ++ps;
    text[out.len] = '\0';
    const char *tail = nullptr;
    int errval = 0;
    rlong v = num_str2long(text, &tail, &errval);
    if (errval || !text[0] || (tail && *tail)) return previous;
    return v;
  }

  std::string long_text(rlong v) {
    char buf[64];
    int errval = 0;
    num_long2str(buf, sizeof buf, v, &errval);
    SetViloErrorExternal(errval, nullptr);
    return buf;
  }

  using NamePart = char *(*)(char *, std::size_t, const char *);

  std::string name_part(NamePart fn, int block) {
    char buf[IO_len];
    if (!fn(buf, sizeof buf, ib_[block].FileName)) return "";
    return buf;
  }

  // Value of a special key of block isblock, if the key is one.
  bool special(const std::string &k, int isblock, std::string *value) {
    const ImgBlk &b = ib_[isblock];
    auto starts = [&](const char *name) { return k.compare(0, std::strlen(name), name) == 0; };
    if (starts("FNUM")) *value = long_text(b.FileNumber);
    else if (starts("LNUM")) *value = long_text(b.LoopNumber);
    else if (starts("INUM")) *value = long_text(num_ ? num_[isblock] : 1);
    else if (starts("MNUM")) *value = long_text(b.Memory.V);
    else if (starts("FNAME")) *value = b.FileName;
    else if (starts("FPATH")) *value = name_part(filename_path, isblock);
    else if (starts("FBASE")) *value = name_part(filename_base, isblock);
    else if (starts("FEXT")) *value = name_part(filename_extension, isblock);
    else if (starts("FBODY")) *value = name_part(filename_body, isblock);
    else if (starts("CYCLES")) *value = long_text(pcb_->Cycles);
    else return false;
    return true;
  }

  bool header_value(const std::string &k, int ihblock, std::string *value) {
    const ImgBlk &b = ib_[ihblock];
    if (b.Stream < 0 || (b.StreamOpenMode & (IO_DontReadWrite | IO_Dummy))) return false;
    char line[IO_len];
    int errval = 0, status = 0;
    rlong image = num_ ? num_[ihblock] : 1;
    int found = ryl_read_header_line(b.Stream, image, b.Memory.V, k.c_str(), line, &errval,
                                     &status);
    SetViloErrorExternal(errval, nullptr);
    if (!found || status) return false;
    *value = line;
    return true;
  }

  // At '[': reads one bracketed key and writes its value (or the bracket as
  // written when it cannot be replaced).
  void key(const char *&ps, Out &out, int level) {
    const char *open = ps++;
    char kbuf[kMaxKey + 1];
    Out k{kbuf, kMaxKey};
    int isblock = limit_block(blkno_);
    rlong ipar = npar_;
    bool closed = false;
    while (*ps && !k.full()) {
      if (*ps == ']') {
        ++ps;
        closed = true;
        break;
      }
      if (*ps == ',') {
        ++ps;
        isblock = limit_block(number(ps, level, isblock));
        if (*ps == ',') {
          ++ps;
          ipar = number(ps, level, ipar);
        }
        while (*ps == ',') {  // further items are read and ignored
          ++ps;
          number(ps, level, 0);
        }
        continue;
      }
      if (*ps == '[' && level < kMaxNesting) {
        key(ps, k, level + 1);
      } else {
        k.put(*ps++);
      }
    }
    (void)closed;
    kbuf[k.len] = '\0';
    std::string name(kbuf);

    std::string value;
    bool found = special(name, isblock, &value) || header_value(name, header_block(isblock), &value);
    if (!found) {
      for (const char *p = open; p < ps; ++p) out.put(*p);
      return;
    }
    if (value.size() > kMaxValue) value.resize(kMaxValue);
    out.put(select_word(value, ipar));
  }

  CmdBlk *pcb_;
  ImgBlk *ib_;
  rlong *num_;
  int blkno_;
  rlong npar_;
};

// Private buffer of the evaluation helpers.
constexpr std::size_t kLine = IO_len;

}  // namespace

char *replacekey(char *buffer, std::size_t buflen, const char *string, rlong npar, CmdBlk *pcb,
                 ImgBlk ib[], rlong Num[], int blkno, int *pstatus) {
  *pstatus = Success;
  if (pcb && pcb->TestBit > 1) std::printf(" -- replacekey\n");
  if (!buffer || buflen == 0) return nullptr;
  if (!string) string = "";
  if (!pcb || !ib || pcb->ImgBlkLen <= 0) return strlib_copy(buffer, buflen, string);
  Out out{buffer, buflen - 1};
  Replacer r(pcb, ib, Num, blkno, npar);
  const char *ps = string;
  r.scan(ps, out, 0, nullptr);
  buffer[out.len] = '\0';
  return buffer;
}

int hasreplacekey(const char *string) {
  if (!string) return 0;
  const char *open = std::strchr(string, '[');
  return open && std::strchr(open, ']') ? 1 : 0;
}

double doublekeyvalue(const char *string, CmdBlk *pcb, ImgBlk ib[], rlong Num[], int blkno,
                      int *pstatus) {
  char line[kLine];
  replacekey(line, sizeof line, string, 1, pcb, ib, Num, blkno, pstatus);
  if (*pstatus != Success) return 0.0;
  double v = doubleexpr(line, pstatus);
  if (*pstatus != Success) SetViloErrorMessage(line);
  if (pcb && pcb->TestBit)
    std::printf("doublekeyvalue: string=%s, line=%s, value=%g\n", string, line, v);
  return v;
}

float floatkeyvalue(const char *string, CmdBlk *pcb, ImgBlk ib[], rlong Num[], int blkno,
                    int *pstatus) {
  char line[kLine];
  replacekey(line, sizeof line, string, 1, pcb, ib, Num, blkno, pstatus);
  if (*pstatus != Success) return 0.0f;
  float v = floatexpr(line, pstatus);
  if (*pstatus != Success) SetViloErrorMessage(line);
  if (pcb && pcb->TestBit)
    std::printf("floatkeyvalue: string=%s, line=%s, value=%g\n", string, line, v);
  return v;
}

rlong longkeyvalue(const char *string, CmdBlk *pcb, ImgBlk ib[], rlong Num[], int blkno,
                   int *pstatus) {
  char line[kLine];
  replacekey(line, sizeof line, string, 1, pcb, ib, Num, blkno, pstatus);
  if (*pstatus != Success) return 0;
  rlong v = longexpr(line, pstatus);
  if (*pstatus != Success) SetViloErrorMessage(line);
  if (pcb && pcb->TestBit)
    std::printf("longkeyvalue: string=%s, line=%s, value=" RLONG_FMT "\n", string, line, v);
  return v;
}

char *linekeyvalue(char *buffer, std::size_t buflen, const char *string, rlong npar,
                   CmdBlk *pcb, ImgBlk ib[], rlong Num[], int blkno, int *pstatus) {
  char *r = replacekey(buffer, buflen, string, npar, pcb, ib, Num, blkno, pstatus);
  if (pcb && pcb->TestBit)
    std::printf("linekeyvalue: string=%s, npar=" RLONG_FMT ", value=%s\n", string, npar,
                r ? r : "");
  return r;
}

const char *replacekey_version() { return "ViloReplacekey V1.23 Tessmor 2015-12-08"; }

const char *replacekey_show() {
  return "    Header keys (case insensitive)\n"
         "     [<key>] or [<key>,<blkno>] or [<key>,<blkno>,<npar>]\n"
         "    Special keys (case sensitive)\n"
         "     Key    Description\n"
         "     FNAME  file name (as given)\n"
         "       <file name> = [FPATH][FBASE][FEXT]\n"
         "     FPATH  file path (filename path, extracted from file name)\n"
         "     FBASE  base name (file name without path, without extension)\n"
         "     FEXT   extension (including separator, extracted from file name)\n"
         "     FNUM   file number, e.g. value of %%%% in name%%%%.ryl\n"
         "     MNUM   memory number (positiv image data, negativ variance data, default 1)\n"
         "     INUM   image number\n"
         "     LNUM   loop number\n"
         "     CYCLES number of cycles before output image is written";
}
