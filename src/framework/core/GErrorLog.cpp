#include "framework/core/GErrorLog.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/PFile.h"
#include "platform/PPath.h"
#include "platform/PSystem.h"

namespace {
std::unique_ptr<PFile> gLog;
bool gOpenAttempted = false;
}  // namespace

void GErrorLog::LogError(const char* text) {
  if (!gLog && !gOpenAttempted) {
    gOpenAttempted = true;
    gLog = PFile::Open(PPath::ProgramFolder() + kFileName, PFile::kWrite, PFile::Disposition::kCreateAlways);
    if (!gLog) PSystem::Beep();
  }
  if (!gLog) return;
  char line[kMaxLineLength + 2];
  size_t n = text ? strnlen(text, kMaxLineLength) : 0;
  if (n) std::memcpy(line, text, n);
  line[n] = '\r';
  line[n + 1] = '\n';
  gLog->Write(line, n + 2);  // write errors are ignored
}

void GErrorLog::LogFileLine(int32_t line, const char* file) {
  char text[300];
  std::snprintf(text, sizeof text, "%s %d", file ? file : "", static_cast<int>(static_cast<int16_t>(line)));
  LogError(text);
}

void GErrorLog::LogValue(const char* text, int32_t value) {
  char buf[300];
  std::snprintf(buf, sizeof buf, "%s %d", text ? text : "", static_cast<int>(value));
  LogError(buf);
}

void GErrorLog::Close() { gLog.reset(); }

void GErrorLog::ResetForTests() {
  gLog.reset();
  gOpenAttempted = false;
}
