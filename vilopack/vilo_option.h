// ViloOption: the command block, the image blocks and the option tables of
// every program of the family.
//
// A program keeps everything the user can set in one command block (CmdBlk)
// and an array of image blocks (ImgBlk): block 0 is the output, blocks 1..n
// the inputs. InitOptions fills them with their defaults; the option parser,
// the argument dialogue and the program-defined options fill in what the user
// gives; the image loop reads them.
#pragma once

#include <cstdio>
#include <vector>

#include "rylpack/longint.h"

struct NumProg;

constexpr int IO_len = 1024;     // capacity of a value text, terminator included
constexpr int IO_CodeLen = 5;    // capacity of an option name

// Value-and-flag pairs. I is 0 while V is the default; +1 or -1 once an option
// written with "+" or "-" set it; 1 once the argument dialogue set it.
struct IO_long { rlong V; int I; };
struct IO_float { float V; int I; };
struct IO_line { char V[IO_len]; int I; };
struct IO_flexp { char V[IO_len]; int I; };   // floating expression, evaluated when used
struct IO_lvexp { char V[IO_len]; int I; };   // integer expression, evaluated when used
struct IO_prog { NumProg *V; int I; };        // compiled program, owned by its header block

// Parameter types of options.
enum OptionType : int {
  IO_tpflag = 1,
  IO_tpline = 2,
  IO_tplong = 3,
  IO_tplvexp = 4,
  IO_tpfloat = 5,
  IO_tpflexp = 6,
  IO_tpmode = 7,
  IO_tprsys = 8,
  IO_tppro = 9,
  IO_tpaxis = 10,
};

// One entry of an option table. Entry 0 is a header ("Cmd", type 1, npar the
// number of entries after it); an empty code ends the table.
struct OptDsc {
  char code[IO_CodeLen];
  int ptyp;
  int npar;
};

// Open-mode bits.
enum OpenModeBits : int {
  IO_New = 0x0001,
  IO_Old = 0x0002,
  IO_FileProtect = 0x0004,
  IO_ImageProtect = 0x0008,
  IO_DontReadData = 0x0010,
  IO_DontReadWrite = 0x0020,
  IO_DontOpen = 0x0040,
  IO_Dummy = 0x0080,
};

// Slots for program-defined options, per type.
constexpr int IO_MaxFloatOpt = 30;
constexpr int IO_MaxFlexpOpt = 30;
constexpr int IO_MaxIntOpt = 10;
constexpr int IO_MaxLvexpOpt = 10;
constexpr int IO_MaxLineOpt = 10;
constexpr int IO_MaxFlagOpt = 10;

// Number of entries of the two option tables, header and end mark included.
constexpr int IO_CmdOptLen = 123;
constexpr int IO_ImgOptLen = 36;

// Entry numbers of the command option table.
enum CommandOption : int {
  NTest = 1, NHelp, NPrompt, NShift, NRSys, NUSys, NGeneralBlock, NPassHeader,
  NCreateVariance, NAntiAliased, NVarianceWeight, NOutputDataType,
  NOutputDataValueOffset, NOutputCompression, NBslInputByteOrder, NAdd, NIPMin,
  NMaxLineWidth, NMinHeaderSize, NCommonOrientation, NBeam,
  NArgFst,                                   // 22: first float slot
  NFlexpFst = NArgFst + IO_MaxFloatOpt,      // 52
  NNumFst = NFlexpFst + IO_MaxFlexpOpt,      // 82
  NLvexpFst = NNumFst + IO_MaxIntOpt,        // 92
  NLinFst = NLvexpFst + IO_MaxLvexpOpt,      // 102
  NFlgFst = NLinFst + IO_MaxLineOpt,         // 112
  NCmdLast = NFlgFst + IO_MaxFlagOpt,        // 122: end mark
};

// Entry numbers of the image option table.
enum ImageOption : int {
  NOpenMode = 1, NName, NMemory, NFirst, NLast, NInc, NMinClip, NMaxClip,
  NConst, NFactor, NVal, NErrVal, NBin, NAve, NGnaw, NTitle, NTime, NDim,
  NDummy, NDDummy, NOffset, NBinSiz, NPixSiz, NWaveLength, NOrientation,
  NIndexOrder, NProjection, NAxisType, NCenter, NSampleDistance, NDetRot,
  NBeamCenter, NBeamDistance, NDetTilt,
  NImgLast,                                  // 35: end mark
};

