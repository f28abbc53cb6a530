// The question primitives of the dialogue: one prompt, one answer line.
#include <cctype>
#include <cstdio>
#include <cstring>

#include "rylpack/strlib.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_expression.h"
#include "vilopack/vilo_input.h"

namespace {

constexpr char kEOD = 4;
constexpr int AnswerEdit = UnComment | Trim;   // 0x12: comment cut, collapsed, trimmed

// The first four characters of line in lower case (fewer when it is shorter).
void head4(const char *line, char out[5]) {
  int n = 0;
  for (; n < 4 && line[n]; ++n) out[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(line[n])));
  out[n] = '\0';
}

void put_prompt(const char *Prompt, int Flag, const char *shown) {
  std::printf("%s ", Prompt ? Prompt : "");
  if (Flag) std::printf("[%-s] ", shown ? shown : "");
  std::printf(": ");
  std::fflush(stdout);
}

// Reads one line into buf (BufLen bytes). A line that does not fit is cut;
// the rest up to the line end is read and dropped so that it cannot pose as
// the next answer. Returns true when the dropped rest held the
// end-of-transmission character. At the end of the input buf is empty.
bool read_answer(FILE *Fptr, char *buf) {
  buf[0] = '\0';
  if (!Fptr || !std::fgets(buf, BufLen, Fptr)) {
    buf[0] = '\0';
    return false;
  }
  std::size_t n = std::strlen(buf);
  if (n > 0 && buf[n - 1] == '\n') return false;
  bool eod = false;
  for (int c = std::getc(Fptr); c != EOF && c != '\n'; c = std::getc(Fptr))
    if (c == kEOD) eod = true;
  return eod;
}

// Puts the question and reads the answer: Abort, SkipInput, or Success with
// the edited answer in buf and *pnull set for a null token (only looked for
// when text is set).
int ask(FILE *Fptr, const char *Prompt, int Flag, const char *shown, bool text, char *buf,
        bool *pnull) {
  *pnull = false;
  put_prompt(Prompt, Flag, shown);
  bool eod_in_rest = read_answer(Fptr, buf);
  if (eod_in_rest || AbortCheck(buf)) return Abort;
  if (SkipCheck(buf)) return SkipInput;
  if (text && NullCheck(buf)) {
    buf[0] = '\0';
    *pnull = true;
    return Success;
  }
  EditLine(AnswerEdit, buf);
  return Success;
}

// The common part of GetLine and GetString: the resulting text in out.
int text_question(FILE *Fptr, char *out, int Flag, const char *Prompt, const char *DefVal) {
  // A private copy, because the caller may read the answer into its default.
  char def[BufLen];
  strlib_copy(def, sizeof def, DefVal);
  char buf[BufLen];
  bool null_answer;
  int status = ask(Fptr, Prompt, Flag, def, true, buf, &null_answer);
  if (status != Success) return status;
  if (null_answer) {
    out[0] = '\0';
    return Success;
  }
  if (buf[0] == '\0') {
    if (!Flag) return NoDefault;
    if (SkipCheck(def)) return SkipInput;
    strlib_copy(out, BufLen, def);
    return Success;
  }
  strlib_copy(out, BufLen, buf);
  return Success;
}

template <typename T, typename Convert>
int number_question(FILE *Fptr, T *Value, int Flag, const char *Prompt, const char *shown,
                    T DefVal, Convert convert) {
  char buf[BufLen];
  bool null_answer;
  int status = ask(Fptr, Prompt, Flag, shown, false, buf, &null_answer);
  if (status != Success) return status;
  if (buf[0] == '\0') {
    if (!Flag) return NoDefault;
    *Value = DefVal;
    return Success;
  }
  T value = convert(buf, &status);
  if (status != Success) {
    SetViloErrorMessage(buf);
    return status;
  }
  *Value = value;
  return Success;
}

}  // namespace

int AbortCheck(const char *line) {
  if (!line) return 0;
  if (std::strchr(line, kEOD)) return 1;
  char h[5];
  head4(line, h);
  return (std::strstr(h, "$exi") || std::strstr(h, "$eod") || std::strstr(h, "\\\\")) ? 1 : 0;
}

int SkipCheck(const char *line) {
  if (!line || std::strncmp(line, "...", 3) != 0) return 0;
  if (line[3] == '\0') return 1;
  return (std::iscntrl(static_cast<unsigned char>(line[3])) && line[4] == '\0') ? 1 : 0;
}

int NullCheck(const char *line) {
  if (!line) return 0;
  char h[5];
  head4(line, h);
  return (std::strstr(h, "$nul") || std::strstr(h, "$nix")) ? 1 : 0;
}

int DefaultCheck(const char *line) {
  char buf[BufLen];
  strlib_copy(buf, sizeof buf, line);
  EditLine(AnswerEdit, buf);
  return buf[0] == '\0' ? 1 : 0;
}

int GetLine(FILE *Fptr, char *Value, int Flag, const char *Prompt, const char *DefVal) {
  char out[BufLen];
  int status = text_question(Fptr, out, Flag, Prompt, DefVal);
  if (status == Success) strlib_copy(Value, BufLen, out);
  return status;
}

int GetString(FILE *Fptr, std::string *Value, int Flag, const char *Prompt, const char *DefVal) {
  char out[BufLen];
  int status = text_question(Fptr, out, Flag, Prompt, DefVal);
  if (status == Success) *Value = out;
  return status;
}

int GetLong(FILE *Fptr, rlong *Value, int Flag, const char *Prompt, rlong DefVal) {
  char shown[32];
  std::snprintf(shown, sizeof shown, "%ld", static_cast<long>(DefVal));
  return number_question(Fptr, Value, Flag, Prompt, shown, DefVal, longexpr);
}

int GetInteger(FILE *Fptr, int *Value, int Flag, const char *Prompt, int DefVal) {
  char shown[32];
  std::snprintf(shown, sizeof shown, "%d", DefVal);
  return number_question(Fptr, Value, Flag, Prompt, shown, DefVal,
                         [](const char *s, int *pstatus) { return static_cast<int>(longexpr(s, pstatus)); });
}

int GetReal(FILE *Fptr, float *Value, int Flag, const char *Prompt, float DefVal) {
  char shown[64];
  std::snprintf(shown, sizeof shown, "%g", static_cast<double>(DefVal));
  return number_question(Fptr, Value, Flag, Prompt, shown, DefVal, floatexpr);
}

int GetDouble(FILE *Fptr, double *Value, int Flag, const char *Prompt, double DefVal) {
  char shown[64];
  std::snprintf(shown, sizeof shown, "%g", DefVal);
  return number_question(Fptr, Value, Flag, Prompt, shown, DefVal, doubleexpr);
}
