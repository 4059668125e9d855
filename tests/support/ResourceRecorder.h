#pragma once
#include <cstdint>
#include <mutex>
#include <set>
#include <string>

#include "platform/PResourceObserver.h"

// Records every numbered resource asked for while it is installed (from construction to
// destruction), by kind. A test that exercises code then asks which numbers have no row in
// the catalogue of their kind. Numbers a test asks for on purpose without a row (synthetic
// bitmaps in a test's own folder, absent string ids) are declared with Expect so they are not
// reported.
class ResourceRecorder : public PResourceObserver {
 public:
  ResourceRecorder();
  ~ResourceRecorder() override;
  ResourceRecorder(const ResourceRecorder&) = delete;
  ResourceRecorder& operator=(const ResourceRecorder&) = delete;

  void Requested(Kind kind, int32_t number, const char* folder) override;

  // Declares number of kind as asked for deliberately without a row, here and in every
  // recorder this one is nested in (among them the test program's own, see TestMain.cpp).
  void Expect(Kind kind, int32_t number);
  // Expect on the installed recorder, if any: for tests that ask for a missing number without
  // a recorder of their own.
  static void ExpectAbsent(Kind kind, int32_t number);
  // The numbers of kind asked for so far, less those declared with Expect. With folderSuffix
  // non-empty, only requests whose folder ends with it count (for example "BMP\" of the
  // program folder the test runs from).
  std::set<int32_t> Requests(Kind kind, const std::string& folderSuffix = "") const;

 private:
  struct Entry {
    Kind kind;
    int32_t number;
    std::string folder;
    bool operator<(const Entry& o) const;
  };
  mutable std::mutex mutex_;
  std::set<Entry> entries_;
  std::set<std::pair<int, int32_t>> expected_;
  PResourceObserver* previous_;
};
