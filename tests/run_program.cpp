#include "tests/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace testsupport {

std::string program_path(const std::string &name) {
  const char *dir = std::getenv("BANDTOOLS_BIN");
  return std::string(dir ? dir : BANDTOOLS_BIN_DIR) + "/" + name;
}

ProgramResult run_program(const std::string &name,
                          const std::vector<std::string> &args,
                          const std::string &input,
                          const std::string &workdir) {
  int in[2], out[2], err[2];
  if (pipe(in) || pipe(out) || pipe(err)) throw std::runtime_error("pipe failed");
  std::string path = program_path(name);
  std::vector<std::string> words{path};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char *> argv;
  for (auto &w : words) argv.push_back(w.data());
  argv.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    dup2(in[0], 0);
    dup2(out[1], 1);
    dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) close(fd);
    if (!workdir.empty() && chdir(workdir.c_str()) != 0) _exit(127);
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  close(in[0]);
  close(out[1]);
  close(err[1]);
  signal(SIGPIPE, SIG_IGN);

  ProgramResult r{"", "", -1};
  size_t written = 0;
  if (input.empty()) {
    close(in[1]);
    in[1] = -1;
  }
  int open_outputs = 2;
  while (open_outputs > 0 || in[1] >= 0) {
    pollfd fds[3];
    int n = 0;
    if (out[0] >= 0) fds[n++] = {out[0], POLLIN, 0};
    if (err[0] >= 0) fds[n++] = {err[0], POLLIN, 0};
    if (in[1] >= 0) fds[n++] = {in[1], POLLOUT, 0};
    if (poll(fds, n, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < n; ++i) {
      if (!fds[i].revents) continue;
      if (fds[i].fd == in[1]) {
        ssize_t w = write(in[1], input.data() + written, input.size() - written);
        if (w > 0) written += static_cast<size_t>(w);
        if (w < 0 || written == input.size()) {
          close(in[1]);
          in[1] = -1;
        }
        continue;
      }
      char buf[4096];
      ssize_t got = read(fds[i].fd, buf, sizeof buf);
      if (got > 0) {
        (fds[i].fd == out[0] ? r.out : r.err).append(buf, static_cast<size_t>(got));
      } else {
        if (fds[i].fd == out[0]) { close(out[0]); out[0] = -1; }
        else { close(err[0]); err[0] = -1; }
        --open_outputs;
      }
    }
  }
  int st = 0;
  waitpid(pid, &st, 0);
  if (WIFEXITED(st)) r.exit_code = WEXITSTATUS(st);
  else if (WIFSIGNALED(st)) r.exit_code = 128 + WTERMSIG(st);
  return r;
}

std::string read_file(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void write_file(const std::string &path, const std::string &bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "bandtools-XXXXXX").string();
  if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

}  // namespace testsupport
