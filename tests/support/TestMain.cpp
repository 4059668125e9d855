#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "platform/PStringTable.h"
#include "support/ResourceRecorder.h"
#include "support/TestFolder.h"

namespace {

// The string ids the run asked for that data/strings.txt has no row for, less those a test
// declared deliberately absent (ResourceRecorder::Expect or ExpectAbsent). Each is reported;
// the result is false when there is any.
bool EveryStringIdHasARow(const ResourceRecorder& recorder) {
  const std::set<int32_t> asked = recorder.Requests(PResourceObserver::Kind::kString);
  // Looking the ids up again must not count as asking for them.
  PResourceObserver* const current = PResourceObserver::Current();
  PResourceObserver::Install(nullptr);
  bool complete = true;
  for (int32_t id : asked) {
    if (PStringTable::Find(static_cast<uint32_t>(id), nullptr) != nullptr) continue;
    std::fprintf(stderr,
                 "String id %d was asked for but data/strings.txt has no row for it (a test that "
                 "asks for it on purpose declares it with ResourceRecorder::ExpectAbsent).\n",
                 static_cast<int>(id));
    complete = false;
  }
  PResourceObserver::Install(current);
  return complete;
}

}  // namespace

// Every test program runs headless: no window and no sound card, whatever runs it. One
// recorder hears every numbered resource the whole run asks for; at the end a string id
// without a row fails the run. The run's program folder is a temporary folder of its own, so
// the error log and whatever else a test writes there never land beside the test programs
// (tests find the build's data through their own paths, not beside the executable).
int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "dummy", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  testing::InitGoogleTest(&argc, argv);
  ResourceRecorder recorder;
  // Kept to the process's end, so that what lives that long (a world a test suite keeps for
  // the whole run) still logs there; the list of temporary files removes it when the process
  // ends.
  static const TestFolder* const programFolder = new TestFolder(true);
  (void)programFolder;
  const int result = RUN_ALL_TESTS();
  const bool strings = EveryStringIdHasARow(recorder);
  return result != 0 ? result : (strings ? 0 : 1);
}
