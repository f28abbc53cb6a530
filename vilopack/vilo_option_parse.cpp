// Option parsing: the words in front of the positional arguments.
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "rylpack/filename.h"
#include "rylpack/ipol.h"
#include "rylpack/reference.h"
#include "rylpack/rylio.h"
#include "rylpack/strlib.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_expression.h"
#include "vilopack/vilo_help.h"
#include "vilopack/vilo_input.h"
#include "vilopack/vilo_option.h"

namespace {

const char *const kModule = "ViloOption";

// The word at index i, or null past the end of the vector.
const char *word_at(char *argv[], int argc, int i) {
  return (i >= 0 && i < argc) ? argv[i] : nullptr;
}

bool is_keep(const char *word) { return std::strcmp(word, "=") == 0; }

struct Word {
  const char *text;
  rlong value;
};

const Word kModes[] = {{"n+fp", 5}, {"n+ip", 9}, {"n", 1},    {"o+fp", 6}, {"o+ip", 10},
                       {"o", 2},    {"a+ip", 8}, {"a+fp", 4}, {"a", 0}};
const Word kSystems[] = {{"array", IO_Array},   {"image", IO_Image},   {"center", IO_Center},
                         {"region", IO_Region}, {"real", IO_Real},     {"normal", IO_Normal},
                         {"tangens", IO_Tangens}, {"vilo", IO_Vilo}};

// Looks a word up (case ignored, whole word only) in a table.
template <size_t N>
int scan_word(const char *word, const Word (&table)[N], rlong *pvalue, int *pstatus,
              void (*show)()) {
  if (!word) {
    *pstatus = ScanEmpty;
    return 0;
  }
  *pstatus = Success;
  if (is_keep(word)) return 0;
  char lower[IO_len];
  CopyLine(word, lower, sizeof lower, -1);
  for (const Word &w : table) {
    if (std::strcmp(lower, w.text) == 0) {
      *pvalue = w.value;
      return 1;
    }
  }
  *pstatus = ScanError;
  show();
  return 0;
}

int scan_text(const char *word, char *value, bool empty_ok, int *pstatus) {
  if (!word) {
    *pstatus = ScanEmpty;
    return 0;
  }
  *pstatus = Success;
  if (is_keep(word)) return 0;
  if (!empty_ok && !word[0]) {
    *pstatus = ScanError;
    return 0;
  }
  strlib_copy(value, IO_len, word);
  return 1;
}

// Reads the parameter words of an option into npar fields of one kind.
// Returns false on a failing scanner (status set).
template <typename T, typename Scan>
bool read_params(char *argv[], int *parg_no, int argc, int sign, T *fields, int npar, Scan scan,
                 int *pstatus) {
  for (int k = 0; k < npar; ++k) {
    ++*parg_no;
    int stored = scan(word_at(argv, argc, *parg_no), fields[k], pstatus);
    if (*pstatus != Success) return false;
    if (stored) fields[k].I = sign;
  }
  return true;
}

auto scan_long_field = [](const char *w, IO_long &f, int *ps) { return ScanLong(w, &f.V, ps); };
auto scan_float_field = [](const char *w, IO_float &f, int *ps) { return ScanFloat(w, &f.V, ps); };
auto scan_flexp_field = [](const char *w, IO_flexp &f, int *ps) { return ScanFlExp(w, f.V, ps); };
auto scan_lvexp_field = [](const char *w, IO_lvexp &f, int *ps) { return ScanLvExp(w, f.V, ps); };
auto scan_line_field = [](const char *w, IO_line &f, int *ps) { return ScanLine(w, f.V, ps); };
auto scan_mode_field = [](const char *w, IO_long &f, int *ps) { return ScanMode(w, &f.V, ps); };
auto scan_sys_field = [](const char *w, IO_long &f, int *ps) { return ScanSys(w, &f.V, ps); };
auto scan_pro_field = [](const char *w, IO_long &f, int *ps) { return ScanPro(w, &f.V, ps); };
auto scan_axis_field = [](const char *w, IO_long &f, int *ps) { return ScanAxis(w, &f.V, ps); };
// Program-defined text slots accept an empty word.
auto scan_any_text = [](const char *w, auto &f, int *ps) { return ScanLine(w, f.V, ps); };

// "type" and "cmpr": a name of the data-file library.
bool read_named_long(char *argv[], int *parg_no, int argc, int sign, IO_long &field,
                     rlong (*convert)(const char *), int *pstatus) {
  ++*parg_no;
  const char *word = word_at(argv, argc, *parg_no);
  if (!word) {
    *pstatus = ScanEmpty;
    return false;
  }
  if (is_keep(word)) return true;
  rlong value = convert(word);
  if (!value) {
    *pstatus = ScanError;
    return false;
  }
  field.V = value;
  field.I = sign;
  return true;
}

void set_flag(IO_long &field, int sign) {
  field.V = sign > 0 ? 1 : 0;
  field.I = sign;
}

}  // namespace

