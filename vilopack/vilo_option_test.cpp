#include "vilopack/vilo_option.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace {

struct Blocks {
  CmdBlk cb;
  ImgBlk ib[3]{};
};

std::unique_ptr<Blocks> init_three() {
  auto b = std::make_unique<Blocks>();
  InitOptions("usage", "prog V1.0", nullptr, 1, &b->cb, b->ib, 3);
  return b;
}

TEST(InitOptions, ImageBlocksDifferOnlyInTheirNumber) {
  auto b = init_three();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(b->ib[i].blkno, i);
  // The blocks start zeroed, so every byte past a text's terminator is the
  // same too and the whole records can be compared.
  for (int k = 1; k < 3; ++k) {
    ImgBlk other = b->ib[k];
    other.blkno = 0;
    EXPECT_EQ(std::memcmp(&b->ib[0], &other, sizeof other), 0) << "block " << k;
  }
}

TEST(InitOptions, ImageBlockDefaults) {
  auto b = init_three();
  const ImgBlk &i = b->ib[1];
  EXPECT_EQ(i.Stream, -1);
  EXPECT_EQ(i.StreamOpenMode, 0);
  EXPECT_EQ(i.FileNumber, 1);
  EXPECT_EQ(i.LoopNumber, 1);
  EXPECT_STREQ(i.FileName, "");
  EXPECT_STREQ(i.Name.V, "datafile.ryl");
  EXPECT_EQ(i.Name.I, 0);
  EXPECT_EQ(i.OpenMode.V, IO_ImageProtect);
  EXPECT_EQ(i.OpenMode.I, 0);
  for (const IO_long *l : {&i.FFirst, &i.FLast, &i.FInc, &i.Memory, &i.First, &i.Last,
                           &i.Inc, &i.Ave, &i.Projection}) {
    EXPECT_EQ(l->V, 1);
    EXPECT_EQ(l->I, 0);
  }
  struct Text { const char *name; const char *value; const char *expect; } texts[] = {
      {"MinClip", i.MinClip.V, "-inf"}, {"MaxClip", i.MaxClip.V, "inf"},
      {"Const", i.Const.V, "0.0"},      {"Factor", i.Factor.V, "1.0"},
      {"Val", i.Val.V, "1.0"},          {"ErrVal", i.ErrVal.V, "0.0"},
      {"Bin0", i.Bin[0].V, "2"},        {"Bin1", i.Bin[1].V, "1"},
      {"Gnaw1", i.Gnaw[1].V, "0"},      {"Dim2", i.Dim[2].V, "1"},
      {"Dummy", i.Dummy.V, "0.0"},      {"DDummy", i.DDummy.V, "0.5"},
      {"Offset0", i.Offset[0].V, "2"},  {"Offset1", i.Offset[1].V, "0"},
      {"Center2", i.Center[2].V, "0"},  {"BinSiz1", i.BinSiz[1].V, "1"},
      {"PixSiz2", i.PixSiz[2].V, "1"},  {"SampleDistance", i.SampleDistance.V, "1"},
      {"WaveLength", i.WaveLength.V, "1e-10"}, {"DetRot0", i.DetRot[0].V, "3"},
      {"DetRot3", i.DetRot[3].V, "0"},  {"Orientation", i.Orientation.V, "1"},
      {"Title", i.Title.V, ""},         {"Time", i.Time.V, ""},
  };
  for (const auto &t : texts) EXPECT_STREQ(t.value, t.expect) << t.name;
  EXPECT_EQ(i.AxisType[1].V, 1);
  EXPECT_EQ(i.AxisType[2].V, 1);
  EXPECT_EQ(i.IndexOrder.I, 0);
  EXPECT_EQ(i.BeamCenter[1].I, 0);
  EXPECT_EQ(i.BeamDistance.I, 0);
  EXPECT_EQ(i.DetTilt[3].I, 0);
}