struct ImgBlk {
  int blkno;                 // 0 output, 1..n input
  int Stream;                // stream of the open data file, -1 when closed
  rlong StreamOpenMode;      // open-mode bits of the open stream
  rlong FileNumber;          // current number within a numbered file series
  rlong LoopNumber;          // current loop number of this block
  char FileName[IO_len];     // actual name of the open file
  IO_line Name;              // file name or pattern given by the user
  IO_long FFirst, FLast, FInc;
  IO_long OpenMode;
  IO_long Memory;            // > 0 image data, < 0 its variances
  IO_long First, Last, Inc;
  IO_flexp MinClip, MaxClip;
  IO_flexp Const, Factor;
  IO_flexp Val, ErrVal;
  IO_lvexp Bin[3];           // element 0 holds the number of axes as text
  IO_long Ave;
  IO_lvexp Gnaw[3];
  IO_line Title, Time;
  IO_lvexp Dim[3];
  IO_flexp Dummy, DDummy;
  IO_flexp Offset[3];
  IO_flexp Center[3];
  IO_flexp BinSiz[3];
  IO_flexp PixSiz[3];
  IO_flexp SampleDistance;
  IO_flexp WaveLength;
  IO_flexp DetRot[4];
  IO_lvexp Orientation;
  IO_lvexp IndexOrder;
  IO_long Projection;
  IO_long AxisType[3];
  IO_flexp BeamCenter[3];
  IO_flexp BeamDistance;
  IO_flexp DetTilt[4];
};

struct CmdBlk {
  const char *MainName;      // program name as called (first argument word)
  const char *MainVersion;   // program version line
  const char *MainHelp;      // usage text
  void *MainData;            // handed through to the per-image function
  char ViloVersion[IO_len];  // "# <program> <framework> <data-file library>"
  int argc;
  char **argv;
  int *parg_no;              // index of the last consumed argument
  FILE *infile;              // where prompted answers are read from
  std::vector<OptDsc> co;    // command option table
  std::vector<OptDsc> io;    // image option table, released after parsing
  ImgBlk *ib;
  int ImgBlkLen;
  int RejectNum;             // "-"/"+" followed by a digit is a value
  rlong Cycles;              // images accumulated before the output is written
  int TestBit;               // debug level
  IO_long Help;
  IO_long Prompt;
  IO_long RSys;
  IO_long USys;
  IO_long GeneralBlock;
  IO_long PassHeader;
  IO_long CreateVariance;
  IO_long AntiAliased;
  IO_long VarianceWeight;
  IO_long OutputDataType;
  IO_long OutputDataValueOffset;
  IO_long OutputCompression;
  IO_long BslInputByteOrder;
  IO_long MaxLineWidth;
  IO_long MinHeaderSize;
  IO_long CommonOrientation;
  IO_long Beam;
  IO_long Add;
  IO_float IPMin;
  IO_long Ave;               // reserved: never set, never read
  IO_flexp Shift[3];
  IO_float Arg[IO_MaxFloatOpt];
  IO_flexp Flexp[IO_MaxFlexpOpt];
  IO_long Num[IO_MaxIntOpt];
  IO_lvexp Lvexp[IO_MaxLvexpOpt];
  IO_line Lin[IO_MaxLineOpt];
  IO_long Flg[IO_MaxFlagOpt];
};

// Fills the command block and image blocks 0..ib_len-1 with their defaults,
// builds both option tables and composes ViloVersion. The one call a program
// makes before anything else.
void InitOptions(const char *mainhelp, const char *mainvers, void *maindata,
                 int rjctnum, CmdBlk *pcb, ImgBlk ib[], int ib_len);

// Sets every field of the command block to its default.
void InitCommandBlock(const char *mhlp, const char *mvers, void *mdat, int rjctnum,
                      ImgBlk ib[], int ib_len, CmdBlk *pcb);

