// The two option tables: the command-line vocabulary of every program.
#include <cstdio>
#include <cstdlib>

#include "rylpack/strlib.h"
#include "vilopack/vilo_option.h"

namespace {

struct Entry {
  int no;
  const char *code;
  int ptyp;
  int npar;
};

const Entry kCommandOptions[] = {
    {NTest, "test", IO_tpflag, 0},
    {NHelp, "h", IO_tpflag, 0},
    {NPrompt, "p", IO_tpflag, 0},
    {NShift, "shft", IO_tpflexp, 2},
    {NRSys, "rsys", IO_tprsys, 1},
    {NUSys, "usys", IO_tprsys, 1},
    {NGeneralBlock, "gblk", IO_tpflag, 0},
    {NPassHeader, "pass", IO_tpflag, 0},
    {NCreateVariance, "var", IO_tpflag, 0},
    {NAntiAliased, "aa", IO_tpflag, 0},
    {NVarianceWeight, "vw", IO_tpflag, 0},
    {NOutputDataType, "type", IO_tplong, 1},
    {NOutputDataValueOffset, "dvo", IO_tplong, 1},
    {NOutputCompression, "cmpr", IO_tplong, 1},
    {NBslInputByteOrder, "bibo", IO_tplong, 1},
    {NAdd, "add", IO_tplong, 1},
    {NIPMin, "pmin", IO_tpfloat, 1},
    {NMaxLineWidth, "mlw", IO_tplong, 1},
    {NMinHeaderSize, "mhs", IO_tplong, 1},
    {NCommonOrientation, "cori", IO_tpflag, 0},
    {NBeam, "beam", IO_tpflag, 0},
};

const Entry kImageOptions[] = {
    {NOpenMode, "mod", IO_tpmode, 1},
    {NName, "nam", IO_tpline, 1},
    {NMemory, "mem", IO_tplong, 1},
    {NFirst, "fst", IO_tplong, 1},
    {NLast, "lst", IO_tplong, 1},
    {NInc, "inc", IO_tplong, 1},
    {NMinClip, "min", IO_tpflexp, 1},
    {NMaxClip, "max", IO_tpflexp, 1},
    {NConst, "con", IO_tpflexp, 1},
    {NFactor, "fac", IO_tpflexp, 1},
    {NVal, "val", IO_tpflexp, 1},
    {NErrVal, "err", IO_tpflexp, 1},
    {NBin, "bin", IO_tplvexp, 2},
    {NAve, "ave", IO_tpflag, 0},
    {NGnaw, "gna", IO_tplvexp, 2},
    {NTitle, "tit", IO_tpline, 1},
    {NTime, "time", IO_tpline, 1},
    {NDim, "dim", IO_tplvexp, 2},
    {NDummy, "dum", IO_tpflexp, 1},
    {NDDummy, "ddum", IO_tpflexp, 1},
    {NOffset, "off", IO_tpflexp, 2},
    {NBinSiz, "bis", IO_tpflexp, 2},
    {NPixSiz, "pix", IO_tpflexp, 2},
    {NWaveLength, "wvl", IO_tpflexp, 1},
    {NOrientation, "ori", IO_tplvexp, 1},
    {NIndexOrder, "kori", IO_tplvexp, 1},
    {NProjection, "pro", IO_tppro, 1},
    {NAxisType, "axis", IO_tpaxis, 2},
    {NCenter, "cen", IO_tpflexp, 2},
    {NSampleDistance, "dis", IO_tpflexp, 1},
    {NDetRot, "rot", IO_tpflexp, 3},
    {NBeamCenter, "bcen", IO_tpflexp, 2},
    {NBeamDistance, "bdis", IO_tpflexp, 1},
    {NDetTilt, "tilt", IO_tpflexp, 3},
};

void set_entry(OptDsc &e, const char *code, int ptyp, int npar) {
  strlib_copy(e.code, IO_CodeLen, code);
  e.ptyp = ptyp;
  e.npar = npar;
}

// Writes header, the fixed entries and empty entries up to the end mark.
template <size_t N>
void fill_table(OptDsc t[], int len, const Entry (&entries)[N]) {
  set_entry(t[0], "Cmd", IO_tpflag, len - 1);
  for (int i = 1; i < len; ++i) set_entry(t[i], "", 0, 0);
  for (const Entry &e : entries) set_entry(t[e.no], e.code, e.ptyp, e.npar);
}

// A table too short for its entries is a programming error of the caller.
// It ends the process with exit code -1 like every other programming error,
// so that a broken program never reports success.
void too_short(const char *what) {
  std::printf("ERROR: %s option array too short\n", what);
  std::fflush(stdout);
  std::exit(-1);
}

}  // namespace

void InitCommandOptions(OptDsc co[], int len) {
  if (len < IO_CmdOptLen) too_short("Command");
  fill_table(co, IO_CmdOptLen, kCommandOptions);
  // The program-defined slots are typed but unnamed until a program declares
  // them; one parameter word each, none for flags.
  for (int i = NArgFst; i < NFlexpFst; ++i) set_entry(co[i], "", IO_tpfloat, 1);
  for (int i = NFlexpFst; i < NNumFst; ++i) set_entry(co[i], "", IO_tpflexp, 1);
  for (int i = NNumFst; i < NLvexpFst; ++i) set_entry(co[i], "", IO_tplong, 1);
  for (int i = NLvexpFst; i < NLinFst; ++i) set_entry(co[i], "", IO_tplvexp, 1);
  for (int i = NLinFst; i < NFlgFst; ++i) set_entry(co[i], "", IO_tpline, 1);
  for (int i = NFlgFst; i < NCmdLast; ++i) set_entry(co[i], "", IO_tpflag, 0);
}

void InitImageOptions(OptDsc io[], int len) {
  if (len < IO_ImgOptLen) too_short("Image");
  fill_table(io, IO_ImgOptLen, kImageOptions);
}
