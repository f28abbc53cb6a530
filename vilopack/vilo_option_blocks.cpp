// Defaults of the command block and the image blocks.
#include <cstdio>
#include <cstdlib>
#include <new>

#include "rylpack/ipol.h"
#include "rylpack/reference.h"
#include "rylpack/rylio.h"
#include "rylpack/strlib.h"
#include "vilopack/vilo_option.h"

namespace {

template <typename T>
void set_text(T &field, const char *text) {
  strlib_copy(field.V, IO_len, text);
  field.I = 0;
}

void set_long(IO_long &field, rlong value) {
  field.V = value;
  field.I = 0;
}

// Per-axis arrays keep the number of axes as text in element 0.
template <typename T, int N>
void set_axes(T (&field)[N], const char *const (&texts)[N]) {
  for (int i = 0; i < N; ++i) set_text(field[i], texts[i]);
}

// Fields without a default keep an empty text and a cleared flag.
template <typename T, int N>
void clear_axes(T (&field)[N]) {
  for (auto &f : field) set_text(f, "");
}

}  // namespace

void InitImageBlock(ImgBlk ib[], int blkno) {
  ImgBlk &b = ib[blkno];
  b.blkno = blkno;
  b.Stream = -1;
  b.StreamOpenMode = 0;
  b.FileNumber = 1;
  b.LoopNumber = 1;
  b.FileName[0] = '\0';
  set_text(b.Name, "datafile.ryl");
  set_long(b.FFirst, 1);
  set_long(b.FLast, 1);
  set_long(b.FInc, 1);
  set_long(b.OpenMode, IO_ImageProtect);
  set_long(b.Memory, 1);
  set_long(b.First, 1);
  set_long(b.Last, 1);
  set_long(b.Inc, 1);
  set_text(b.MinClip, "-inf");
  set_text(b.MaxClip, "inf");
  set_text(b.Const, "0.0");
  set_text(b.Factor, "1.0");
  set_text(b.Val, "1.0");
  set_text(b.ErrVal, "0.0");
  set_axes(b.Bin, {"2", "1", "1"});
  set_long(b.Ave, 1);
  set_axes(b.Gnaw, {"2", "0", "0"});
  set_text(b.Title, "");
  set_text(b.Time, "");
  set_axes(b.Dim, {"2", "1", "1"});
  set_text(b.Dummy, "0.0");
  set_text(b.DDummy, "0.5");
  set_axes(b.Offset, {"2", "0", "0"});
  set_axes(b.Center, {"2", "0", "0"});
  set_axes(b.BinSiz, {"2", "1", "1"});
  set_axes(b.PixSiz, {"2", "1", "1"});
  set_text(b.SampleDistance, "1");
  set_text(b.WaveLength, "1e-10");
  set_axes(b.DetRot, {"3", "0", "0", "0"});
  set_text(b.Orientation, "1");
  set_text(b.IndexOrder, "");
  set_long(b.Projection, IO_ProVilo);
  b.AxisType[0] = {0, 0};
  b.AxisType[1] = {IO_AxisTypeDistance, 0};
  b.AxisType[2] = {IO_AxisTypeDistance, 0};
  clear_axes(b.BeamCenter);
  set_text(b.BeamDistance, "");
  clear_axes(b.DetTilt);
}

void InitCommandBlock(const char *mhlp, const char *mvers, void *mdat, int rjctnum,
                      ImgBlk ib[], int ib_len, CmdBlk *pcb) {
  CmdBlk &c = *pcb;
  c.MainName = nullptr;
  c.MainVersion = mvers;
  c.MainHelp = mhlp;
  c.MainData = mdat;
  c.ViloVersion[0] = '\0';
  c.argc = 0;
  c.argv = nullptr;
  c.parg_no = nullptr;
  c.infile = stdin;
  c.co.clear();
  c.io.clear();
  c.ib = ib;
  c.ImgBlkLen = ib_len;
  c.RejectNum = rjctnum;
  c.Cycles = 0;
  c.TestBit = 0;
  set_long(c.Help, 0);
  set_long(c.Prompt, 1);
  set_long(c.RSys, IO_Image);
  set_long(c.USys, IO_Image);
  set_long(c.GeneralBlock, 0);
  set_long(c.PassHeader, 0);
  set_long(c.CreateVariance, 0);
  set_long(c.AntiAliased, 0);
  set_long(c.VarianceWeight, 0);
  set_long(c.OutputDataType, 0);
  set_long(c.OutputDataValueOffset, 0);
  set_long(c.OutputCompression, 1);
  set_long(c.BslInputByteOrder, 0);
  set_long(c.MaxLineWidth, 0);
  set_long(c.MinHeaderSize, 0);
  set_long(c.CommonOrientation, 0);
  set_long(c.Beam, 0);
  set_long(c.Add, 1);
  c.IPMin.V = Ipolmin(-1.0f);
  c.IPMin.I = 0;
  // Ave is reserved and deliberately left as it is.
  set_axes(c.Shift, {"2.0", "0.0", "0.0"});
  for (auto &a : c.Arg) a = {0.0f, 0};
  for (auto &f : c.Flexp) set_text(f, "");
  for (auto &n : c.Num) set_long(n, 0);
  for (auto &l : c.Lvexp) set_text(l, "");
  for (auto &l : c.Lin) set_text(l, "");
  for (auto &f : c.Flg) set_long(f, 0);
}

void InitOptions(const char *mainhelp, const char *mainvers, void *maindata,
                 int rjctnum, CmdBlk *pcb, ImgBlk ib[], int ib_len) {
  InitCommandBlock(mainhelp, mainvers, maindata, rjctnum, ib, ib_len, pcb);
  for (int i = 0; i < ib_len; ++i) InitImageBlock(ib, i);

  try {
    pcb->co.assign(IO_CmdOptLen, OptDsc{});
  } catch (const std::bad_alloc &) {
    std::printf("%s for command options\n", "ERROR: Cannot allocate memory");
    std::exit(-1);
  }
  InitCommandOptions(pcb->co.data(), IO_CmdOptLen);
  try {
    pcb->io.assign(IO_ImgOptLen, OptDsc{});
  } catch (const std::bad_alloc &) {
    std::printf("%s for image options\n", "ERROR: Cannot allocate memory");
    std::exit(-1);
  }
  InitImageOptions(pcb->io.data(), IO_ImgOptLen);

  std::snprintf(pcb->ViloVersion, IO_len, "# %s %s %s",
                pcb->MainVersion ? pcb->MainVersion : "", vilo_libversion(),
                ryl_libversion());
}

const char *vilo_libversion() { return "V2.478"; }

const char *vilo_progversion(const CmdBlk *pcb) {
  return (pcb && pcb->MainVersion) ? pcb->MainVersion : "";
}

const char *vilo_version(const CmdBlk *pcb) { return pcb ? pcb->ViloVersion : ""; }

const char *ViloOptionVersion() { return "ViloOption V6.78 Tessmor 2015-11-17"; }
