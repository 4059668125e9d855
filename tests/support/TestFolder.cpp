#include "support/TestFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "framework/core/GErrorLog.h"
#include "platform/PPath.h"
#include "platform/PTemporaryFiles.h"

TestFolder::TestFolder(bool asProgramFolder) : asProgramFolder_(asProgramFolder) {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = tmp && *tmp ? tmp : "/tmp";
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  std::string pattern = base + "/tarvane-test-XXXXXX";
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  native_ = pattern + "/";
  // Listed, so that a test process that ends by a fatal error (a death test's child) takes
  // its folder with it as well.
  PTemporaryFiles::Add(PPath::ToProgram(native_));
  if (asProgramFolder_) {
    previousProgramFolder_ = PPath::ToNative(PPath::ProgramFolder());
    GErrorLog::ResetForTests();
    PPath::SetProgramFolder(native_);
  }
}

TestFolder::~TestFolder() {
  if (asProgramFolder_) {
    GErrorLog::ResetForTests();
    PPath::SetProgramFolder(previousProgramFolder_);
  }
  PTemporaryFiles::Forget(PPath::ToProgram(native_));
  std::error_code ec;
  std::filesystem::remove_all(native_, ec);
}

std::string TestFolder::Program() const { return PPath::ToProgram(native_); }

std::string TestFolder::WriteFile(const std::string& relative, const std::string& bytes) const {
  std::filesystem::path p = native_ + relative;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out << bytes;
  return p.string();
}

std::string TestFolder::ReadFile(const std::string& relative) const {
  std::ifstream in(native_ + relative, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

std::vector<std::string> TestFolder::SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(line);
      line.clear();
    } else {
      line += c;
    }
  }
  return lines;
}

std::vector<std::string> TestFolder::LogLines() const {
  GErrorLog::Close();
  return SplitLines(ReadFile(GErrorLog::kFileName));
}
