// Positional arguments: one command-line word or one answer per field.
#include <cstdio>
#include <cstring>
#include <string>

#include "rylpack/rylio.h"
#include "rylpack/strlib.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_expression.h"
#include "vilopack/vilo_help.h"
#include "vilopack/vilo_input.h"
#include "vilopack/vilo_option.h"

namespace {

const char *const kModule = "ViloOption";
const char *const kSkipped = "... skipped";
const char *const kSkipWord = "...";
const char *const kKeepWord = "=";

FILE *answers(const CmdBlk *pcb) { return pcb->infile ? pcb->infile : stdin; }

std::string format_long(rlong v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, RLONG_FMT, v);
  return buf;
}

std::string format_float(double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%g", v);
  return buf;
}

// The steps every positional argument shares. A kind P supplies:
//   flag()                  the field's flag
//   keep()                  remember the field before it changes
//   put_default()           the default into the field
//   from_word(w, pstatus)   a command-line word into the field
//   ask(f, prompt)          the question; returns its status
//   no_default_skips        whether NoDefault of the question is a skip
//   restore()               true when the field had to get its kept text back
//   shown(), recorded()     the value for the debug line and for the history
template <class P>
void positional(const char *routine, CmdBlk *pcb, const char *promptline, P &p, int *pstatus) {
  SetViloError(kModule, routine, nullptr);
  *pstatus = Success;
  ++*pcb->parg_no;
  if (pcb->TestBit > 0) show_arg_no(routine, pcb);

  int iset = 1;
  p.keep();
  if (!p.flag()) p.put_default();

  int index = *pcb->parg_no;
  if (index < pcb->argc) {
    const char *word = pcb->argv[index];
    if (std::strcmp(word, kSkipWord) == 0) {
      iset = 0;
    } else if (std::strcmp(word, kKeepWord) != 0) {
      p.from_word(word, pstatus);
      if (*pstatus != Success) {
        SetViloErrorMessage(word);
        return;
      }
    }
  } else {
    ryl_history_skip(ViloHistoryKey);
  }

  if (pcb->Prompt.V) {
    iset = 1;
    int status = p.ask(answers(pcb), promptline);
    if (status == SkipInput || (status == NoDefault && P::no_default_skips)) {
      iset = 0;
    } else if (status != Success) {
      *pstatus = status;
      return;
    } else {
      ryl_history_take(ViloHistoryKey);
    }
  }

  if (p.restore()) iset = 0;

  if (iset) p.flag() = 1;
  else std::printf("%s\n", kSkipped);

  if (pcb->TestBit > 0 && p.flag()) std::printf("%s %s\n", "Value =", p.shown().c_str());

  ryl_history_argv(ViloHistoryKey, p.flag() ? p.recorded().c_str() : kSkipWord);
}

// ---- kinds ------------------------------------------------------------------

// Text fields: IO_line (always offers its default) and the expression texts
// IO_flexp / IO_lvexp (offer it only when not empty; an empty result takes
// the kept text back and counts as skipped).
template <class Field, bool Expression>
struct TextKind {
  static constexpr bool no_default_skips = Expression;
  Field *f;
  const char *defval;
  char kept[IO_len] = "";

  int &flag() { return f->I; }
  void keep() {
    if (Expression) strlib_copy(kept, sizeof kept, f->V);
  }
  void put_default() { strlib_copy(f->V, sizeof f->V, defval); }
  void from_word(const char *w, int *) { strlib_copy(f->V, sizeof f->V, w); }
  int ask(FILE *in, const char *prompt) {
    int offer = Expression ? (f->V[0] != '\0') : 1;
    return GetLine(in, f->V, offer, prompt, f->V);
  }
  bool restore() {
    if (!Expression || f->V[0] != '\0') return false;
    strlib_copy(f->V, sizeof f->V, kept);
    return true;
  }
  std::string shown() const { return f->V; }
  std::string recorded() const { return f->V; }
};

struct LongKind {
  static constexpr bool no_default_skips = false;
  IO_long *f;
  rlong defval;

  int &flag() { return f->I; }
  void keep() {}
  void put_default() { f->V = defval; }
  void from_word(const char *w, int *pstatus) {
    rlong v = longexpr(w, pstatus);
    if (*pstatus == Success) f->V = v;
  }
  int ask(FILE *in, const char *prompt) { return GetLong(in, &f->V, 1, prompt, f->V); }
  bool restore() { return false; }
  std::string shown() const { return format_long(f->V); }
  std::string recorded() const { return shown(); }
};

struct FloatKind {
  static constexpr bool no_default_skips = false;
  IO_float *f;
  float defval;

  int &flag() { return f->I; }
  void keep() {}
  void put_default() { f->V = defval; }
  void from_word(const char *w, int *pstatus) {
    float v = floatexpr(w, pstatus);
    if (*pstatus == Success) f->V = v;
  }
  int ask(FILE *in, const char *prompt) { return GetReal(in, &f->V, 1, prompt, f->V); }
  bool restore() { return false; }
  std::string shown() const { return format_float(f->V); }
  std::string recorded() const { return shown(); }
};

