// filename: file-name texts with parameters, environment references, home
// directories and number patterns.
#include "rylpack/filename.h"
#include "rylpack/strlib.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

// Working texts hold at most this many characters; longer ones are cut.
constexpr std::size_t kWorkLen = 4095;
constexpr char DirSeparator = '/';
constexpr char ExtSeparator = '.';
constexpr const char *DUMMYFILENAME = "/dev/null";

char *put(char *buffer, std::size_t buflen, const std::string &s) {
  if (!buffer || buflen == 0) return nullptr;
  return strlib_copy(buffer, buflen, s.c_str());
}

std::string work_text(const char *text) {
  std::size_t n = std::strlen(text);
  return std::string(text, n > kWorkLen ? kWorkLen : n);
}

// Item parno of a text (see filename_parameter); false when absent.
bool parameter(const std::string &t, int parno, std::string *item) {
  if (parno < -1) return false;
  std::size_t from = t.rfind(']');
  if (from == std::string::npos) from = 0;
  std::vector<std::size_t> commas;
  for (std::size_t i = from; i < t.size(); ++i)
    if (t[i] == ',') commas.push_back(i);
  if (parno == -1) {
    if (commas.empty()) return false;
    *item = t.substr(commas[0] + 1);
    return true;
  }
  std::size_t n = static_cast<std::size_t>(parno);
  if (n > commas.size()) return false;
  std::size_t b = n == 0 ? 0 : commas[n - 1] + 1;
  std::size_t e = n < commas.size() ? commas[n] : t.size();
  *item = t.substr(b, e - b);
  return true;
}

// The home directory of a user (the current one for an empty name), from
// the user database. False for an unknown user or an empty home.
bool home_of(const std::string &user, std::string *home) {
  long hint = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::size_t size = hint > 0 ? static_cast<std::size_t>(hint) : 16384;
  for (;;) {
    std::vector<char> buf(size);
    passwd pw{};
    passwd *found = nullptr;
    int rc = user.empty() ? getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &found)
                          : getpwnam_r(user.c_str(), &pw, buf.data(), buf.size(), &found);
    if (rc == ERANGE && size < (1u << 22)) {
      size *= 2;
      continue;
    }
    if (rc != 0 || !found || !pw.pw_dir || !*pw.pw_dir) return false;
    *home = pw.pw_dir;
    return true;
  }
}

// Reads a variable or user name at in[i]: "{name}" or a run up to '/',
// '$' or ','. The comma ends a name as well because it separates the
// parameters, so that "$FILE,1,10" names a variable FILE. False for an
// unclosed brace.
bool read_name(const std::string &in, std::size_t *i, std::string *name) {
  std::size_t j = *i;
  if (j < in.size() && in[j] == '{') {
    std::size_t k = j + 1;
    while (k < in.size() && in[k] != '}' && in[k] != '/' && in[k] != '$') ++k;
    if (k >= in.size() || in[k] != '}') return false;
    *name = in.substr(j + 1, k - j - 1);
    *i = k + 1;
    return true;
  }
  while (j < in.size() && in[j] != '/' && in[j] != '$' && in[j] != ',') ++j;
  *name = in.substr(*i, j - *i);
  *i = j;
  return true;
}

bool subst(const std::string &in, std::string *out) {
  out->clear();
  std::size_t i = 0;
  while (i < in.size()) {
    char c = in[i];
    if (c == '$') {
      ++i;
      std::string name;
      if (!read_name(in, &i, &name)) return false;
      if (name.empty()) {
        *out += '$';
        continue;
      }
      const char *value = std::getenv(name.c_str());
      if (!value) return false;
      *out += value;
    } else if (c == '~' && out->empty()) {
      ++i;
      std::string user, home;
      if (!read_name(in, &i, &user)) return false;
      if (!home_of(user, &home)) return false;
      *out += home;
    } else if (c == '{') {
      int depth = 1;
      std::size_t k = i + 1;
      for (; k < in.size(); ++k) {
        if (in[k] == '/' || in[k] == '$') return false;
        if (in[k] == '{') ++depth;
        if (in[k] == '}' && --depth == 0) break;
      }
      if (k >= in.size()) return false;
      out->append(in, i + 1, k - i - 1);
      i = k + 1;
    } else if (c == '}') {
      return false;
    } else {
      *out += c;
      ++i;
    }
    if (out->size() >= kWorkLen) {
      out->resize(kWorkLen);
      break;
    }
  }
  return true;
}

bool unix_name(const char *pattern, std::string *out) {
  if (!pattern) return false;
  std::string s, item;
  if (!subst(work_text(pattern), &s)) return false;
  if (!parameter(s, 0, &item)) return false;
  for (char &c : item)
    if (c == '\\') c = DirSeparator;
  *out = item;
  return true;
}

// Position of the '.' that starts the extension of the last path
// component, or npos. A dot in a directory name is not an extension.
std::size_t extension_dot(const std::string &name) {
  std::size_t dot = name.rfind(ExtSeparator);
  if (dot == std::string::npos) return dot;
  std::size_t sep = name.find_last_of("/\\");
  if (sep != std::string::npos && sep > dot) return std::string::npos;
  return dot;
}

bool item0(const char *pattern, std::string *out) {
  if (!pattern) return false;
  return parameter(work_text(pattern), 0, out);
}

// The absolute name of the directory of a unix name, without a final '/'
// (empty for the root), resolved without changing the working directory.
bool resolve(const std::string &dir, std::string *out) {
  struct stat st {};
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  std::unique_ptr<char, decltype(&std::free)> real(realpath(dir.c_str(), nullptr), &std::free);
  if (!real) return false;
  *out = real.get();
  if (*out == "/") out->clear();
  return true;
}

