// ViloReplacekey: header keys written in square brackets inside file names
// and option values, replaced by the values of the images being processed.
//
//   [key]  [key,blkno]  [key,blkno,npar]
//
// key is a header key of the current image of block blkno (case ignored) or
// a special key (FNUM, LNUM, INUM, MNUM, FNAME, FPATH, FBASE, FEXT, FBODY,
// CYCLES; case matters). npar 0 takes the whole value, n >= 1 its n-th word.
// A key that cannot be replaced stays in the text as it was written.
#pragma once

#include <cstddef>

#include "rylpack/longint.h"
#include "vilopack/vilo_option.h"

// Writes string into buffer (capacity buflen, terminator included) with
// every bracketed key replaced. npar is the word selection for keys that give
// none, Num the current image numbers per block (may be null), blkno the
// default block. Returns buffer, or null for a capacity of 0.
char *replacekey(char *buffer, std::size_t buflen, const char *string, rlong npar, CmdBlk *pcb,
                 ImgBlk ib[], rlong Num[], int blkno, int *pstatus);

// 1 when the text holds a '[' followed somewhere by a ']'.
int hasreplacekey(const char *string);

// Replace keys (word 1) and evaluate the result as an expression; on failure
// the replaced text becomes the error message.
double doublekeyvalue(const char *string, CmdBlk *pcb, ImgBlk ib[], rlong Num[], int blkno,
                      int *pstatus);
float floatkeyvalue(const char *string, CmdBlk *pcb, ImgBlk ib[], rlong Num[], int blkno,
                    int *pstatus);
rlong longkeyvalue(const char *string, CmdBlk *pcb, ImgBlk ib[], rlong Num[], int blkno,
                   int *pstatus);
// replacekey with the caller's word selection (0 for titles, 1 for names).
char *linekeyvalue(char *buffer, std::size_t buflen, const char *string, rlong npar,
                   CmdBlk *pcb, ImgBlk ib[], rlong Num[], int blkno, int *pstatus);

const char *replacekey_version();
// The help text on the bracket syntax and the special keys.
const char *replacekey_show();