// Sets every field of image block blkno of the array to its default.
void InitImageBlock(ImgBlk ib[], int blkno);

// Write the command and image option tables. A table shorter than
// IO_CmdOptLen or IO_ImgOptLen is a programming error that ends the process.
void InitCommandOptions(OptDsc co[], int len);
void InitImageOptions(OptDsc io[], int len);

// ---- Option parsing -------------------------------------------------------

// History key under which the consumed words and positional arguments are
// recorded.
#define ViloHistoryKey "i0"

// Parses the options at the front of the argument vector into the blocks.
// On return *parg_no is the index of the last consumed word (0 when none).
// The image option table is released in every case; the command option
// table stays after success (program-defined options are read through it).
void ReadOptions(char *argv[], int *parg_no, CmdBlk *pcb, ImgBlk ib[], int *pstatus);

// Looks at the next word. Returns 1 when it is an option (even a bad one:
// the status then says why) and 0 when it is a value left for the dialogue.
// *pblk_no is -1 for a command option, else the addressed image block.
int FindOption(char *argv[], int *parg_no, CmdBlk *pcb, int *pblk_no, int *popt_no,
               int *popt_onoff, int *pstatus);

// Exact lookup of name in an option table; NoOption when absent.
void GetOption(const char *name, const OptDsc table[], int *popt_no, int *pstatus);

void DoOption(char *argv[], int *parg_no, int blk_no, int opt_no, int opt_onoff,
              CmdBlk *pcb, ImgBlk ib[], int ib_len, int *pstatus);
void DoCmdOption(char *argv[], int *parg_no, int opt_no, int opt_onoff, CmdBlk *pcb,
                 int *pstatus);
void DoImgOption(char *argv[], int *parg_no, int opt_no, int opt_onoff, CmdBlk *pcb,
                 ImgBlk *pib, int *pstatus);

// Word scanners: word is null when the argument vector has ended (ScanEmpty).
// The word "=" keeps the current value. Each returns 1 when it stored a
// value.
int ScanLong(const char *word, rlong *pvalue, int *pstatus);
int ScanFloat(const char *word, float *pvalue, int *pstatus);
int ScanFlExp(const char *word, char *value, int *pstatus);   // value holds IO_len
int ScanLvExp(const char *word, char *value, int *pstatus);
int ScanLine(const char *word, char *value, int *pstatus);
int ScanMode(const char *word, rlong *pvalue, int *pstatus);
int ScanSys(const char *word, rlong *pvalue, int *pstatus);
int ScanPro(const char *word, rlong *pvalue, int *pstatus);
int ScanAxis(const char *word, rlong *pvalue, int *pstatus);

// Word conversions.
rlong strtopro(const char *word);           // 0 when unknown (case ignored)
const char *protostr(rlong pro);            // "Vilo", "Waxs", "<unknown>"
rlong strtoaxis(const char *word);          // 0 when unknown (case ignored)
const char *axistostr(rlong axis);          // "Distance", "Angle", "Numerator", "<unknown>"
const char *reftostr(rlong rsys);           // "Array" ... "Vilo", "<unknown>"

// Reads the comma-separated numbers after a file name into first, last and
// increment: of the file series when the name holds a number pattern, of
// the images otherwise. Nothing happens unless the name was given.
void extract_filenumbers(ImgBlk *pib, IO_line *pName, int opt_onoff, int *pstatus);

// Item parno of name into *pnumber (value + 0.5 rounded down) with flag
// opt_onoff. Returns 0 when the item does not exist (the scan stops), 1
// otherwise; an empty item leaves the number untouched.
int scan_for_filenumber(IO_long *pnumber, const char *name, int parno, int opt_onoff,
                        int *pstatus);

