// Test vocabulary: temporary directories, files, child programs.
#include "TestUtil.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>

#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "hx/Process.h"

namespace testutil {
namespace {

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); }

}  // namespace

ScopedTempDir::ScopedTempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/nwk-test-XXXXXX";
  char* made = mkdtemp(pattern.data());
  if (!made) throw std::runtime_error("mkdtemp failed");
  m_path = made;
}

ScopedTempDir::~ScopedTempDir() { nftw(m_path.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS); }

void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << content;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<std::string> ListDir(const std::string& dir, const std::string& suffix) {
  std::vector<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      std::string name = e->d_name;
      if (name == "." || name == "..") continue;
      if (name.size() >= suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
        names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string CopyDataset(const std::string& from, const std::string& to,
                        const std::map<std::string, std::string>& appended) {
  mkdir(to.c_str(), 0700);
  for (const std::string& name : ListDir(from, ".txt")) {
    auto extra = appended.find(name);
    WriteFile(to + "/" + name, ReadFile(from + "/" + name) + (extra == appended.end() ? "" : extra->second));
  }
  return to;
}

int RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env, std::string* output) {
  ScopedTempDir dir;
  hx::ProcessOptions options;
  options.outputPath = dir / "output.txt";
  options.extraEnv = env;
  options.timeoutSeconds = 120;
  hx::ProcessResult result = hx::RunProcess(argv, options);
  if (output) *output = ReadFile(options.outputPath) + result.error;
  if (!result.started) return -1;
  return result.termSignal != 0 ? 128 + result.termSignal : result.exitCode;
}

void ExpectGoldenFiles(const std::string& dir, const std::string& golden, const std::string& suffix) {
  const std::vector<std::string> names = ListDir(golden, suffix);
  EXPECT_FALSE(names.empty()) << golden;
  EXPECT_EQ(ListDir(dir, suffix), names) << dir;
  for (const std::string& name : names)
    EXPECT_EQ(ReadFile(dir + "/" + name), ReadFile(golden + "/" + name)) << name;
}

}  // namespace testutil