struct FlagKind : LongKind {
  void from_word(const char *w, int *pstatus) {
    rlong v = longexpr(w, pstatus);
    if (*pstatus == Success) f->V = v ? 1 : 0;
  }
  int ask(FILE *in, const char *prompt) {
    char answer[BufLen];
    int status = GetLine(in, answer, 1, prompt, f->V ? "TRUE" : "FALSE");
    if (status != Success) return status;
    EditLine(UnComment | LowerCase, answer);
    if (std::strlen(answer) == 1) {
      switch (answer[0]) {
        case '0': case 'n': case 'f': f->V = 0; return Success;
        case '1': case 't': case 'y': f->V = 1; return Success;
        default: SetViloErrorMessage(answer); return NoFlag;
      }
    }
    rlong v = longexpr(answer, &status);
    if (status != Success) {
      SetViloErrorMessage(answer);
      return status;
    }
    f->V = v ? 1 : 0;
    return Success;
  }
};

// A user coordinate u is kept as RPs * (ROff + u / UPs - UOff); a user
// distance d as RPs / UPs * d. Conversions run in double and round once.
struct Systems {
  rlong USys;
  double ROff, RPs, UOff, UPs;
};

template <bool Distance>
struct UserKind : FloatKind {
  Systems s;

  float to_field(double u) const {
    if (Distance) return static_cast<float>(s.RPs / s.UPs * u);
    return static_cast<float>(s.RPs * (s.ROff + u / s.UPs - s.UOff));
  }
  double to_user(double v) const {
    if (Distance) return s.UPs / s.RPs * v;
    return (v / s.RPs - s.ROff + s.UOff) * s.UPs;
  }
  void from_word(const char *w, int *pstatus) {
    float u = floatexpr(w, pstatus);
    if (*pstatus == Success) f->V = to_field(u);
  }
  int ask(FILE *in, const char *prompt) {
    std::printf("%s %s\n", "Input reference system is", reftostr(s.USys));
    float user = static_cast<float>(to_user(f->V));
    int status = GetReal(in, &user, 1, prompt, user);
    if (status == Success) f->V = to_field(user);
    return status;
  }
  // The history keeps what the user gives, so that the recorded line can be
  // given again under the same user system.
  std::string recorded() const { return format_float(static_cast<float>(to_user(f->V))); }
};

}  // namespace

void argv_start(CmdBlk *pcb, int narg) {
  if (pcb->Prompt.I) return;
  pcb->Prompt.V = (pcb->argc < narg + *pcb->parg_no + 1) ? 1 : 0;
}

void argv_end(CmdBlk *pcb) {
  ++*pcb->parg_no;
  if (*pcb->parg_no < pcb->argc) {
    const char *name = pcb->MainName ? pcb->MainName : "";
    std::printf("WARNING : %s : Too many arguments\n", name);
    std::printf("Usage: %s %s\n", name, pcb->MainHelp ? pcb->MainHelp : "");
  }
  *pcb->parg_no = pcb->argc;
}

void argv_line(CmdBlk *pcb, const char *promptline, IO_line *pValue, const char *defval,
               int *pstatus) {
  TextKind<IO_line, false> p{pValue, defval};
  positional("argv_line", pcb, promptline, p, pstatus);
}

void argv_flexp(CmdBlk *pcb, const char *promptline, IO_flexp *pValue, const char *defval,
                int *pstatus) {
  TextKind<IO_flexp, true> p{pValue, defval};
  positional("argv_flexp", pcb, promptline, p, pstatus);
}

void argv_lvexp(CmdBlk *pcb, const char *promptline, IO_lvexp *pValue, const char *defval,
                int *pstatus) {
  TextKind<IO_lvexp, true> p{pValue, defval};
  positional("argv_lvexp", pcb, promptline, p, pstatus);
}

void argv_long(CmdBlk *pcb, const char *promptline, IO_long *pValue, rlong defval, int *pstatus) {
  LongKind p{pValue, defval};
  positional("argv_long", pcb, promptline, p, pstatus);
}

void argv_float(CmdBlk *pcb, const char *promptline, IO_float *pValue, float defval,
                int *pstatus) {
  FloatKind p{pValue, defval};
  positional("argv_float", pcb, promptline, p, pstatus);
}

void argv_flag(CmdBlk *pcb, const char *promptline, IO_long *pValue, rlong defval, int *pstatus) {
  FlagKind p;
  p.f = pValue;
  p.defval = defval;
  positional("argv_flag", pcb, promptline, p, pstatus);
}

void argv_coord(CmdBlk *pcb, rlong /*RSys*/, float ROff, float RPs, rlong USys, float UOff,
                float UPs, const char *promptline, IO_float *pValue, float defval, int *pstatus) {
  UserKind<false> p;
  p.f = pValue;
  p.defval = defval;
  p.s = {USys, ROff, RPs, UOff, UPs};
  positional("argv_coord", pcb, promptline, p, pstatus);
}

void argv_dist(CmdBlk *pcb, rlong /*RSys*/, float ROff, float RPs, rlong USys, float UOff,
               float UPs, const char *promptline, IO_float *pValue, float defval, int *pstatus) {
  UserKind<true> p;
  p.f = pValue;
  p.defval = defval;
  p.s = {USys, ROff, RPs, UOff, UPs};
  positional("argv_dist", pcb, promptline, p, pstatus);
}

void argv_filename(CmdBlk *pcb, const char *promptline, ImgBlk ib[], int blkno,
                   const char *defval, int *pstatus) {
  ImgBlk *pib = &ib[blkno];
  TextKind<IO_line, false> p{&pib->Name, defval};
  positional("argv_filename", pcb, promptline, p, pstatus);
  if (*pstatus != Success) return;
  extract_filenumbers(pib, &pib->Name, 1, pstatus);
}
