// rylio: the keyword-header data-file library.
#pragma once

#include <cstdio>

// Version of the data-file library ("E2.266_linux").
const char *ryl_libversion();

// Version of the data format written ("2.42").
const char *ryl_dataformat_version();

// Version line of the module ("rylio : V2.55 Tessmor 2016-03-30 (E2.266_linux)").
const char *rylio_version();

// Replaces the header key order table by `table`, a list of key patterns
// ('*' matches any run of characters) ended by a null entry. The patterns
// are copied. A null table restores the default table. Returns 0, or -1
// when memory runs out (the table in use is then unchanged).
int ryl_keyorder_set_table(const char *const *table);

// Prints the table in use, one line "keyorder_DefaultTable[%u] = %s\n" per
// entry, on `out` (standard output when null).
void ryl_keyorder_print_table(FILE *out);