// ---- scanners ---------------------------------------------------------------

int ScanLong(const char *word, rlong *pvalue, int *pstatus) {
  if (!word) {
    *pstatus = ScanEmpty;
    return 0;
  }
  *pstatus = Success;
  if (is_keep(word)) return 0;
  rlong v = longexpr(word, pstatus);
  if (*pstatus != Success) return 0;
  *pvalue = v;
  return 1;
}

int ScanFloat(const char *word, float *pvalue, int *pstatus) {
  if (!word) {
    *pstatus = ScanEmpty;
    return 0;
  }
  *pstatus = Success;
  if (is_keep(word)) return 0;
  float v = floatexpr(word, pstatus);
  if (*pstatus != Success) return 0;
  *pvalue = v;
  return 1;
}

int ScanFlExp(const char *word, char *value, int *pstatus) {
  return scan_text(word, value, false, pstatus);
}

int ScanLvExp(const char *word, char *value, int *pstatus) {
  return scan_text(word, value, false, pstatus);
}

int ScanLine(const char *word, char *value, int *pstatus) {
  return scan_text(word, value, true, pstatus);
}

int ScanMode(const char *word, rlong *pvalue, int *pstatus) {
  return scan_word(word, kModes, pvalue, pstatus, ShowModes);
}

int ScanSys(const char *word, rlong *pvalue, int *pstatus) {
  return scan_word(word, kSystems, pvalue, pstatus, ShowSys);
}

namespace {

// A word turned into a number by a conversion that gives 0 for an unknown
// word; the valid words are shown after a rejected one.
int scan_converted(const char *word, rlong (*convert)(const char *), void (*show)(),
                   rlong *pvalue, int *pstatus) {
  if (!word) {
    *pstatus = ScanEmpty;
    return 0;
  }
  *pstatus = Success;
  if (is_keep(word)) return 0;
  rlong v = convert(word);
  if (!v) {
    *pstatus = ScanError;
    show();
    return 0;
  }
  *pvalue = v;
  return 1;
}

}  // namespace

int ScanPro(const char *word, rlong *pvalue, int *pstatus) {
  return scan_converted(word, strtopro, ShowPro, pvalue, pstatus);
}

int ScanAxis(const char *word, rlong *pvalue, int *pstatus) {
  return scan_converted(word, strtoaxis, ShowAxis, pvalue, pstatus);
}

// ---- word conversions -------------------------------------------------------

rlong strtopro(const char *word) {
  if (!word) return IO_NoPro;
  if (strlib_ncasecmp(word, "Vilo", 5) == 0) return IO_ProVilo;
  if (strlib_ncasecmp(word, "Waxs", 5) == 0) return IO_ProWaxs;
  return IO_NoPro;
}

const char *protostr(rlong pro) {
  switch (pro) {
    case IO_ProVilo: return "Vilo";
    case IO_ProWaxs: return "Waxs";
    default: return "<unknown>";
  }
}

rlong strtoaxis(const char *word) {
  if (!word) return IO_NoAxisType;
  if (strlib_ncasecmp(word, "Distance", 9) == 0) return IO_AxisTypeDistance;
  if (strlib_ncasecmp(word, "Angle", 6) == 0) return IO_AxisTypeAngle;
  if (strlib_ncasecmp(word, "Numerator", 10) == 0) return IO_AxisTypeNumerator;
  return IO_NoAxisType;
}

