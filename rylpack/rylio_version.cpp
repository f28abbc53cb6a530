#include "rylpack/rylio.h"

const char *ryl_libversion() { return "E2.266_linux"; }

const char *ryl_dataformat_version() { return "2.42"; }

const char *rylio_version() { return "rylio : V2.55 Tessmor 2016-03-30 (E2.266_linux)"; }
