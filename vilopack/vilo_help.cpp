#include "vilopack/vilo_help.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "rylpack/numio.h"
#include "rylpack/reference.h"
#include "rylpack/rylio.h"
#include "vilopack/vilo_definition.h"
#include "vilopack/vilo_error.h"
#include "vilopack/vilo_image.h"
#include "vilopack/vilo_input.h"
#include "vilopack/vilo_replacekey.h"
#include "vilopack/vilo_routine.h"

namespace {

// Where users write to about the programs.
const char *const kContact = "Contact : bandtools maintainers <bandtools-maintainers@lists.example.org>";

// Prints "<prefix><name>.V", blanks up to the alignment column (at least
// one), "= " and nothing else; the caller prints the value.
void field_head(const char *prefix, const char *name, int width) {
  std::string head = std::string(name) + ".V";
  int pad = width - static_cast<int>(head.size());
  if (pad < 1) pad = 1;
  std::printf("%s%s%*s= ", prefix, head.c_str(), pad, "");
}

}  // namespace

const char *option_type2letter(int ptyp) {
  static const char *const kLetters[] = {"+", "s", "d", "D", "f", "F", "M", "R", "P", "A"};
  if (ptyp >= IO_tpflag && ptyp <= IO_tpaxis) return kLetters[ptyp - 1];
  return "?";
}

void ShowOptions(const char *prefix, const OptDsc table[]) {
  int last = table[0].npar;
  int printed = 0;
  for (int i = 1; i < last; ++i) {
    const OptDsc &e = table[i];
    if (!e.code[0] || e.code[0] == '#') continue;
    if (printed % 4 == 0) std::printf(" \n ");
    std::string name = std::string(prefix) + e.code;
    std::printf("%10s [% 1d, %s]", name.c_str(), e.npar, option_type2letter(e.ptyp));
    ++printed;
  }
  std::printf("\n");
}

void ShowDataTypes() {
  std::printf("\n%s\n", "Conversion of file data types to internal data types");
  ryl_showdatatypes(0);
}

void ShowModes() {
  std::printf("Use -o%s with one of the following modes : \n", "mod");
  std::printf(" %8s, %8s, %8s\n %8s, %8s, %8s\n %8s, %8s, %8s\n", "n+fp", "n+ip", "n", "o+fp",
              "o+ip", "o", "a+fp", "a+ip", "a");
}

void ShowSys() {
  std::printf("\n");
  std::printf("Use -%s and -%s with one of the following reference systems : \n", "rsys", "usys");
  std::printf(" %8s, %8s, %8s, %8s, %8s, %8s, %8s, %8s\n", "array", "image", "center", "region",
              "real", "normal", "tangens", "vilo");
}

void ShowPro() {
  std::printf("\n");
  std::printf("Use -%s with one of the following projection types : \n", "pro");
  std::printf(" %8s, %8s\n", "Vilo", "Waxs");
}

void ShowAxis() {
  std::printf("\n");
  std::printf("Use -%s with one of the following axis types : \n", "axis");
  std::printf(" %8s, %8s, %8s\n", "Distance", "Angle", "Numerator");
}

void ShowViloImage() {
  std::printf("\n%s\n%s\n", "Predefined variables in expressions:", ViloImageShow());
}

void ShowReplaceKeys() {
  std::printf("\n%s\n%s\n", "The following keys in square brackets are replaced by parameters:",
              replacekey_show());
}

void ShowHelp(const CmdBlk *pcb) {
  std::printf("\nMain    : %s\n", pcb->MainVersion ? pcb->MainVersion : "");
  std::printf("Usage   : %s %s\n", pcb->MainName ? pcb->MainName : "",
              pcb->MainHelp ? pcb->MainHelp : "");
  if (!pcb->Help.V) return;

  std::printf("\n%s\n", ViloDefinitionVersion());
  const char *const versions[] = {
      reference_version(), ViloErrorVersion(),   ViloInputVersion(), ViloOptionVersion(),
      ViloImageVersion(),  ViloRoutineVersion(), numio_version(),    rylio_version(),
      kContact,
  };
  for (const char *v : versions) std::printf("%s\n", v);

  ShowDataTypes();

  std::printf("\nList of options [<num of parameters>,<type>]");
  ShowOptions("-", pcb->co.data());
  if (pcb->ImgBlkLen > 0 && !pcb->io.empty()) ShowOptions("-o", pcb->io.data());
  if (pcb->ImgBlkLen > 1 && !pcb->io.empty()) ShowOptions("-i<n>", pcb->io.data());

  std::printf("\nNumber of image blocks            : %d\n", pcb->ImgBlkLen);
  if (pcb->ImgBlkLen > 1)
    std::printf("Maximum number <n> of input blocks: %d\n", pcb->ImgBlkLen - 1);
  if (pcb->ImgBlkLen > 0) std::printf("Dummy file name                   : %s\n", "/dev/null");

  std::printf("\n");
  if (pcb->ImgBlkLen > 0) ShowModes();
  ShowSys();
  ShowViloImage();
  ShowReplaceKeys();
}

