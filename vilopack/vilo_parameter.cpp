#include "vilopack/vilo_parameter.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rylpack/strlib.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_expression.h"
#include "vilopack/vilo_input.h"
#include "vilopack/vilo_replacekey.h"

namespace {

const char *const kModule = "ViloParameter";

struct SlotRange {
  int ptyp;
  int first;   // first slot in the command option table
  int count;
};

const SlotRange kRanges[] = {
    {IO_tpfloat, NArgFst, IO_MaxFloatOpt},  {IO_tpflexp, NFlexpFst, IO_MaxFlexpOpt},
    {IO_tplong, NNumFst, IO_MaxIntOpt},     {IO_tplvexp, NLvexpFst, IO_MaxLvexpOpt},
    {IO_tpline, NLinFst, IO_MaxLineOpt},    {IO_tpflag, NFlgFst, IO_MaxFlagOpt},
};

const SlotRange *range_of_type(int ptyp) {
  for (const auto &r : kRanges)
    if (r.ptyp == ptyp) return &r;
  return nullptr;
}

const SlotRange *range_of_slot(int slot) {
  for (const auto &r : kRanges)
    if (slot >= r.first && slot < r.first + r.count) return &r;
  return nullptr;
}

[[noreturn]] void definition_failed(const char *option, const char *defval) {
  if (defval)
    std::fprintf(stderr, "%s%s: %s\n", "ERROR: Option definition failed: ", option, defval);
  else
    std::fprintf(stderr, "%s%s\n", "ERROR: Option definition failed: ", option);
  std::exit(-1);
}

// First free slot of the type's range, named after the option.
int new_command_option(CmdBlk *pcb, int ptyp, const char *option) {
  const SlotRange *r = range_of_type(ptyp);
  if (!r) return 0;
  for (int slot = r->first; slot < r->first + r->count; ++slot) {
    OptDsc &e = pcb->co[slot];
    if (e.code[0]) continue;
    CopyLine(option, e.code, IO_CodeLen, -1);
    e.ptyp = ptyp;
    return slot;
  }
  return 0;
}

// Where the value of a slot lives, typed by its range.
struct SlotValue {
  int ptyp = 0;
  int index = 0;
};

SlotValue slot_value(int slot) {
  const SlotRange *r = range_of_slot(slot);
  if (!r) return {};
  return {r->ptyp, slot - r->first};
}

// Common first steps of the readers: announce, find the slot, check its type.
// Returns the slot's value location or ptyp 0 with the status set.
SlotValue find_for_reading(const char *routine, const char *option, CmdBlk *pcb,
                           int type_a, int type_b, int *pstatus) {
  if (!pcb) {
    *pstatus = Failed;
    return {};
  }
  SetViloError(kModule, routine, option);
  int slot = search_command_option(pcb, option);
  if (!slot) {
    *pstatus = NoOption;
    return {};
  }
  SlotValue v = slot_value(slot);
  if (v.ptyp != type_a && v.ptyp != type_b) {
    *pstatus = OutOfRange;
    return {};
  }
  return v;
}

}  // namespace

int search_command_option(CmdBlk *pcb, const char *option) {
  if (!pcb || !option || !option[0] || option[0] == '#' || pcb->co.empty()) return 0;
  char name[IO_CodeLen];
  strlib_copy(name, IO_CodeLen, option);
  int last = pcb->co[0].npar;
  for (int i = 1; i < last && i < static_cast<int>(pcb->co.size()); ++i)
    if (pcb->co[i].code[0] && std::strcmp(pcb->co[i].code, name) == 0) return i;
  return 0;
}

int option_type(const char *option, CmdBlk *pcb) {
  int slot = search_command_option(pcb, option);
  return slot ? pcb->co[slot].ptyp : 0;
}

