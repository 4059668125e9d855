#include "platform/PTemporaryFiles.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <vector>

#include "platform/PFileSystem.h"
#include "platform/PPath.h"

namespace {

struct Entry {
  std::string native;
  pid_t owner;
};

struct List {
  std::mutex mutex;
  std::vector<Entry> entries;
};

void RemoveAtExit() { PTemporaryFiles::RemoveAll(); }

// Never destroyed: objects destroyed late in the process's end may still delete their files.
List& TheList() {
  static List* list = [] {
    auto* made = new List;
    std::atexit(RemoveAtExit);
    return made;
  }();
  return *list;
}

}  // namespace

void PTemporaryFiles::Add(const std::string& path) {
  List& list = TheList();
  std::lock_guard<std::mutex> lock(list.mutex);
  list.entries.push_back(Entry{PPath::ToNative(path), ::getpid()});
}

bool PTemporaryFiles::Delete(const std::string& path) {
  Forget(path);
  return PFileSystem::Delete(path);
}

void PTemporaryFiles::Forget(const std::string& path) {
  List& list = TheList();
  const std::string native = PPath::ToNative(path);
  const pid_t self = ::getpid();
  std::lock_guard<std::mutex> lock(list.mutex);
  auto found = std::find_if(list.entries.begin(), list.entries.end(),
                            [&](const Entry& e) { return e.owner == self && e.native == native; });
  if (found != list.entries.end()) list.entries.erase(found);
}

void PTemporaryFiles::RemoveAll() {
  List& list = TheList();
  std::lock_guard<std::mutex> lock(list.mutex);
  const pid_t self = ::getpid();
  std::vector<Entry> kept;
  for (Entry& e : list.entries) {
    if (e.owner != self) {
      kept.push_back(std::move(e));
      continue;
    }
    std::error_code ignored;
    std::filesystem::remove_all(e.native, ignored);
  }
  list.entries = std::move(kept);
}

size_t PTemporaryFiles::Count() {
  List& list = TheList();
  std::lock_guard<std::mutex> lock(list.mutex);
  const pid_t self = ::getpid();
  return static_cast<size_t>(std::count_if(list.entries.begin(), list.entries.end(),
                                           [self](const Entry& e) { return e.owner == self; }));
}