void PrintCommandBlock(const CmdBlk *pcb) {
  const char *p = "CommandBlock.";
  const int w = 24;
  struct LongField { const char *name; const IO_long *f; } longs[] = {
      {"Help", &pcb->Help},
      {"Prompt", &pcb->Prompt},
      {"RSys", &pcb->RSys},
      {"USys", &pcb->USys},
      {"GeneralBlock", &pcb->GeneralBlock},
      {"PassHeader", &pcb->PassHeader},
      {"CreateVariance", &pcb->CreateVariance},
      {"AntiAliased", &pcb->AntiAliased},
      {"VarianceWeight", &pcb->VarianceWeight},
  };
  for (const auto &l : longs)
    if (l.f->I) {
      field_head(p, l.name, w);
      std::printf(RLONG_FMT "\n", l.f->V);
    }
  if (pcb->OutputDataType.I) {
    field_head(p, "OutputDataType", w);
    std::printf("%s\n", ryl_datatype2string(pcb->OutputDataType.V));
  }
  if (pcb->OutputDataValueOffset.I) {
    field_head(p, "OutputDataValueOffset", w);
    std::printf(RLONG_FMT "\n", pcb->OutputDataValueOffset.V);
  }
  if (pcb->OutputCompression.I) {
    field_head(p, "OutputCompression", w);
    std::printf("%s\n", ryl_compression2string(pcb->OutputCompression.V));
  }
  struct LongField more[] = {
      {"BslInputByteOrder", &pcb->BslInputByteOrder},
      {"MaxLineWidth", &pcb->MaxLineWidth},
      {"MinHeaderSize", &pcb->MinHeaderSize},
      {"CommonOrientation", &pcb->CommonOrientation},
      {"Beam", &pcb->Beam},
      {"Add", &pcb->Add},
  };
  for (const auto &l : more)
    if (l.f->I) {
      field_head(p, l.name, w);
      std::printf(RLONG_FMT "\n", l.f->V);
    }
  if (pcb->IPMin.I) {
    field_head(p, "IPMin", w);
    std::printf("%g\n", pcb->IPMin.V);
  }
  for (int k = 1; k <= 2; ++k)
    if (pcb->Shift[k].I) {
      char name[32];
      std::snprintf(name, sizeof name, "Shift[%d]", k);
      field_head(p, name, w);
      std::printf("%s\n", pcb->Shift[k].V);
    }
  const char *cb = "CommandBlock";
  for (int k = 0; k < IO_MaxFloatOpt; ++k)
    if (pcb->Arg[k].I) std::printf("%s.Arg[%d].V\t         = %e\n", cb, k, pcb->Arg[k].V);
  for (int k = 0; k < IO_MaxFlexpOpt; ++k)
    if (pcb->Flexp[k].I) std::printf("%s.Flexp[%d].V          = %s\n", cb, k, pcb->Flexp[k].V);
  for (int k = 0; k < IO_MaxIntOpt; ++k)
    if (pcb->Num[k].I) std::printf("%s.Num[%d].V\t         = " RLONG_FMT "\n", cb, k, pcb->Num[k].V);
  for (int k = 0; k < IO_MaxLvexpOpt; ++k)
    if (pcb->Lvexp[k].I) std::printf("%s.Lvexp[%d].V          = %s\n", cb, k, pcb->Lvexp[k].V);
  for (int k = 0; k < IO_MaxLineOpt; ++k)
    if (pcb->Lin[k].I) std::printf("%s.Lin[%d].V\t         = %s\n", cb, k, pcb->Lin[k].V);
  for (int k = 0; k < IO_MaxFlagOpt; ++k)
    if (pcb->Flg[k].I) std::printf("%s.Flg[%d].V              = " RLONG_FMT "\n", cb, k, pcb->Flg[k].V);
}

