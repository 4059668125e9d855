#pragma once
#include <cstddef>
#include <string>

// The files and folders this process has made that nothing outside it should ever find: the
// program's work files in the temporary folder (and a test's scratch folder). A path is listed
// from its making until it is deleted; whatever is still listed when the process ends is
// removed, by the fatal exit as by the normal end. Only the process that listed a path removes
// it: a forked child that dies leaves its parent's files alone.
class PTemporaryFiles {
 public:
  // Lists a program-form path that exists now.
  static void Add(const std::string& path);
  // Deletes the listed file (a plain file, as PFileSystem::Delete) and takes it off the list;
  // false when it could not be deleted (it stays off the list).
  static bool Delete(const std::string& path);
  // Takes a path off the list without touching it.
  static void Forget(const std::string& path);
  // Removes everything this process listed (a folder with all it holds) and empties the list.
  static void RemoveAll();
  // How many paths this process has listed.
  static size_t Count();
};