const char *option_type2string(int ptyp) {
  switch (ptyp) {
    case IO_tpflag: return "flag";
    case IO_tpline: return "line";
    case IO_tplong: return "long";
    case IO_tplvexp: return "lvexp";
    case IO_tpfloat: return "float";
    case IO_tpflexp: return "flexp";
    case IO_tpmode: return "mode";
    case IO_tprsys: return "rsys";
    default: return "none";
  }
}

void option_define(int ptyp, const char *option, const char *defval, CmdBlk *pcb) {
  if (pcb->TestBit)
    std::printf("option_define: type=%s, default %s.V=%s\n", option_type2string(ptyp),
                option ? option : "", defval ? defval : "");
  if (CheckOptionDuplication(pcb, option)) {
    std::fprintf(stderr, "%s-%s\n", "ERROR: Option duplicated or reserved: ", option);
    std::exit(-1);
  }
  int slot = new_command_option(pcb, ptyp, option);
  if (!slot) definition_failed(option, nullptr);
  pcb->co[slot].npar = 1;

  // The default never counts as given: the flags stay 0.
  SlotValue v = slot_value(slot);
  int status = Success;
  switch (v.ptyp) {
    case IO_tpflag: pcb->Flg[v.index].V = longexpr(defval, &status); break;
    case IO_tplong: pcb->Num[v.index].V = longexpr(defval, &status); break;
    case IO_tpfloat: pcb->Arg[v.index].V = floatexpr(defval, &status); break;
    case IO_tpline: strlib_copy(pcb->Lin[v.index].V, IO_len, defval); break;
    case IO_tplvexp: strlib_copy(pcb->Lvexp[v.index].V, IO_len, defval); break;
    case IO_tpflexp: strlib_copy(pcb->Flexp[v.index].V, IO_len, defval); break;
    default: status = Failed; break;
  }
  if (status != Success) definition_failed(option, defval ? defval : "");
}

IO_float option_float(const char *option, CmdBlk *pcb, ImgBlk ib[], rlong num[], int blkno,
                      int *pstatus) {
  IO_float out{0.0f, 0};
  SlotValue v = find_for_reading("option_float", option, pcb, IO_tpfloat, IO_tpflexp, pstatus);
  if (!v.ptyp) return out;
  if (v.ptyp == IO_tpfloat) {
    out = pcb->Arg[v.index];
  } else {
    out.I = pcb->Flexp[v.index].I;
    out.V = floatkeyvalue(pcb->Flexp[v.index].V, pcb, ib, num, blkno, pstatus);
    if (*pstatus != Success) return out;
  }
  if (pcb->TestBit) std::printf("option_float: %s.I=%d, %s.V=%g\n", option, out.I, option, out.V);
  *pstatus = Success;
  return out;
}

IO_long option_long(const char *option, CmdBlk *pcb, ImgBlk ib[], rlong num[], int blkno,
                    int *pstatus) {
  IO_long out{0, 0};
  SlotValue v = find_for_reading("option_long", option, pcb, IO_tplong, IO_tplvexp, pstatus);
  if (!v.ptyp) return out;
  if (v.ptyp == IO_tplong) {
    out = pcb->Num[v.index];
  } else {
    out.I = pcb->Lvexp[v.index].I;
    out.V = longkeyvalue(pcb->Lvexp[v.index].V, pcb, ib, num, blkno, pstatus);
    if (*pstatus != Success) return out;
  }
  if (pcb->TestBit)
    std::printf("option_long: %s.I=%d, %s.V=" RLONG_FMT "\n", option, out.I, option, out.V);
  *pstatus = Success;
  return out;
}

IO_line option_line(const char *option, CmdBlk *pcb, ImgBlk ib[], rlong num[], int blkno,
                    int *pstatus) {
  IO_line out;
  out.V[0] = '\0';
  out.I = 0;
  SlotValue v = find_for_reading("option_line", option, pcb, IO_tpline, IO_tpline, pstatus);
  if (!v.ptyp) return out;
  out.I = pcb->Lin[v.index].I;
  if (num) {
    linekeyvalue(out.V, IO_len, pcb->Lin[v.index].V, 0, pcb, ib, num, blkno, pstatus);
    if (*pstatus != Success) return out;
  } else {
    strlib_copy(out.V, IO_len, pcb->Lin[v.index].V);
  }
  if (pcb->TestBit)
    std::printf("option_line: %s.I=%d, %s.V=\"%s\"\n", option, out.I, option, out.V);
  *pstatus = Success;
  return out;
}