void PrintImageBlock(const ImgBlk *pib) {
  const ImgBlk &b = *pib;
  std::printf("Image Block (blkno = %d)\n", b.blkno);
  char dot[64], blank[64];
  std::snprintf(dot, sizeof dot, "ImageBlock[%d].", b.blkno);
  std::snprintf(blank, sizeof blank, "ImageBlock[%d] ", b.blkno);
  const int w = 12;
  auto text = [&](const char *prefix, const char *name, const auto &f) {
    if (!f.I) return;
    field_head(prefix, name, w);
    std::printf("%s\n", f.V);
  };
  auto number = [&](const char *name, const IO_long &f) {
    if (!f.I) return;
    field_head(dot, name, w);
    std::printf(RLONG_FMT "\n", f.V);
  };
  auto axes = [&](const char *name, const auto *f, int n) {
    for (int k = 1; k <= n; ++k) {
      char item[32];
      std::snprintf(item, sizeof item, "%s[%d]", name, k);
      text(dot, item, f[k]);
    }
  };
  text(dot, "Name", b.Name);
  number("FFirst", b.FFirst);
  number("FLast", b.FLast);
  number("FInc", b.FInc);
  if (b.OpenMode.I) {
    field_head(dot, "OpenMode", w);
    std::printf("%#lx\n", static_cast<unsigned long>(static_cast<rulong>(b.OpenMode.V)));
  }
  number("Memory", b.Memory);
  number("First", b.First);
  number("Last", b.Last);
  number("Inc", b.Inc);
  text(dot, "MinClip", b.MinClip);
  text(dot, "MaxClip", b.MaxClip);
  text(dot, "Const", b.Const);
  text(blank, "Factor", b.Factor);
  text(blank, "Val", b.Val);
  text(blank, "ErrVal", b.ErrVal);
  axes("Bin", b.Bin, 2);
  number("Ave", b.Ave);
  axes("Gnaw", b.Gnaw, 2);
  text(dot, "Title", b.Title);
  text(dot, "Time", b.Time);
  axes("Dim", b.Dim, 2);
  text(dot, "Dummy", b.Dummy);
  text(dot, "DDummy", b.DDummy);
  axes("Offset", b.Offset, 2);
  axes("Center", b.Center, 2);
  axes("BinSiz", b.BinSiz, 2);
  axes("PixSiz", b.PixSiz, 2);
  text(dot, "SampleDistance", b.SampleDistance);
  text(dot, "WaveLength", b.WaveLength);
  axes("DetRot", b.DetRot, 3);
  text(dot, "Orientation", b.Orientation);
  text(dot, "IndexOrder", b.IndexOrder);
  number("Projection", b.Projection);
  for (int k = 1; k <= 2; ++k) {
    char item[32];
    std::snprintf(item, sizeof item, "AxisType[%d]", k);
    number(item, b.AxisType[k]);
  }
  axes("BeamCenter", b.BeamCenter, 2);
  text(dot, "BeamDistance", b.BeamDistance);
  axes("DetTilt", b.DetTilt, 3);
}

void PrintBlocks(const CmdBlk *pcb, const ImgBlk ib[]) {
  PrintCommandBlock(pcb);
  for (int i = 0; i < pcb->ImgBlkLen; ++i) PrintImageBlock(&ib[i]);
}

void PrintOptions(const char *name, const OptDsc table[], int length) {
  std::printf("%20s\t\t    code      ptyp\t   npar      poff\n", name);
  for (int i = 0; i < length - 1; ++i)
    if (table[i].code[0])
      std::printf("%20s[% 4d] %9s %9d % 9d\n", name, i, table[i].code, table[i].ptyp,
                  table[i].npar);
}

void show_arg_no(const char *routine, const CmdBlk *pcb) {
  std::printf(" %s: argc = %d, arg_no = %d\n", routine, pcb->argc, pcb->parg_no ? *pcb->parg_no : 0);
}
