#include "rylpack/filename.h"

#include "tests/run_program.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Sets an environment variable for the life of the object.
class EnvVar {
 public:
  EnvVar(const char *name, const char *value) : name_(name) {
    const char *old = std::getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value) setenv(name, value, 1); else unsetenv(name);
  }
  ~EnvVar() {
    if (had_) setenv(name_.c_str(), old_.c_str(), 1); else unsetenv(name_.c_str());
  }

 private:
  std::string name_, old_;
  bool had_ = false;
};

std::string str(const char *p) { return p ? p : "<null>"; }

std::string my_home() {
  passwd *pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

void touch(const std::string &path) {
  FILE *f = std::fopen(path.c_str(), "w");
  ASSERT_NE(f, nullptr) << path;
  std::fclose(f);
}

}  // namespace

TEST(FilenameParameter, ItemsAfterCommas) {
  struct Case { const char *text; int parno; const char *expect; } cases[] = {
      {"img.ryl,1,10,2", 0, "img.ryl"}, {"img.ryl,1,10,2", 1, "1"},
      {"img.ryl,1,10,2", 2, "10"},      {"img.ryl,1,10,2", 3, "2"},
      {"img.ryl,1,10,2", 4, "<null>"},  {"img.ryl,1,10,2", -1, "1,10,2"},
      {"img.ryl,,5", 1, ""},            {"img.ryl,,5", 2, "5"},
      {"img.ryl,", 1, ""},              {"img.ryl", 0, "img.ryl"},
      {"img.ryl", 1, "<null>"},         {"img.ryl", -1, "<null>"},
      {"img.ryl,1", -2, "<null>"},
      // Commas before the last ']' belong to a bracketed header key.
      {"a[Title,2].ryl,3,4", 0, "a[Title,2].ryl"},
      {"a[Title,2].ryl,3,4", 1, "3"},
      {"a[Title,2].ryl,3,4", -1, "3,4"},
  };
  for (const auto &c : cases) {
    char buf[64];
    EXPECT_EQ(str(filename_parameter(buf, sizeof buf, c.text, c.parno)), c.expect)
        << c.text << " item " << c.parno;
  }
  char small[4];
  EXPECT_EQ(str(filename_parameter(small, sizeof small, "abcdef,1", 0)), "abc");
  EXPECT_EQ(filename_parameter(small, sizeof small, nullptr, 0), nullptr);
}

TEST(FilenameEnv, SubstitutesVariablesHomesAndBraces) {
  EnvVar data("RYLTEST_DATA", "/d/data");
  EnvVar unset("RYLTEST_UNSET", nullptr);
  const std::string home = my_home();
  struct Case { const char *text; std::string expect; } cases[] = {
      {"$RYLTEST_DATA/a.ryl", "/d/data/a.ryl"},
      {"${RYLTEST_DATA}x/a.ryl", "/d/datax/a.ryl"},
      {"$RYLTEST_DATA$RYLTEST_DATA", "/d/data/d/data"},
      {"$RYLTEST_DATA,1,10", "/d/data,1,10"},
      {"$RYLTEST_UNSET/a.ryl", "<null>"},
      {"${RYLTEST_DATA/a", "<null>"},
      {"cost$/a", "cost$/a"},
      {"${}", "$"},
      {"~/a.ryl", home + "/a.ryl"},
      {"a~b.ryl", "a~b.ryl"},
      {"~nosuchuser_rylpack/a", "<null>"},
      {"{abc}def", "abcdef"},
      {"x{a{b}c}y", "xa{b}cy"},
      {"x{ab/c}", "<null>"},
      {"x{ab", "<null>"},
      {"x}y", "<null>"},
  };
  for (const auto &c : cases) {
    char buf[256];
    EXPECT_EQ(str(env_subst(buf, sizeof buf, c.text)), c.expect) << c.text;
  }
  if (getpwnam("root")) {
    char buf[256];
    EXPECT_EQ(str(env_subst(buf, sizeof buf, "~root/x")), std::string(getpwnam("root")->pw_dir) + "/x");
  }
}

TEST(FilenameEnv, LongNamesAndValuesAreBounded) {
  std::string big(100000, 'v');
  EnvVar var("RYLTEST_BIG", big.c_str());
  char buf[32];
  std::string r = str(env_subst(buf, sizeof buf, "$RYLTEST_BIG/x"));
  EXPECT_EQ(r, std::string(31, 'v'));
  std::string longvar = "$" + std::string(20000, 'N');
  EXPECT_EQ(env_subst(buf, sizeof buf, longvar.c_str()), nullptr);
  std::string longuser = "~" + std::string(20000, 'u') + "/x";
  EXPECT_EQ(env_subst(buf, sizeof buf, longuser.c_str()), nullptr);
  char full[8192];
  std::string longtext(10000, 'a');
  EXPECT_EQ(std::strlen(env_subst(full, sizeof full, longtext.c_str())), 4095u);
}

