#include "rylpack/rylio.h"

const char *ryl_libversion() { return "E2.266_linux"; }
