// The row-band programs: what sets bandplus and bandminus apart, and the
// entry both run.
#pragma once

struct BandProgram {
  const char *name;      // "bandplus" or "bandminus"
  const char *usage;     // usage text of the command block
  const char *version;   // version line of the command block
  int sign;              // +1 adds the averaged band, -1 subtracts it
};

extern const BandProgram kBandPlus;
extern const BandProgram kBandMinus;

struct CmdBlk;
struct ImgBlk;

// Number of image blocks: 0 output, 1 input 1 (whose rows receive the band),
// 2 input 2 (whose rows are averaged).
constexpr int kBandBlocks = 3;

// Fills the command block and the kBandBlocks image blocks with the defaults
// of the program.
void band_init(const BandProgram &program, CmdBlk *pcb, ImgBlk ib[]);

// Declares the options "row1" and "row2" of the programs.
void band_declare_options(CmdBlk *pcb);

// The argument dialogue of the programs: prints the usage line when no word
// follows the program name, then the version line.
void user_io(const BandProgram &program, CmdBlk *pcb, ImgBlk ib[], int *pstatus);

// The whole run of one program: blocks, options, dialogue, image loop and
// the final report. Returns the final status, which main returns as exit code.
int band_main(int argc, char *argv[], const BandProgram &program);
