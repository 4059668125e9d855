#pragma once
#include <string>
#include <vector>

// A fresh folder under the system's temporary folder ($TMPDIR, else /tmp), removed with
// everything in it at the end of the test: when its scope ends, also by a failed assertion or
// an exception, and when the process ends by a fatal error (PTemporaryFiles). With
// asProgramFolder, the program folder points at it meanwhile, so the error log and data files
// of the test stay apart from other tests running at the same time; the folder the program
// used before (the test run's own, see TestMain) is its program folder again afterwards.
class TestFolder {
 public:
  explicit TestFolder(bool asProgramFolder = false);
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  // Native path with a trailing "/".
  const std::string& Native() const { return native_; }
  // Program form with a trailing "\".
  std::string Program() const;
  // Writes a native file below the folder (creating sub-folders) and returns its native path.
  std::string WriteFile(const std::string& relative, const std::string& bytes) const;
  std::string ReadFile(const std::string& relative) const;
  // The error log of a program-folder test so far (the log is closed first), as lines
  // without their CR LF; empty when nothing was logged.
  std::vector<std::string> LogLines() const;
  // A text cut into lines at LF, each without a trailing CR.
  static std::vector<std::string> SplitLines(const std::string& text);

 private:
  std::string native_;
  bool asProgramFolder_;
  std::string previousProgramFolder_;  // native, ending in the separator
};
