#include "src/band.h"

#include <cstdio>
#include <cstring>

#include "vilopack/vilo_error.h"
#include "vilopack/vilo_option.h"
#include "vilopack/vilo_parameter.h"

#define BAND_USAGE_HEAD                                                        \
  "[options] \n"                                                               \
  "             <i1nam> <i2nam> <onam> <i1fst> <i1lst> <i1inc> <i2fst>\n"      \
  "             <odum> <odim1> <odim2> <i1fac> <i1con> <i2fac> <i2con>\n"      \
  "             <ofac> <ocon>\n"

const BandProgram kBandPlus = {
    "bandplus",
    BAND_USAGE_HEAD "         --- Average rows of i2 and add results to rows of i1 ---",
    "bandplus V4.63 2012-01-31, Tessmor",
    +1,
};

const BandProgram kBandMinus = {
    "bandminus",
    BAND_USAGE_HEAD "         --- Average rows of i2 and subtract results from rows of i1 ---",
    "bandminus V4.63 2012-01-31, Tessmor",
    -1,
};

void band_init(const BandProgram &program, CmdBlk *pcb, ImgBlk ib[]) {
  // RejectNum 1: a negative number such as the dummy value -1 may stand
  // among the positional arguments.
  InitOptions(program.usage, program.version, nullptr, 1, pcb, ib, kBandBlocks);
}

void band_declare_options(CmdBlk *pcb) {
  // The first and last coordinate of the band of rows of input 2. While an
  // option is not given its flag stays 0 and the whole extent is used.
  option_define(IO_tpflexp, "row1", "0.0", pcb);
  option_define(IO_tpflexp, "row2", "0.0", pcb);
}

void user_io(const BandProgram &program, CmdBlk *pcb, ImgBlk ib[], int *pstatus) {
  (void)ib;
  *pstatus = Success;
  const char *first = (pcb->argc > 0 && pcb->argv) ? pcb->argv[0] : program.name;
  const char *slash = std::strrchr(first, '/');
  const char *name = slash ? slash + 1 : first;

  if (pcb->argc <= 1) std::printf("Usage: %s %s\n", name, pcb->MainHelp);
  std::printf("\n");
  std::printf("   %s %s\n", name, pcb->MainVersion);
  std::printf("\n");
  // The questions for the positional arguments follow here once the block
  // dialogue (which opens the input files through the image loop) exists.
}

int band_main(int argc, char *argv[], const BandProgram &program) {
  // The blocks live for the whole run; the command block is large (several
  // kB of option texts), so it is kept off the stack.
  static CmdBlk cb;
  static ImgBlk ib[kBandBlocks];
  int status = Success;

  band_init(program, &cb, ib);
  cb.argc = argc;
  cb.argv = argv;

  band_declare_options(&cb);

  int arg_no = 0;
  ReadOptions(argv, &arg_no, &cb, ib, &status);

  // A failed option parse skips the dialogue and the image loop.
  if (status == Success) user_io(program, &cb, ib, &status);

  // The image loop runs here when the dialogue succeeded.

  return ReportViloStatus(status, 0);
}