// ---- Positional arguments ------------------------------------------------
//
// After the options a program reads its positional arguments one by one.
// Each routine below steps *pcb->parg_no (set by ReadOptions) to the next
// word and fills one field:
//   - a field whose flag is 0 first receives the default;
//   - the word "=" keeps the field, "..." skips the argument, any other word
//     is copied or converted (a conversion failure returns its status with
//     the word as message of the error record);
//   - with Prompt.V set the question is also put on the terminal, offering
//     the field as default, and answered from pcb->infile;
//   - a value that counts as given sets the flag to 1; a skipped one prints
//     "... skipped" and leaves the flag as it was;
//   - the value (or "..." while the flag is 0) is appended to the history
//     line "i0"; an argument missing from the command line and not answered
//     is left out of the short form of that line.
// Statuses: Success, Abort, a conversion status, NoFlag (argv_flag).

// Before the first positional argument: unless the option "p" was given,
// prompting is switched on exactly when fewer than narg words follow the
// last consumed one.
void argv_start(CmdBlk *pcb, int narg);
// After the last positional argument: surplus words only give a warning and
// the usage line on standard output; the index then stands at argc.
void argv_end(CmdBlk *pcb);

// Text fields. argv_line always offers its default; argv_flexp and
// argv_lvexp offer it only when the field is not empty, an empty answer
// skips, and a field left empty gets its previous text back (skipped).
void argv_line(CmdBlk *pcb, const char *promptline, IO_line *pValue, const char *defval,
               int *pstatus);
void argv_flexp(CmdBlk *pcb, const char *promptline, IO_flexp *pValue, const char *defval,
                int *pstatus);
void argv_lvexp(CmdBlk *pcb, const char *promptline, IO_lvexp *pValue, const char *defval,
                int *pstatus);
// Numbers, converted as integer or floating expressions.
void argv_long(CmdBlk *pcb, const char *promptline, IO_long *pValue, rlong defval, int *pstatus);
void argv_float(CmdBlk *pcb, const char *promptline, IO_float *pValue, float defval,
                int *pstatus);
// A flag: any non-zero value is stored as 1. Answers "0", "n", "f" give 0,
// "1", "t", "y" give 1, any other single character is NoFlag; longer
// answers are integer expressions (true, false, yes, no are known there).
void argv_flag(CmdBlk *pcb, const char *promptline, IO_long *pValue, rlong defval, int *pstatus);
// A coordinate (argv_coord) or a distance (argv_dist) that the user gives in
// the user system (USys, offset UOff, pixel size UPs) and that the field
// keeps in the reference system (RSys, ROff, RPs). defval is a field value,
// that is in reference units. The history records the user's number.
void argv_coord(CmdBlk *pcb, rlong RSys, float ROff, float RPs, rlong USys, float UOff, float UPs,
                const char *promptline, IO_float *pValue, float defval, int *pstatus);
void argv_dist(CmdBlk *pcb, rlong RSys, float ROff, float RPs, rlong USys, float UOff, float UPs,
               const char *promptline, IO_float *pValue, float defval, int *pstatus);
// The file name of block blkno as argv_line, then the comma-separated
// numbers after the name (first, last, increment of the file series or of
// the images, see extract_filenumbers).
void argv_filename(CmdBlk *pcb, const char *promptline, ImgBlk ib[], int blkno,
                   const char *defval, int *pstatus);

// ---- Program-defined options ---------------------------------------------

// 1 when name begins with "o" (an output-block option).
int IsOutputOption(const char *name);
// 1 when name begins with "i" and a digit (an input-block option).
int IsInputOption(const char *name);
// 1 when a program may not declare name: reserved prefix or first 4
// characters equal to an existing command option. A null name gives 0.
int CheckOptionDuplication(CmdBlk *pcb, const char *name);

// Fixed-slot declarations of program-defined options (slot number within the
// type's range). Errors are programming errors: message, exit code -1.
void DefFloatOption(CmdBlk *pcb, const char *name, int argopt_no);
void DefIntOption(CmdBlk *pcb, const char *name, int numopt_no);
void DefLineOption(CmdBlk *pcb, const char *name, int linopt_no);
void DefFlgOption(CmdBlk *pcb, const char *name, int flgopt_no);

const char *vilo_libversion();                 // "V2.478"
const char *vilo_progversion(const CmdBlk *pcb);  // MainVersion or ""
const char *vilo_version(const CmdBlk *pcb);      // ViloVersion or ""

// "ViloOption V6.78 Tessmor 2015-11-17"
const char *ViloOptionVersion();
