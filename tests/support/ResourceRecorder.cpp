#include "support/ResourceRecorder.h"

#include <tuple>

bool ResourceRecorder::Entry::operator<(const Entry& o) const {
  return std::tie(kind, number, folder) < std::tie(o.kind, o.number, o.folder);
}

ResourceRecorder::ResourceRecorder() : previous_(PResourceObserver::Current()) { PResourceObserver::Install(this); }

ResourceRecorder::~ResourceRecorder() { PResourceObserver::Install(previous_); }

void ResourceRecorder::Requested(Kind kind, int32_t number, const char* folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.insert(Entry{kind, number, folder});
  if (previous_ != nullptr) previous_->Requested(kind, number, folder);
}

void ResourceRecorder::Expect(Kind kind, int32_t number) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    expected_.insert({static_cast<int>(kind), number});
  }
  if (auto* outer = dynamic_cast<ResourceRecorder*>(previous_)) outer->Expect(kind, number);
}

void ResourceRecorder::ExpectAbsent(Kind kind, int32_t number) {
  if (auto* current = dynamic_cast<ResourceRecorder*>(PResourceObserver::Current())) current->Expect(kind, number);
}

std::set<int32_t> ResourceRecorder::Requests(Kind kind, const std::string& folderSuffix) const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::set<int32_t> out;
  for (const Entry& e : entries_) {
    if (e.kind != kind) continue;
    if (expected_.count({static_cast<int>(kind), e.number}) != 0) continue;
    if (!folderSuffix.empty() &&
        (e.folder.size() < folderSuffix.size() ||
         e.folder.compare(e.folder.size() - folderSuffix.size(), folderSuffix.size(), folderSuffix) != 0))
      continue;
    out.insert(e.number);
  }
  return out;
}
