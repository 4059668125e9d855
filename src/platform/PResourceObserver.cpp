#include "platform/PResourceObserver.h"

#include <atomic>

namespace {
std::atomic<PResourceObserver*> gObserver{nullptr};
}

void PResourceObserver::Install(PResourceObserver* observer) { gObserver.store(observer); }

PResourceObserver* PResourceObserver::Current() { return gObserver.load(); }

void PResourceObserver::Note(Kind kind, int32_t number, const char* folder) {
  PResourceObserver* observer = gObserver.load();
  if (observer != nullptr) observer->Requested(kind, number, folder != nullptr ? folder : "");
}
