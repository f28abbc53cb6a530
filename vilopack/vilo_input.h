// ViloInput: line editing and the line-input primitives of the argument
// dialogue.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "rylpack/longint.h"

// Edit modes of EditLine; they combine.
enum EditMode : int {
  UnComment = 0x10,   // cut the text at the first '#'
  Collapse = 0x00,    // every run of white space becomes one blank (when
                      // white space is not removed altogether)
  NoBlanks = 0x01,    // remove every white-space character (implies Trim)
  Trim = 0x02,        // remove leading and trailing white space
  UpperCase = 0x04,
  LowerCase = 0x08,   // takes precedence over UpperCase
};

// Copies at most len-1 characters of s1 into sout and terminates it.
// conversion -1 gives lower case, 1 upper case, anything else an unchanged
// copy; a null s1 gives the empty text. Returns sout.
char *CopyLine(const char *s1, char *sout, std::size_t len, int conversion);

// Edits str in place: tabs become blanks, then the steps selected by
// EditFlag run in this order: cut comment, remove or collapse white space,
// trim, change case. Returns str.
char *EditLine(int EditFlag, char *str);

// Copy a part of s1 into sout (at most len-1 characters, always terminated)
// and return the occurrence of s2 they found in s1, or null:
//   RightFR: after the last occurrence (all of s1 when none or s2 empty)
//   LeftFR:  before the last occurrence (empty when none)
//   RightFL: after the first occurrence (empty when none)
//   LeftFL:  before the first occurrence (all of s1 when none)
const char *RightFR(const char *s1, const char *s2, char *sout, std::size_t len);
const char *LeftFR(const char *s1, const char *s2, char *sout, std::size_t len);
const char *RightFL(const char *s1, const char *s2, char *sout, std::size_t len);
const char *LeftFL(const char *s1, const char *s2, char *sout, std::size_t len);

// ---- Answers of the dialogue ---------------------------------------------
//
// An answer is one line read from a stream. Besides ordinary values the user
// may type one of these tokens:
//   "$exi", "$eod" at the start (any case), two backslashes within the first
//   four characters, or the character 4 anywhere: abort the dialogue;
//   "..." alone: skip this value;
//   "$nul", "$nix" at the start (any case): the empty text;
//   "#": a comment up to the end of the line.

constexpr int InputLineLength = 1023;   // characters of one answer
constexpr int BufLen = InputLineLength + 1;

// Checks on a raw answer (as read, line end included); each returns 1 when
// it applies, else 0. A null text never applies, except to DefaultCheck.
int AbortCheck(const char *line);
// Exactly "..." optionally followed by one control character (the line end).
// Blanks around the dots make it an ordinary answer.
int SkipCheck(const char *line);
int NullCheck(const char *line);
// The answer, edited as answers are (comment cut, white space collapsed and
// trimmed), is empty. Works on a copy; line is not changed.
int DefaultCheck(const char *line);

// The question primitives. Each prints "<Prompt> ", with Flag set also the
// default in brackets, and ": " on standard output, then reads one answer of
// at most InputLineLength characters from Fptr. A longer line is cut: its
// rest is read and dropped, so that it never becomes the next answer (an
// end-of-transmission character in the dropped rest still aborts). At the
// end of the input the answer is empty.
//
// Returns
//   Abort      abort token or character 4 in the answer,
//   SkipInput  "..." (and, for the text primitives, an empty answer whose
//              default is "..."),
//   NoDefault  empty answer and Flag 0,
//   the conversion status when a numeric answer is not a valid expression
//              (the edited answer then becomes the message of the error
//              record),
//   Success    otherwise.
// *Value is written only on Success. "$nul"/"$nix" gives the empty text for
// the text primitives; the numeric primitives treat it as an expression.
//
// Value of GetLine must hold BufLen characters; Value and DefVal may be the
// same buffer. A null DefVal counts as empty.
int GetLine(FILE *Fptr, char *Value, int Flag, const char *Prompt, const char *DefVal);
// As GetLine; the text is returned through *Value (the caller owns it, no
// allocation to release) instead of newly allocated storage.
int GetString(FILE *Fptr, std::string *Value, int Flag, const char *Prompt, const char *DefVal);
// Numeric answers are integer (GetLong, GetInteger) or floating (GetReal,
// GetDouble) expressions; the default is shown with "%ld", "%d" or "%g".
int GetLong(FILE *Fptr, rlong *Value, int Flag, const char *Prompt, rlong DefVal);
int GetInteger(FILE *Fptr, int *Value, int Flag, const char *Prompt, int DefVal);
int GetReal(FILE *Fptr, float *Value, int Flag, const char *Prompt, float DefVal);
int GetDouble(FILE *Fptr, double *Value, int Flag, const char *Prompt, double DefVal);

// "ViloInput V4.41 Tessmor 2015-12-07"
const char *ViloInputVersion();