IO_long option_flag(const char *option, CmdBlk *pcb, int *pstatus) {
  IO_long out{0, 0};
  SlotValue v = find_for_reading("option_flag", option, pcb, IO_tpflag, IO_tpflag, pstatus);
  if (!v.ptyp) return out;
  out = pcb->Flg[v.index];
  if (pcb->TestBit)
    std::printf("option_flag: %s.I=%d, %s.V=" RLONG_FMT "\n", option, out.I, option, out.V);
  *pstatus = Success;
  return out;
}

void *option_parameter_search(const char *option, CmdBlk *pcb, int *pstatus) {
  *pstatus = Success;
  int slot = search_command_option(pcb, option);
  if (!slot) {
    *pstatus = NoOption;
    return nullptr;
  }
  SlotValue v = slot_value(slot);
  switch (v.ptyp) {
    case IO_tpfloat: return &pcb->Arg[v.index];
    case IO_tpflexp: return &pcb->Flexp[v.index];
    case IO_tplong: return &pcb->Num[v.index];
    case IO_tplvexp: return &pcb->Lvexp[v.index];
    case IO_tpline: return &pcb->Lin[v.index];
    case IO_tpflag: return &pcb->Flg[v.index];
    default: *pstatus = NoOption; return nullptr;
  }
}

void option_parameter_update(const char *Value, int I, const char *option, CmdBlk *pcb,
                             int *pstatus) {
  *pstatus = Success;
  if (pcb && pcb->TestBit) std::printf("option_parameter_update: option=%s\n", option);
  int slot = search_command_option(pcb, option);
  if (!slot) {
    *pstatus = NoOption;
    return;
  }
  SlotValue v = slot_value(slot);
  switch (v.ptyp) {
    case IO_tpfloat: {
      float f = floatexpr(Value, pstatus);
      if (*pstatus == Success) pcb->Arg[v.index] = {f, I};
      break;
    }
    case IO_tplong:
    case IO_tpflag: {
      rlong n = longexpr(Value, pstatus);
      if (*pstatus != Success) break;
      IO_long &field = v.ptyp == IO_tplong ? pcb->Num[v.index] : pcb->Flg[v.index];
      field = {n, I};
      break;
    }
    case IO_tpflexp:
      strlib_copy(pcb->Flexp[v.index].V, IO_len, Value);
      pcb->Flexp[v.index].I = I;
      break;
    case IO_tplvexp:
      strlib_copy(pcb->Lvexp[v.index].V, IO_len, Value);
      pcb->Lvexp[v.index].I = I;
      break;
    case IO_tpline:
      strlib_copy(pcb->Lin[v.index].V, IO_len, Value);
      pcb->Lin[v.index].I = I;
      break;
    default: *pstatus = NoOption; break;
  }
}

void option_flag_update(rlong Value, int I, const char *option, CmdBlk *pcb, int *pstatus) {
  *pstatus = Success;
  if (pcb && pcb->TestBit)
    std::printf("option_flag_update: option=%s V=" RLONG_FMT " I=%d\n", option, Value, I);
  int slot = search_command_option(pcb, option);
  if (!slot) {
    *pstatus = NoOption;
    return;
  }
  SlotValue v = slot_value(slot);
  if (v.ptyp != IO_tpflag) {
    *pstatus = OutOfRange;
    return;
  }
  pcb->Flg[v.index] = {Value, I};
}

const char *option_parameter_version() { return "ViloParameter : V0.97 Tessmor 2007-06-17"; }