const char *axistostr(rlong axis) {
  switch (axis) {
    case IO_AxisTypeDistance: return "Distance";
    case IO_AxisTypeAngle: return "Angle";
    case IO_AxisTypeNumerator: return "Numerator";
    default: return "<unknown>";
  }
}

const char *reftostr(rlong rsys) {
  static const char *const kNames[] = {"Array",  "Image",  "Center",  "Region",
                                       "Real",   "Normal", "Tangens", "Vilo"};
  if (rsys >= IO_Array && rsys <= IO_Vilo) return kNames[rsys - 1];
  return "<unknown>";
}

// ---- file numbers after a name ----------------------------------------------

int scan_for_filenumber(IO_long *pnumber, const char *name, int parno, int opt_onoff,
                        int *pstatus) {
  *pstatus = Success;
  char item[IO_len];
  if (!filename_parameter(item, sizeof item, name, parno)) return 0;
  if (!item[0]) return 1;
  pnumber->I = opt_onoff;
  double value = doubleexpr(item, pstatus);
  if (*pstatus != Success) {
    SetViloErrorMessage(item);
    return 0;
  }
  pnumber->V = static_cast<rlong>(std::floor(value + 0.5));
  return 1;
}

void extract_filenumbers(ImgBlk *pib, IO_line *pName, int opt_onoff, int *pstatus) {
  *pstatus = Success;
  if (!pName->I) return;
  char name[IO_len];
  bool series = filename_parameter(name, sizeof name, pName->V, 0) && filename_has_pattern(name);
  IO_long *numbers[3];
  if (series) {
    numbers[0] = &pib->FFirst;
    numbers[1] = &pib->FLast;
    numbers[2] = &pib->FInc;
  } else {
    numbers[0] = &pib->First;
    numbers[1] = &pib->Last;
    numbers[2] = &pib->Inc;
  }
  for (int k = 0; k < 3; ++k) {
    if (!scan_for_filenumber(numbers[k], pName->V, k + 1, opt_onoff, pstatus)) return;
  }
}

// ---- options ----------------------------------------------------------------

void GetOption(const char *name, const OptDsc table[], int *popt_no, int *pstatus) {
  int last = table[0].npar;
  for (int i = 1; i < last; ++i) {
    if (table[i].code[0] && std::strcmp(table[i].code, name) == 0) {
      *popt_no = i;
      *pstatus = Success;
      return;
    }
  }
  *pstatus = NoOption;
}

int FindOption(char *argv[], int *parg_no, CmdBlk *pcb, int *pblk_no, int *popt_no,
               int *popt_onoff, int *pstatus) {
  *pblk_no = -2;
  *popt_no = 0;
  *popt_onoff = 0;
  *pstatus = Success;

  char word[IO_len];
  CopyLine(word_at(argv, pcb->argc, *parg_no + 1), word, sizeof word, -1);
  int sign;
  if (word[0] == '-') sign = -1;
  else if (word[0] == '+') sign = +1;
  else return 0;
  if (pcb->RejectNum && word[1] >= '0' && word[1] <= '9') return 0;

  ++*parg_no;
  *popt_onoff = sign;
  *pstatus = ScanError;

  const char *name = word + 1;
  int blk = -1;
  if (name[0] == 'i') {
    if (name[1] < '1' || name[1] > '9') return 1;
    blk = name[1] - '0';
    name += 2;
  } else if (name[0] == 'o') {
    if (pcb->ImgBlkLen <= 0) return 1;
    blk = 0;
    name += 1;
  }
  if (!name[0]) return 1;
  *pblk_no = blk;
  *pstatus = NoOption;
  if (blk >= 0) GetOption(name, pcb->io.data(), popt_no, pstatus);
  else GetOption(name, pcb->co.data(), popt_no, pstatus);
  return 1;
}

void DoOption(char *argv[], int *parg_no, int blk_no, int opt_no, int opt_onoff,
              CmdBlk *pcb, ImgBlk ib[], int ib_len, int *pstatus) {
  if (pcb->TestBit)
    std::printf("blk_no = %d, opt_no = %d, opt_onoff = %d\n", blk_no, opt_no, opt_onoff);
  if (blk_no >= 0 && blk_no < ib_len) {
    DoImgOption(argv, parg_no, opt_no, opt_onoff, pcb, &ib[blk_no], pstatus);
  } else if (blk_no == -1) {
    DoCmdOption(argv, parg_no, opt_no, opt_onoff, pcb, pstatus);
  } else {
    *pstatus = NoOption;
  }
}

