// Test vocabulary shared by the unit and end-to-end tests: a temporary
// directory that cleans up, whole-file read and write, golden files.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace testutil {

class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;
  const std::string& path() const { return m_path; }
  std::string operator/(const std::string& name) const { return m_path + "/" + name; }

 private:
  std::string m_path;
};

void WriteFile(const std::string& path, const std::string& content);
std::string ReadFile(const std::string& path);
// The entries of `dir` (hidden ones too, "." and ".." not), sorted; only
// those ending in `suffix` when one is given. Empty when `dir` cannot be read.
std::vector<std::string> ListDir(const std::string& dir, const std::string& suffix = "");
// Copies the reports (*.txt) of dataset `from` into the new directory `to`,
// each followed by the text `appended` gives for its name; returns `to`.
std::string CopyDataset(const std::string& from, const std::string& to,
                        const std::map<std::string, std::string>& appended = {});
// Runs argv (no shell) with extra "K=V" environment entries; returns the exit
// status and fills `output` with stdout and stderr together.
int RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env, std::string* output);
// Expects the files of `dir` ending in `suffix` to be those of the reviewed
// folder `golden`, byte for byte.
void ExpectGoldenFiles(const std::string& dir, const std::string& golden, const std::string& suffix = "");

}  // namespace testutil
