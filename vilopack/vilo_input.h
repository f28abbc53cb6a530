// ViloInput: line editing and the line-input primitives of the argument
// dialogue.
#pragma once

#include <cstddef>

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

// "ViloInput V4.41 Tessmor 2015-12-07"
const char *ViloInputVersion();
