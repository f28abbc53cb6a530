// Texts of the image module.
#include <string>

#include "rylpack/rylio.h"
#include "vilopack/vilo_image.h"

namespace {
// Data version of the image framework.
const char *const kDataVersion = "2.40";
std::string g_version;  // rebuilt by every ViloImageVersion call
}  // namespace

const char *ViloImageVersion() {
  g_version = std::string("ViloImage V2.60 Tessmor 2016-01-11") + " (SDV = " + kDataVersion +
              ", GDV = " + ryl_dataformat_version() + ")";
  return g_version.c_str();
}

const char *ViloImageShow() {
  return "        image values (input block N): -i<N>val <expression(_i<N>val)>\n"
         "     variance values (input block N): -i<N>err <expression(_i<N>val, _i<N>err)>\n"
         "         image values (output block): -oval <expression(_oval)>\n"
         "      variance values (output block): -oerr <expression(_oval, _oerr)>\n"
         "\n"
         "     EX:  -i1err \"max(0,_i1val+1)";
}