void DoCmdOption(char *argv[], int *parg_no, int opt_no, int opt_onoff, CmdBlk *pcb,
                 int *pstatus) {
  *pstatus = ScanError;
  const int argc = pcb->argc;
  const int s = opt_onoff;
  bool ok = true;
  switch (opt_no) {
    case NTest:
      pcb->TestBit = s > 0 ? pcb->TestBit + 1 : 0;
      break;
    case NHelp:
      set_flag(pcb->Help, s);
      ShowHelp(pcb);
      *pstatus = StoppedAfterHelp;
      return;
    case NPrompt: set_flag(pcb->Prompt, s); break;
    case NShift:
      ok = read_params(argv, parg_no, argc, s, &pcb->Shift[1], 2, scan_flexp_field, pstatus);
      break;
    case NRSys:
      ok = read_params(argv, parg_no, argc, s, &pcb->RSys, 1, scan_sys_field, pstatus);
      if (ok && !pcb->USys.I) pcb->USys.V = pcb->RSys.V;
      break;
    case NUSys:
      ok = read_params(argv, parg_no, argc, s, &pcb->USys, 1, scan_sys_field, pstatus);
      break;
    case NGeneralBlock: set_flag(pcb->GeneralBlock, s); break;
    case NPassHeader: set_flag(pcb->PassHeader, s); break;
    case NCreateVariance: set_flag(pcb->CreateVariance, s); break;
    case NAntiAliased: set_flag(pcb->AntiAliased, s); break;
    case NVarianceWeight: set_flag(pcb->VarianceWeight, s); break;
    case NOutputDataType:
      ok = read_named_long(argv, parg_no, argc, s, pcb->OutputDataType, ryl_string2datatype,
                           pstatus);
      break;
    case NOutputCompression:
      ok = read_named_long(argv, parg_no, argc, s, pcb->OutputCompression,
                           ryl_string2compression, pstatus);
      break;
    case NOutputDataValueOffset:
      ok = read_params(argv, parg_no, argc, s, &pcb->OutputDataValueOffset, 1, scan_long_field,
                       pstatus);
      break;
    case NBslInputByteOrder:
      ok = read_params(argv, parg_no, argc, s, &pcb->BslInputByteOrder, 1, scan_long_field,
                       pstatus);
      break;
    case NAdd: ok = read_params(argv, parg_no, argc, s, &pcb->Add, 1, scan_long_field, pstatus); break;
    case NIPMin:
      ok = read_params(argv, parg_no, argc, s, &pcb->IPMin, 1, scan_float_field, pstatus);
      if (ok) Ipolmin(pcb->IPMin.V);
      break;
    case NMaxLineWidth:
      ok = read_params(argv, parg_no, argc, s, &pcb->MaxLineWidth, 1, scan_long_field, pstatus);
      break;
    case NMinHeaderSize:
      ok = read_params(argv, parg_no, argc, s, &pcb->MinHeaderSize, 1, scan_long_field, pstatus);
      break;
    case NCommonOrientation:
      pcb->CommonOrientation.I = s;  // the value is left to the image loop
      break;
    case NBeam:
      pcb->Beam.V = s;
      pcb->Beam.I = s;
      break;
    default:
      if (opt_no >= NArgFst && opt_no < NFlexpFst) {
        ok = read_params(argv, parg_no, argc, s, &pcb->Arg[opt_no - NArgFst], 1,
                         scan_float_field, pstatus);
      } else if (opt_no >= NFlexpFst && opt_no < NNumFst) {
        ok = read_params(argv, parg_no, argc, s, &pcb->Flexp[opt_no - NFlexpFst], 1,
                         scan_any_text, pstatus);
      } else if (opt_no >= NNumFst && opt_no < NLvexpFst) {
        ok = read_params(argv, parg_no, argc, s, &pcb->Num[opt_no - NNumFst], 1,
                         scan_long_field, pstatus);
      } else if (opt_no >= NLvexpFst && opt_no < NLinFst) {
        ok = read_params(argv, parg_no, argc, s, &pcb->Lvexp[opt_no - NLvexpFst], 1,
                         scan_any_text, pstatus);
      } else if (opt_no >= NLinFst && opt_no < NFlgFst) {
        ok = read_params(argv, parg_no, argc, s, &pcb->Lin[opt_no - NLinFst], 1,
                         scan_any_text, pstatus);
      } else if (opt_no >= NFlgFst && opt_no < NCmdLast) {
        set_flag(pcb->Flg[opt_no - NFlgFst], s);
      } else {
        *pstatus = NoOption;
        return;
      }
  }
  if (ok) *pstatus = Success;
}