bool full_name(const char *pattern, std::string *out) {
  std::string u;
  if (!unix_name(pattern, &u)) return false;
  if (u == DUMMYFILENAME) {
    *out = u;
    return true;
  }
  std::size_t sep = u.rfind(DirSeparator);
  std::string dir = sep == std::string::npos ? "." : (sep == 0 ? "/" : u.substr(0, sep));
  std::string name = sep == std::string::npos ? u : u.substr(sep + 1);
  std::string abs;
  if (!resolve(dir, &abs)) return false;
  *out = abs + DirSeparator + name;
  return true;
}

struct DirCloser {
  void operator()(DIR *d) const { closedir(d); }
};

}  // namespace

char *filename_parameter(char *buffer, std::size_t buflen, const char *pattern, int parno) {
  std::string item;
  if (!pattern || !parameter(work_text(pattern), parno, &item)) return nullptr;
  return put(buffer, buflen, item);
}

char *env_subst(char *buffer, std::size_t buflen, const char *filepattern) {
  std::string out;
  if (!filepattern || !subst(work_text(filepattern), &out)) return nullptr;
  return put(buffer, buflen, out);
}

char *filename_unix(char *buffer, std::size_t buflen, const char *pattern) {
  std::string u;
  if (!unix_name(pattern, &u)) return nullptr;
  return put(buffer, buflen, u);
}

char *filename_path(char *buffer, std::size_t buflen, const char *pattern) {
  std::string u;
  if (!unix_name(pattern, &u)) return nullptr;
  std::size_t sep = u.rfind(DirSeparator);
  return put(buffer, buflen, sep == std::string::npos ? std::string("./") : u.substr(0, sep + 1));
}

char *filename_terminate_path(char *buffer, std::size_t buflen, const char *path) {
  std::string u;
  if (!unix_name(path, &u)) return nullptr;
  if (u.empty()) u = "./";
  if (u.back() != DirSeparator) u += DirSeparator;
  return put(buffer, buflen, u);
}

char *filename_name(char *buffer, std::size_t buflen, const char *pattern) {
  std::string u;
  if (!unix_name(pattern, &u)) return nullptr;
  std::size_t sep = u.rfind(DirSeparator);
  return put(buffer, buflen, sep == std::string::npos ? u : u.substr(sep + 1));
}

char *filename_body(char *buffer, std::size_t buflen, const char *pattern) {
  std::string t;
  if (!item0(pattern, &t)) return nullptr;
  std::size_t dot = extension_dot(t);
  return put(buffer, buflen, dot == std::string::npos ? t : t.substr(0, dot));
}

char *filename_extension(char *buffer, std::size_t buflen, const char *pattern) {
  std::string t;
  if (!item0(pattern, &t)) return nullptr;
  std::size_t dot = extension_dot(t);
  return put(buffer, buflen, dot == std::string::npos ? std::string() : t.substr(dot));
}

char *filename_base(char *buffer, std::size_t buflen, const char *pattern) {
  std::string u;
  if (!unix_name(pattern, &u)) return nullptr;
  std::size_t sep = u.rfind(DirSeparator);
  if (sep != std::string::npos) u = u.substr(sep + 1);
  std::size_t dot = u.rfind(ExtSeparator);
  return put(buffer, buflen, dot == std::string::npos ? u : u.substr(0, dot));
}

char *filename_full(char *buffer, std::size_t buflen, const char *pattern) {
  std::string full;
  if (!full_name(pattern, &full)) return nullptr;
  return put(buffer, buflen, full);
}

int filename_has_path(const char *filename) {
  return filename && std::strchr(filename, DirSeparator) ? 1 : 0;
}

int filename_has_pattern(const char *filename) {
  return filename && std::strchr(filename, '%') ? 1 : 0;
}

char *filename_pattern(char *buffer, std::size_t buflen, const char *pattern, rlong number) {
  if (!buffer || buflen == 0 || !pattern) return nullptr;
  strlib_copy(buffer, buflen, pattern);
  char *first = std::strchr(buffer, '%');
  if (!first) return buffer;
  char *last = std::strrchr(buffer, '%');
  long long v = number;  // wide enough for the magnitude of the smallest rlong
  bool negative = v < 0;
  std::string digits = std::to_string(negative ? -v : v);
  std::size_t k = digits.size();
  for (char *p = last; p >= first; --p) {
    if (*p != '%') continue;
    *p = k > 0 ? digits[--k] : '0';
  }
  if (negative) *first = '-';
  return buffer;
}

int filename_exists(const char *filename) {
  std::string u;
  if (!unix_name(filename, &u)) return 0;
  std::size_t sep = u.rfind(DirSeparator);
  std::string dir = sep == std::string::npos ? "." : (sep == 0 ? "/" : u.substr(0, sep));
  std::string name = sep == std::string::npos ? u : u.substr(sep + 1);
  std::unique_ptr<DIR, DirCloser> d(opendir(dir.c_str()));
  if (!d) return 0;
  while (dirent *ent = readdir(d.get()))
    if (name == ent->d_name) return 1;
  return 0;
}

int filename_compare(const char *filename1, const char *filename2) {
  std::string a, b;
  if (!full_name(filename1, &a)) a.clear();
  if (!full_name(filename2, &b)) b.clear();
  return std::strcmp(a.c_str(), b.c_str());
}

const char *filename_version() { return "filename : V1.15 Tessmor 2015-11-26"; }
