// Checks and fixed-slot declarations of program-defined options.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "rylpack/strlib.h"
#include "vilopack/vilo_input.h"
#include "vilopack/vilo_option.h"

int IsOutputOption(const char *name) { return name && name[0] == 'o'; }

int IsInputOption(const char *name) {
  return name && name[0] == 'i' && name[1] >= '0' && name[1] <= '9';
}

int CheckOptionDuplication(CmdBlk *pcb, const char *name) {
  if (!name) return 0;
  // Words beginning with "o" or "i<digit>" are always read as image options,
  // so no command option may be named like that. An empty name could never
  // be given on the command line; it is refused as well.
  if (!name[0] || IsOutputOption(name) || IsInputOption(name)) return 1;
  char code[IO_CodeLen];
  strlib_copy(code, IO_CodeLen, name);
  for (size_t i = 1; i < pcb->co.size(); ++i)
    if (pcb->co[i].code[0] && std::strcmp(pcb->co[i].code, code) == 0) return 1;
  return 0;
}

namespace {

void define_fixed(CmdBlk *pcb, const char *name, int first, int count, int number, int ptyp,
                  int npar, const char *what) {
  if (CheckOptionDuplication(pcb, name)) {
    std::printf("%s-%s\n", "ERROR: Option duplicated or reserved: ", name);
    std::fflush(stdout);
    std::exit(-1);
  }
  if (number < 0 || number >= count) {
    std::printf("%s%s, %s = %d \n", "ERROR: Option definition failed: ", name, what, number);
    std::fflush(stdout);
    std::exit(-1);
  }
  OptDsc &e = pcb->co[first + number];
  CopyLine(name, e.code, IO_CodeLen, -1);
  e.ptyp = ptyp;
  e.npar = npar;
}

}  // namespace

void DefFloatOption(CmdBlk *pcb, const char *name, int argopt_no) {
  define_fixed(pcb, name, NArgFst, IO_MaxFloatOpt, argopt_no, IO_tpfloat, 1, "argopt_no");
}

void DefIntOption(CmdBlk *pcb, const char *name, int numopt_no) {
  define_fixed(pcb, name, NNumFst, IO_MaxIntOpt, numopt_no, IO_tplong, 1, "numopt_no");
}

void DefLineOption(CmdBlk *pcb, const char *name, int linopt_no) {
  define_fixed(pcb, name, NLinFst, IO_MaxLineOpt, linopt_no, IO_tpline, 1, "linopt_no");
}

void DefFlgOption(CmdBlk *pcb, const char *name, int flgopt_no) {
  define_fixed(pcb, name, NFlgFst, IO_MaxFlagOpt, flgopt_no, IO_tpflag, 0, "flgopt_no");
}
