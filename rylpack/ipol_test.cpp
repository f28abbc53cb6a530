#include "rylpack/ipol.h"

#include <gtest/gtest.h>

TEST(IpolSettings, SetOnlyValidValuesAndReadBack) {
  EXPECT_EQ(Ipolmode(0), IPOL_NORMAL);
  EXPECT_EQ(Ipolmode(IPOL_ANTIALIASED), IPOL_ANTIALIASED);
  EXPECT_EQ(Ipolmode(3), IPOL_ANTIALIASED);
  EXPECT_EQ(Ipolmode(IPOL_NORMAL), IPOL_NORMAL);
  EXPECT_STREQ(Ipolmode2str(2), "antialiased");
  EXPECT_STREQ(Ipolmode2str(7), "undefined");

  EXPECT_EQ(Ipolweight(0), IPOL_EQUAL);
  EXPECT_EQ(Ipolweight(IPOL_WEIGHTED), IPOL_WEIGHTED);
  EXPECT_EQ(Ipolweight(5), IPOL_WEIGHTED);
  EXPECT_EQ(Ipolweight(IPOL_EQUAL), IPOL_EQUAL);
  EXPECT_STREQ(Ipolweight2str(8), "weighted");

  EXPECT_FLOAT_EQ(Ipolmin(-1.0f), 0.5f);
  EXPECT_FLOAT_EQ(Ipolmin(0.25f), 0.25f);
  EXPECT_FLOAT_EQ(Ipolmin(-1.0f), 0.25f);
  Ipolmin(0.5f);
}