TEST(FilenameParts, PathNameBodyExtensionBase) {
  EnvVar data("RYLTEST_DATA", "/d/data");
  struct Case {
    char *(*fn)(char *, std::size_t, const char *);
    const char *name, *text, *expect;
  } cases[] = {
      {filename_unix, "unix", "a\\b\\c.ryl,1,2", "a/b/c.ryl"},
      {filename_unix, "unix", "$RYLTEST_DATA/c.ryl,1", "/d/data/c.ryl"},
      {filename_path, "path", "a.ryl", "./"},
      {filename_path, "path", "/d/a.ryl", "/d/"},
      {filename_path, "path", "$RYLTEST_DATA/a.ryl", "/d/data/"},
      {filename_terminate_path, "terminate", "", "./"},
      {filename_terminate_path, "terminate", "/d", "/d/"},
      {filename_terminate_path, "terminate", "/d/", "/d/"},
      {filename_name, "name", "/d/a.ryl,1,3", "a.ryl"},
      {filename_name, "name", "a.ryl", "a.ryl"},
      {filename_body, "body", "a.ryl.gz", "a.ryl"},
      {filename_body, "body", "/d/a.ryl,1", "/d/a"},
      {filename_body, "body", "noext", "noext"},
      {filename_body, "body", "run.1/img", "run.1/img"},
      {filename_extension, "extension", "a.ryl.gz", ".gz"},
      {filename_extension, "extension", "noext", ""},
      {filename_extension, "extension", "run.1/img", ""},
      {filename_extension, "extension", "$X/a.Z", ".Z"},
      {filename_base, "base", "/d/a.ryl.gz,1", "a.ryl"},
      {filename_base, "base", "/d.x/a", "a"},
  };
  for (const auto &c : cases) {
    char buf[128];
    EXPECT_EQ(str(c.fn(buf, sizeof buf, c.text)), c.expect) << c.name << " of " << c.text;
  }
  EXPECT_EQ(filename_has_path("a/b"), 1);
  EXPECT_EQ(filename_has_path("ab"), 0);
  EXPECT_EQ(filename_has_pattern("img%%.ryl"), 1);
  EXPECT_EQ(filename_has_pattern("img.ryl"), 0);
  EXPECT_EQ(filename_has_pattern(nullptr), 0);
  EXPECT_STREQ(filename_version(), "filename : V1.15 Tessmor 2015-11-26");
}

TEST(FilenamePattern, NumbersFillThePercentRun) {
  struct Case { const char *pattern; rlong number; const char *expect; } cases[] = {
      {"img%%%%.ryl", 17, "img0017.ryl"},   {"img%%%%.ryl", 123456, "img3456.ryl"},
      {"img%%%%.ryl", -5, "img-005.ryl"},   {"img%%%%.ryl", 0, "img0000.ryl"},
      {"img.ryl", 5, "img.ryl"},            {"a%b%c", 12, "a1b2c"},
      {"%", 7, "7"},                        {"%%%%%%%%%%%%", -2147483647 - 1, "-02147483648"},
  };
  for (const auto &c : cases) {
    char buf[64];
    EXPECT_EQ(str(filename_pattern(buf, sizeof buf, c.pattern, c.number)), c.expect)
        << c.pattern << " " << c.number;
  }
  char small[5];
  EXPECT_EQ(str(filename_pattern(small, sizeof small, "i%%%%%.ryl", 42)), "i042")
      << "the pattern is cut to fit first, then filled";
}

TEST(FilenameFiles, FullNamesExistenceAndComparison) {
  testsupport::TempDir dir;
  ASSERT_EQ(mkdir(dir.file("sub").c_str(), 0755), 0);
  touch(dir.file("sub/a.ryl"));
  char real[4096];
  ASSERT_NE(realpath(dir.path().c_str(), real), nullptr);
  const std::string base = real;
  char cwd_before[4096];
  ASSERT_NE(getcwd(cwd_before, sizeof cwd_before), nullptr);

  char buf[4096];
  EXPECT_EQ(str(filename_full(buf, sizeof buf, (dir.path() + "/sub/../sub/a.ryl,1,2").c_str())),
            base + "/sub/a.ryl");
  EXPECT_EQ(str(filename_full(buf, sizeof buf, (dir.path() + "/sub/new.ryl").c_str())),
            base + "/sub/new.ryl") << "the file itself need not exist";
  EXPECT_EQ(filename_full(buf, sizeof buf, (dir.path() + "/nodir/a.ryl").c_str()), nullptr);
  EXPECT_EQ(filename_full(buf, sizeof buf, (dir.path() + "/sub/a.ryl/x").c_str()), nullptr);
  EXPECT_EQ(str(filename_full(buf, sizeof buf, "/dev/null")), "/dev/null");
  EXPECT_EQ(str(filename_full(buf, sizeof buf, "/x.ryl")), "/x.ryl");
  EXPECT_EQ(str(filename_full(buf, sizeof buf, "rel.ryl")), std::string(cwd_before) + "/rel.ryl");
  char cwd_after[4096];
  ASSERT_NE(getcwd(cwd_after, sizeof cwd_after), nullptr);
  EXPECT_STREQ(cwd_before, cwd_after);

  EXPECT_EQ(filename_exists((dir.path() + "/sub/a.ryl").c_str()), 1);
  EXPECT_EQ(filename_exists((dir.path() + "/sub/A.ryl").c_str()), 0);
  EXPECT_EQ(filename_exists((dir.path() + "/sub/a.ry").c_str()), 0);
  EXPECT_EQ(filename_exists((dir.path() + "/nodir/a.ryl").c_str()), 0);
  EXPECT_EQ(filename_exists((dir.path() + "/sub").c_str()), 1);

  EXPECT_EQ(filename_compare((dir.path() + "/sub/a.ryl").c_str(),
                             (dir.path() + "/sub/../sub/a.ryl,1").c_str()), 0);
  EXPECT_NE(filename_compare((dir.path() + "/sub/a.ryl").c_str(),
                             (dir.path() + "/sub/b.ryl").c_str()), 0);
  EXPECT_EQ(filename_compare((dir.path() + "/nodir/a").c_str(), "$RYLTEST_UNSET_X"), 0)
      << "two unresolvable names both count as empty";
}
