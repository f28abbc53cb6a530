// cmpr: zlib compression of memory and streams for the data-file library.
//
// Two methods: 2 (gzip framing) and 3 (zlib framing); 1 means "not
// compressed". Every transfer goes through pieces of 16384 bytes. Each
// routine returns 0 on success and -1 on failure, stores the number of
// output bytes produced in *pconverted and the error value (0, or a zlib
// code: -1 buffer or stream error or output space too short, -3 invalid or
// incomplete data, -4 out of memory, ...) in *perrval; both pointers may be
// null. On failure the routine prints "<name>: <error text> (<version>)" on
// standard error.
#pragma once

#include <cstddef>
#include <cstdio>

enum CmprMethod : int { CMPR_NONE = 1, CMPR_GZIP = 2, CMPR_Z = 3 };

// Compresses inplen bytes of memory into at most outlen bytes of memory.
int cmpr_deflate(void *out, std::size_t outlen, const void *inp, std::size_t inplen,
                 int cmpr_method, std::size_t *pconverted, int *perrval);
// Decompresses one stream from memory into memory; the stream must end.
int cmpr_inflate(void *out, std::size_t outlen, const void *inp, std::size_t inplen,
                 int cmpr_method, std::size_t *pconverted, int *perrval);
// Decompresses one stream read from inp, reading at most inplen bytes,
// into memory; the stream must end.
int cmpr_frinflate(void *out, std::size_t outlen, FILE *inp, std::size_t inplen,
                   int cmpr_method, std::size_t *pconverted, int *perrval);
// Decompresses the whole of inp into outp; concatenated streams (gzip
// members) are read one after the other.
int cmpr_inflatefile(FILE *outp, FILE *inp, int cmpr_method, std::size_t *pconverted,
                     int *perrval);
// Compresses the whole of inp into outp as one stream.
int cmpr_deflatefile(FILE *outp, FILE *inp, int cmpr_method, std::size_t *pconverted,
                     int *perrval);

// With debug on, the routines print their set-up, BEGIN and END lines and
// byte counts on standard output. Returns the previous setting.
int cmpr_debug(int debug);

// Text of an error value: -6 "zlib version mismatch!", -4 "out of memory",
// -3 "invalid or incomplete deflate data", -2 "invalid compression level",
// -1 "error reading or writing data buffer", any other value "".
const char *cmpr_errval2string(int errval);

// Method of a file name extension (as given by filename_extension),
// compared without case: ".Z..." 3, ".rylgz..." or ".gz..." 2, else 1.
int cmpr_checkextension(const char *extension);
// cmpr_checkextension of the extension of filename.
int cmpr_checkfiletype(const char *filename);
// A name for method cmpr: filename, or its body when it already has a
// compressed extension, followed by ".gz" (2) or ".Z" (3); other methods
// leave the name as it is. Cut to buflen-1; null for a null name.
char *cmpr_filename(char *buffer, std::size_t buflen, const char *filename, int cmpr);

// "cmpr : V1.10 Tessmor 2016-01-12 -- zlib : " and the zlib version.
const char *cmpr_version();
