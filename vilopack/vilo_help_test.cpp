// Help texts and block listings.
#include "vilopack/vilo_help.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "vilopack/vilo_parameter.h"

namespace {

struct Blocks {
  CmdBlk cb;
  ImgBlk ib[3];
  explicit Blocks(int n = 3) {
    InitOptions("<i1> <o>", "prog V1.0", nullptr, 1, &cb, ib, n);
    cb.MainName = "prog";
  }
};

std::string captured(void (*fn)(const CmdBlk *), const CmdBlk *cb) {
  testing::internal::CaptureStdout();
  fn(cb);
  return testing::internal::GetCapturedStdout();
}

TEST(ShowHelp, ShortHelpIsTwoLines) {
  auto b = std::make_unique<Blocks>();
  EXPECT_EQ(captured(ShowHelp, &b->cb), "\nMain    : prog V1.0\nUsage   : prog <i1> <o>\n");
}

TEST(ShowHelp, LongHelpListsVersionsOptionsAndWords) {
  auto b = std::make_unique<Blocks>();
  option_define(IO_tpflexp, "row1", "0.0", &b->cb);
  option_define(IO_tpflexp, "row2", "0.0", &b->cb);
  b->cb.Help.V = 1;
  std::string out = captured(ShowHelp, &b->cb);
  for (const char *part : {
           "\nViloDefinition V2.32 Tessmor 2015-10-13 (V2.478)\nreference : V2.34 Tessmor "
           "2011-05-14\nViloError V1.55 Tessmor 2015-10-03\nViloInput V4.41 Tessmor 2015-12-07\n"
           "ViloOption V6.78 Tessmor 2015-11-17\nViloImage V2.60 Tessmor 2016-01-11 (SDV = 2.40, "
           "GDV = 2.42)\nViloRoutine : V1.54 Tessmor 2016-04-01\nnumio : V1.42 Tessmor 2015-12-08\n"
           "rylio : V2.55 Tessmor 2016-03-30 (E2.266_linux)\nContact : ",
           "\nConversion of file data types to internal data types\n",
           "\nList of options [<num of parameters>,<type>] \n      -test [ 0, +]        -h [ 0, +]",
           "     -row1 [ 1, F]     -row2 [ 1, F]",
           "\n   -i<n>mod [ 1, M]",
           "\nNumber of image blocks            : 3\nMaximum number <n> of input blocks: 2\n"
           "Dummy file name                   : /dev/null\n",
           "Use -omod with one of the following modes : \n     n+fp,     n+ip,        n\n",
           "Predefined variables in expressions:\n        image values (input block N)",
           "The following keys in square brackets are replaced by parameters:\n"
           "    Header keys (case insensitive)\n",
       })
    EXPECT_NE(out.find(part), std::string::npos) << part;
}

TEST(ShowHelp, WithoutImageBlocksNoImageOptionsOrModes) {
  auto b = std::make_unique<Blocks>(0);
  b->cb.Help.V = 1;
  std::string out = captured(ShowHelp, &b->cb);
  EXPECT_EQ(out.find("-omod"), std::string::npos);
  EXPECT_EQ(out.find("following modes"), std::string::npos);
  EXPECT_EQ(out.find("Dummy file name"), std::string::npos);
  EXPECT_NE(out.find("Number of image blocks            : 0"), std::string::npos);
}

TEST(ShowOptions, FourPerLine) {
  OptDsc t[6] = {{"Cmd", 1, 5}, {"aa", 1, 0}, {"bb", 2, 1}, {"", 0, 0}, {"#cc", 3, 1}, {"", 0, 0}};
  testing::internal::CaptureStdout();
  ShowOptions("-", t);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), " \n        -aa [ 0, +]       -bb [ 1, s]\n");
  EXPECT_STREQ(option_type2letter(10), "A");
  EXPECT_STREQ(option_type2letter(0), "?");
}

TEST(PrintBlocks, OnlySetFieldsAligned) {
  auto b = std::make_unique<Blocks>();
  b->cb.Prompt.I = 1;
  b->cb.OutputDataValueOffset = {5, 1};
  b->cb.OutputDataType = {3, 1};
  b->cb.Flexp[1] = {"[Dim_2]", -1};
  b->ib[1].OpenMode.I = 1;
  b->ib[1].Factor.I = 1;
  b->ib[1].Bin[1].I = 1;
  testing::internal::CaptureStdout();
  PrintBlocks(&b->cb, b->ib);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("CommandBlock.Prompt.V                = 1\n"), std::string::npos) << out;
  EXPECT_NE(out.find("CommandBlock.OutputDataValueOffset.V = 5\n"), std::string::npos);
  EXPECT_NE(out.find("CommandBlock.OutputDataType.V        = UnsignedShort\n"), std::string::npos);
  EXPECT_NE(out.find("CommandBlock.Flexp[1].V          = [Dim_2]\n"), std::string::npos);
  EXPECT_NE(out.find("Image Block (blkno = 1)\n"), std::string::npos);
  EXPECT_NE(out.find("ImageBlock[1].OpenMode.V  = 0x8\n"), std::string::npos);
  EXPECT_NE(out.find("ImageBlock[1] Factor.V    = 1.0\n"), std::string::npos);
  EXPECT_NE(out.find("ImageBlock[1].Bin[1].V    = 1\n"), std::string::npos);
  EXPECT_EQ(out.find("ImageBlock[2].Name"), std::string::npos) << "unset fields are not listed";
}

}  // namespace