void DoImgOption(char *argv[], int *parg_no, int opt_no, int opt_onoff, CmdBlk *pcb,
                 ImgBlk *pib, int *pstatus) {
  *pstatus = ScanError;
  const int argc = pcb->argc;
  const int s = opt_onoff;
  ImgBlk &b = *pib;
  bool ok = true;
  switch (opt_no) {
    case NOpenMode: ok = read_params(argv, parg_no, argc, s, &b.OpenMode, 1, scan_mode_field, pstatus); break;
    case NName:
      ok = read_params(argv, parg_no, argc, s, &b.Name, 1, scan_line_field, pstatus);
      if (ok) {
        extract_filenumbers(pib, &b.Name, s, pstatus);
        ok = *pstatus == Success;
      }
      break;
    case NMemory: ok = read_params(argv, parg_no, argc, s, &b.Memory, 1, scan_long_field, pstatus); break;
    case NFirst: ok = read_params(argv, parg_no, argc, s, &b.First, 1, scan_long_field, pstatus); break;
    case NLast: ok = read_params(argv, parg_no, argc, s, &b.Last, 1, scan_long_field, pstatus); break;
    case NInc: ok = read_params(argv, parg_no, argc, s, &b.Inc, 1, scan_long_field, pstatus); break;
    case NMinClip: ok = read_params(argv, parg_no, argc, s, &b.MinClip, 1, scan_flexp_field, pstatus); break;
    case NMaxClip: ok = read_params(argv, parg_no, argc, s, &b.MaxClip, 1, scan_flexp_field, pstatus); break;
    case NConst: ok = read_params(argv, parg_no, argc, s, &b.Const, 1, scan_flexp_field, pstatus); break;
    case NFactor: ok = read_params(argv, parg_no, argc, s, &b.Factor, 1, scan_flexp_field, pstatus); break;
    case NVal: ok = read_params(argv, parg_no, argc, s, &b.Val, 1, scan_flexp_field, pstatus); break;
    case NErrVal: ok = read_params(argv, parg_no, argc, s, &b.ErrVal, 1, scan_flexp_field, pstatus); break;
    case NBin: ok = read_params(argv, parg_no, argc, s, &b.Bin[1], 2, scan_lvexp_field, pstatus); break;
    case NAve: set_flag(b.Ave, s); break;
    case NGnaw: ok = read_params(argv, parg_no, argc, s, &b.Gnaw[1], 2, scan_lvexp_field, pstatus); break;
    case NTitle: ok = read_params(argv, parg_no, argc, s, &b.Title, 1, scan_line_field, pstatus); break;
    case NTime: ok = read_params(argv, parg_no, argc, s, &b.Time, 1, scan_line_field, pstatus); break;
    case NDim: ok = read_params(argv, parg_no, argc, s, &b.Dim[1], 2, scan_lvexp_field, pstatus); break;
    case NDummy: ok = read_params(argv, parg_no, argc, s, &b.Dummy, 1, scan_flexp_field, pstatus); break;
    case NDDummy: ok = read_params(argv, parg_no, argc, s, &b.DDummy, 1, scan_flexp_field, pstatus); break;
    case NOffset: ok = read_params(argv, parg_no, argc, s, &b.Offset[1], 2, scan_flexp_field, pstatus); break;
    case NBinSiz: ok = read_params(argv, parg_no, argc, s, &b.BinSiz[1], 2, scan_flexp_field, pstatus); break;
    case NPixSiz: ok = read_params(argv, parg_no, argc, s, &b.PixSiz[1], 2, scan_flexp_field, pstatus); break;
    case NWaveLength: ok = read_params(argv, parg_no, argc, s, &b.WaveLength, 1, scan_flexp_field, pstatus); break;
    case NOrientation: ok = read_params(argv, parg_no, argc, s, &b.Orientation, 1, scan_lvexp_field, pstatus); break;
    case NIndexOrder: ok = read_params(argv, parg_no, argc, s, &b.IndexOrder, 1, scan_lvexp_field, pstatus); break;
    case NProjection: ok = read_params(argv, parg_no, argc, s, &b.Projection, 1, scan_pro_field, pstatus); break;
    case NAxisType: ok = read_params(argv, parg_no, argc, s, &b.AxisType[1], 2, scan_axis_field, pstatus); break;
    case NCenter: ok = read_params(argv, parg_no, argc, s, &b.Center[1], 2, scan_flexp_field, pstatus); break;
    case NSampleDistance: ok = read_params(argv, parg_no, argc, s, &b.SampleDistance, 1, scan_flexp_field, pstatus); break;
    case NDetRot: ok = read_params(argv, parg_no, argc, s, &b.DetRot[1], 3, scan_flexp_field, pstatus); break;
    case NBeamCenter: ok = read_params(argv, parg_no, argc, s, &b.BeamCenter[1], 2, scan_flexp_field, pstatus); break;
    case NBeamDistance: ok = read_params(argv, parg_no, argc, s, &b.BeamDistance, 1, scan_flexp_field, pstatus); break;
    case NDetTilt: ok = read_params(argv, parg_no, argc, s, &b.DetTilt[1], 3, scan_flexp_field, pstatus); break;
    default: *pstatus = NoOption; return;
  }
  if (ok) *pstatus = Success;
}

