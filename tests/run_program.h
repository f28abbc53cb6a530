// Test helpers: run a built program of this project and capture what it
// prints, read and write whole files, and make scratch directories that
// clean up after themselves.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProgramResult {
  std::string out;   // everything written to standard output
  std::string err;   // everything written to standard error
  int exit_code;     // exit status 0..255, or 128+signal when killed
};

// Runs the program `name` of the build tree (for example "bandplus") with the
// arguments `args` (argv[0] is the program's path), feeding `input` on its
// standard input, and waits for it to end.
ProgramResult run_program(const std::string &name,
                          const std::vector<std::string> &args,
                          const std::string &input = "",
                          const std::string &workdir = "");

// Path of a program of the build tree.
std::string program_path(const std::string &name);

// The bytes of a file (empty when it cannot be read), and a file made of
// `bytes`, replacing any file of that name.
std::string read_file(const std::string &path);
void write_file(const std::string &path, const std::string &bytes);

// A fresh directory under the system's temporary directory, removed with
// everything in it when the object goes out of scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir &) = delete;
  TempDir &operator=(const TempDir &) = delete;
  const std::string &path() const { return path_; }
  std::string file(const std::string &name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace testsupport