TEST(InitOptions, CommandBlockDefaults) {
  auto b = init_three();
  const CmdBlk &c = b->cb;
  EXPECT_EQ(c.MainName, nullptr);
  EXPECT_STREQ(c.MainVersion, "prog V1.0");
  EXPECT_STREQ(c.MainHelp, "usage");
  EXPECT_EQ(c.MainData, nullptr);
  EXPECT_EQ(c.ib, b->ib);
  EXPECT_EQ(c.ImgBlkLen, 3);
  EXPECT_EQ(c.RejectNum, 1);
  EXPECT_EQ(c.infile, stdin);
  EXPECT_EQ(c.TestBit, 0);
  EXPECT_EQ(c.Cycles, 0);
  struct Long { const char *name; IO_long v; rlong expect; } longs[] = {
      {"Help", c.Help, 0}, {"Prompt", c.Prompt, 1}, {"RSys", c.RSys, 2},
      {"USys", c.USys, 2}, {"GeneralBlock", c.GeneralBlock, 0},
      {"PassHeader", c.PassHeader, 0}, {"CreateVariance", c.CreateVariance, 0},
      {"AntiAliased", c.AntiAliased, 0}, {"VarianceWeight", c.VarianceWeight, 0},
      {"OutputDataType", c.OutputDataType, 0},
      {"OutputDataValueOffset", c.OutputDataValueOffset, 0},
      {"OutputCompression", c.OutputCompression, 1},
      {"BslInputByteOrder", c.BslInputByteOrder, 0}, {"MaxLineWidth", c.MaxLineWidth, 0},
      {"MinHeaderSize", c.MinHeaderSize, 0}, {"CommonOrientation", c.CommonOrientation, 0},
      {"Beam", c.Beam, 0}, {"Add", c.Add, 1},
  };
  for (const auto &l : longs) {
    EXPECT_EQ(l.v.V, l.expect) << l.name;
    EXPECT_EQ(l.v.I, 0) << l.name;
  }
  EXPECT_FLOAT_EQ(c.IPMin.V, 0.5f);
  EXPECT_EQ(c.IPMin.I, 0);
  // The count texts differ in form: "2.0" here, "2" in the image blocks.
  EXPECT_STREQ(c.Shift[0].V, "2.0");
  EXPECT_STREQ(c.Shift[1].V, "0.0");
  for (int k = 0; k < IO_MaxFloatOpt; ++k) EXPECT_EQ(c.Arg[k].I, 0);
  for (int k = 0; k < IO_MaxFlexpOpt; ++k) EXPECT_STREQ(c.Flexp[k].V, "");
  for (int k = 0; k < IO_MaxLineOpt; ++k) EXPECT_EQ(c.Lin[k].I, 0);
  EXPECT_STREQ(c.ViloVersion, "# prog V1.0 V2.478 E2.266_linux");
}

TEST(InitOptions, OptionTablesHaveHeaderEntriesAndEndMark) {
  auto b = init_three();
  const auto &co = b->cb.co;
  const auto &io = b->cb.io;
  ASSERT_EQ(co.size(), 123u);
  ASSERT_EQ(io.size(), 36u);
  EXPECT_STREQ(co[0].code, "Cmd");
  EXPECT_EQ(co[0].npar, 122);
  EXPECT_STREQ(io[0].code, "Cmd");
  EXPECT_EQ(io[0].npar, 35);
  EXPECT_STREQ(co[122].code, "");
  EXPECT_STREQ(io[35].code, "");

  struct Opt { int no; const char *code; int ptyp; int npar; };
  const Opt cmd[] = {{1, "test", IO_tpflag, 0}, {4, "shft", IO_tpflexp, 2},
                     {5, "rsys", IO_tprsys, 1}, {12, "type", IO_tplong, 1},
                     {17, "pmin", IO_tpfloat, 1}, {21, "beam", IO_tpflag, 0}};
  for (const auto &o : cmd) {
    EXPECT_STREQ(co[o.no].code, o.code);
    EXPECT_EQ(co[o.no].ptyp, o.ptyp) << o.code;
    EXPECT_EQ(co[o.no].npar, o.npar) << o.code;
  }
  // Program-defined slots are typed but free.
  EXPECT_STREQ(co[22].code, "");
  EXPECT_EQ(co[22].ptyp, IO_tpfloat);
  EXPECT_EQ(co[52].ptyp, IO_tpflexp);
  EXPECT_EQ(co[82].ptyp, IO_tplong);
  EXPECT_EQ(co[92].ptyp, IO_tplvexp);
  EXPECT_EQ(co[102].ptyp, IO_tpline);
  EXPECT_EQ(co[121].ptyp, IO_tpflag);

  const Opt img[] = {{1, "mod", IO_tpmode, 1}, {2, "nam", IO_tpline, 1},
                     {13, "bin", IO_tplvexp, 2}, {14, "ave", IO_tpflag, 0},
                     {27, "pro", IO_tppro, 1}, {28, "axis", IO_tpaxis, 2},
                     {31, "rot", IO_tpflexp, 3}, {34, "tilt", IO_tpflexp, 3}};
  for (const auto &o : img) {
    EXPECT_STREQ(io[o.no].code, o.code);
    EXPECT_EQ(io[o.no].ptyp, o.ptyp) << o.code;
    EXPECT_EQ(io[o.no].npar, o.npar) << o.code;
  }
}

TEST(InitOptions, TooShortTableIsAProgrammingError) {
  OptDsc small[10];
  EXPECT_EXIT(InitCommandOptions(small, 10), testing::ExitedWithCode(255),
              "");
  EXPECT_EXIT(InitImageOptions(small, 10), testing::ExitedWithCode(255), "");
}

TEST(VersionHelpers, NullSafe) {
  EXPECT_STREQ(vilo_libversion(), "V2.478");
  EXPECT_STREQ(vilo_progversion(nullptr), "");
  EXPECT_STREQ(vilo_version(nullptr), "");
  auto b = init_three();
  EXPECT_STREQ(vilo_progversion(&b->cb), "prog V1.0");
  b->cb.MainVersion = nullptr;
  EXPECT_STREQ(vilo_progversion(&b->cb), "");
}

}  // namespace