void ReadOptions(char *argv[], int *parg_no, CmdBlk *pcb, ImgBlk ib[], int *pstatus) {
  if (pcb->TestBit) std::printf(" %s \n", "ReadOptions");
  if (!pcb->MainName && argv) pcb->MainName = argv[0];
  if (pcb->argc == 0 && argv)
    while (argv[pcb->argc]) ++pcb->argc;
  if (!pcb->argv) pcb->argv = argv;
  if (!pcb->parg_no) pcb->parg_no = parg_no;
  SetViloError(kModule, "ReadOptions", nullptr);
  *pstatus = Success;

  ryl_history_new(ViloHistoryKey);

  for (;;) {
    int blk_no, opt_no, opt_onoff;
    if (!FindOption(argv, parg_no, pcb, &blk_no, &opt_no, &opt_onoff, pstatus)) {
      // The program's name and every consumed word go into the history.
      char name[IO_len];
      RightFR(argv[0], "/", name, sizeof name);
      ryl_history_argv(ViloHistoryKey, name);
      for (int i = 1; i <= *parg_no && i < pcb->argc; ++i) ryl_history_argv(ViloHistoryKey, argv[i]);
      if (pcb->TestBit) {
        std::printf("List :");
        for (int i = 1; i < pcb->argc; ++i) std::printf(" %s", argv[i]);
        std::printf("\n");
        PrintOptions("CommandOptions", pcb->co.data(), static_cast<int>(pcb->co.size()));
        PrintOptions("ImageOptions", pcb->io.data(), static_cast<int>(pcb->io.size()));
        PrintBlocks(pcb, ib);
      }
      *pstatus = Success;
      break;
    }
    if (*pstatus == Success)
      DoOption(argv, parg_no, blk_no, opt_no, opt_onoff, pcb, ib, pcb->ImgBlkLen, pstatus);
    if (*pstatus != Success) break;
  }

  if (*pstatus != Success) {
    if (*pstatus != StoppedAfterHelp) {
      char msg[3 * IO_len];
      int last = *parg_no;
      if (last >= pcb->argc)
        std::snprintf(msg, sizeof msg, "    %s ... ", argv[pcb->argc - 1]);
      else if (last >= 1)
        std::snprintf(msg, sizeof msg, "    %s %s ... ", argv[last - 1], argv[last]);
      else
        msg[0] = '\0';
      if (msg[0]) SetViloErrorMessage(msg);
    }
    pcb->co.clear();
    pcb->co.shrink_to_fit();
  }
  pcb->io.clear();
  pcb->io.shrink_to_fit();
}
