// filename: taking file-name texts apart and building actual names.
//
// A file-name text may hold environment references ("$NAME", "${NAME}"),
// a home-directory prefix ("~", "~user"), braces that stand for their
// contents, a run of '%' characters for the number of a file in a series,
// and, after the name, comma-separated parameters (first number, last
// number, increment). Every routine writes its result into the caller's
// buffer of buflen bytes (terminator included), cuts it to fit and returns
// the buffer, or null when the text cannot be taken apart. Nothing here
// keeps state or changes the working directory.
#pragma once

#include "rylpack/longint.h"

#include <cstddef>

// Item parno of the text split at commas (0 the name, 1 to 3 the numbers);
// commas before the last ']' do not split. parno -1 gives everything after
// the first item's comma. Null for a null text, for parno < -1 and when
// the text has fewer items.
char *filename_parameter(char *buffer, std::size_t buflen, const char *pattern, int parno);

// The text with environment references, '~' prefixes and braces replaced.
// Null when a variable is not set, a user is unknown or braces are
// unbalanced.
char *env_subst(char *buffer, std::size_t buflen, const char *filepattern);

// env_subst, then item 0, with every backslash turned into '/'.
char *filename_unix(char *buffer, std::size_t buflen, const char *pattern);
// Directory part of filename_unix up to and including the last '/', or
// "./" when there is none.
char *filename_path(char *buffer, std::size_t buflen, const char *pattern);
// filename_unix of a directory, ending in '/'; an empty path gives "./".
char *filename_terminate_path(char *buffer, std::size_t buflen, const char *path);
// The part of filename_unix after the last '/'.
char *filename_name(char *buffer, std::size_t buflen, const char *pattern);
// Item 0 without its extension (the directory is kept). No substitution.
char *filename_body(char *buffer, std::size_t buflen, const char *pattern);
// The extension of item 0 from its last '.' on, the '.' included; empty
// when there is none. No substitution.
char *filename_extension(char *buffer, std::size_t buflen, const char *pattern);
// filename_name without its extension.
char *filename_base(char *buffer, std::size_t buflen, const char *pattern);
// The absolute name: the resolved directory of filename_unix, '/', and the
// name. "/dev/null" stays as it is. Null when the directory cannot be
// resolved.
char *filename_full(char *buffer, std::size_t buflen, const char *pattern);

// 1 when the text holds a '/', else 0.
int filename_has_path(const char *filename);
// 1 when the text holds a '%', else 0.
int filename_has_pattern(const char *filename);
// The pattern with its '%' run replaced by the digits of number, filled
// with '0' from the left, '-' in the first place for a negative number;
// digits that do not fit are dropped from the left.
char *filename_pattern(char *buffer, std::size_t buflen, const char *pattern, rlong number);
// 1 when a directory entry of exactly that name exists in its directory.
int filename_exists(const char *filename);
// Compares the absolute names (an unresolvable name counts as empty); 0
// when both name the same file.
int filename_compare(const char *filename1, const char *filename2);
// "filename : V1.15 Tessmor 2015-11-26".
const char *filename_version();
