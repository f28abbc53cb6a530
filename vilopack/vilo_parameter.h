// ViloParameter: options a program declares for itself ("row1", "row2") and
// reading their values by name.
//
// A declaration takes the first free slot of the command option table in
// the range of its type; from then on the option is parsed like any common
// option and its value lives in the matching array of the command block.
// Expression-valued options are evaluated when read, per image, with header
// keys in square brackets replaced.
#pragma once

#include "rylpack/longint.h"
#include "vilopack/vilo_option.h"

// Declares an option of type ptyp with its default text. A duplicated or
// reserved name, a full slot range or a default that does not convert are
// programming errors: a message on standard error and exit code -1.
void option_define(int ptyp, const char *option, const char *defval, CmdBlk *pcb);

// Value and flag of a float or floating-expression option; expressions are
// evaluated now for the image numbers num (may be null) with default block
// blkno. Status NoOption for an unknown name, OutOfRange for another type.
IO_float option_float(const char *option, CmdBlk *pcb, ImgBlk ib[], rlong num[], int blkno,
                      int *pstatus);
// The same for long and integer-expression options.
IO_long option_long(const char *option, CmdBlk *pcb, ImgBlk ib[], rlong num[], int blkno,
                    int *pstatus);
// Line options: with num given the header keys are replaced in the whole
// value; with num null the text is returned as it stands.
IO_line option_line(const char *option, CmdBlk *pcb, ImgBlk ib[], rlong num[], int blkno,
                    int *pstatus);
// Value and flag of a flag option.
IO_long option_flag(const char *option, CmdBlk *pcb, int *pstatus);

// Address of the value record of a declared option (IO_float, IO_flexp,
// IO_long, IO_lvexp or IO_line, by its type), or null.
void *option_parameter_search(const char *option, CmdBlk *pcb, int *pstatus);

// Sets an option's value from a text (converted for float, long and flag
// options) and its flag to I.
void option_parameter_update(const char *Value, int I, const char *option, CmdBlk *pcb,
                             int *pstatus);
// Sets value and flag of a flag option.
void option_flag_update(rlong Value, int I, const char *option, CmdBlk *pcb, int *pstatus);

// Slot number of the first command option whose code equals the first 4
// characters of option; 0 when none, or the name is empty or begins with '#'.
int search_command_option(CmdBlk *pcb, const char *option);

// Type of a declared option, 0 when unknown.
int option_type(const char *option, CmdBlk *pcb);

// "flag", "line", "long", "lvexp", "float", "flexp", or "none".
const char *option_type2string(int ptyp);

const char *option_parameter_version();
