#include "rylpack/reference.h"

const char *reference_version() { return "reference : V2.34 Tessmor 2011-05-14"; }
