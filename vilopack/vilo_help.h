// Help texts and block listings. Everything goes to standard output and
// changes no state.
#pragma once

#include "vilopack/vilo_option.h"

// Short help (Help.V 0): program version and usage. Long help: also the
// versions of all modules, the data types, every option, the word lists,
// the expression variables and the header-key syntax.
void ShowHelp(const CmdBlk *pcb);

// Lists the options of a table, four per line, each with its prefix, its
// parameter count and its type letter.
void ShowOptions(const char *prefix, const OptDsc table[]);

void ShowDataTypes();
void ShowModes();
void ShowSys();
void ShowPro();
void ShowAxis();
void ShowViloImage();
void ShowReplaceKeys();

// Debug listings of the blocks: one line per field whose flag is set.
void PrintBlocks(const CmdBlk *pcb, const ImgBlk ib[]);
void PrintCommandBlock(const CmdBlk *pcb);
void PrintImageBlock(const ImgBlk *pib);
void PrintOptions(const char *name, const OptDsc table[], int length);
void show_arg_no(const char *routine, const CmdBlk *pcb);

// Help letter of an option type ("+", "s", "d", ...; "?" when unknown).
const char *option_type2letter(int ptyp);
