// rylio: the keyword-header data-file library.
#pragma once

// Version of the data-file library ("E2.266_linux").
const char *ryl_libversion();

// Version of the data format written ("2.42").
const char *ryl_dataformat_version();

// Version line of the module ("rylio : V2.55 Tessmor 2016-03-30 (E2.266_linux)").
const char *rylio_version();
