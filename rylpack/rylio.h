// rylio: the keyword-header data-file library.
#pragma once

// Version of the data-file library ("E2.266_linux").
const char *ryl_libversion();
