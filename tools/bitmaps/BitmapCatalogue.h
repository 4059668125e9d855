#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The bitmap catalogue (data/bitmaps.txt): one row per bitmap number the program loads, with
// its size, its use, the strip style of a strip button, whether magenta is transparent in it,
// the recipe that draws it, the code that loads it and its purpose. Lines starting with '#'
// name sections or comment; blank lines are skipped. A row reads
//   number WxH use [strip:S] [key] [shared] recipe [name=value ...] | loaded by | purpose
// with use "2d" or "tex" and values either plain words or "quoted texts".
class BitmapCatalogue {
 public:
  struct Row {
    int32_t line = 0;
    int32_t number = 0;
    int32_t width = 0;
    int32_t height = 0;
    bool texture = false;
    int32_t strip = -1;  // strip style 0-6, -1 for none
    bool key = false;
    bool shared = false;
    std::string recipe;
    std::map<std::string, std::string> args;
    std::string loadedBy;
    std::string purpose;
    std::string section;
  };

  // Reads the catalogue text; name is how errors name the file. False with the first error as
  // "name:line: reason" in Error().
  bool Parse(const std::string& text, const std::string& name);
  bool Load(const std::string& path);

  const std::vector<Row>& Rows() const { return rows_; }
  const Row* Find(int32_t number) const;
  const std::string& Error() const { return error_; }

  // The frame count of a strip style (0-6), or 0 for another style.
  static int32_t FrameCount(int32_t style);
  // The name errors use for a path: its folder's name and the file's, as "data/bitmaps.txt".
  static std::string DisplayName(const std::string& path);

 private:
  bool Fail(int32_t line, const std::string& reason);

  std::vector<Row> rows_;
  std::string error_;
  std::string name_;
};
