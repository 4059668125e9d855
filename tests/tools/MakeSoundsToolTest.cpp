// The synthesiser as the build runs it: byte-identical output, and a bad catalogue row that
// stops it with the row's line and reason before anything is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "support/ResourceRecorder.h"
#include "support/SoundCatalogueRows.h"
#include "support/TestFolder.h"
#include "tools/SoundTestRows.h"

namespace {

struct ToolRun {
  int status = -1;
  std::string output;
};

ToolRun RunTool(const std::string& catalogue, const std::string& shown, const std::string& out,
                const std::string& only = "") {
  std::string command = std::string("\"") + MAKE_SOUNDS + "\" \"" + catalogue + "\" \"" + shown + "\" \"" + out + "\"";
  if (!only.empty()) command += " --only " + only;
  command += " 2>&1";
  ToolRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe)) run.output += buffer;
  run.status = pclose(pipe);
  return run;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

size_t FilesIn(const std::string& folder) {
  size_t n = 0;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(folder, ec)) {
    (void)e;
    ++n;
  }
  return n;
}

// A second run gives the very bytes the build made: a voice of each language, an effect of
// each kind of recipe and a stream.
TEST(MakeSounds, ASecondRunMakesTheSameBytes) {
  TestFolder folder;
  const std::string out = folder.Native() + "WAV";
  const int numbers[] = {30, 133, 150, 160, 171, 201, 231, 300, 320, 401, 435, 505, 620, 701, 803, 902,
                         1000, 2013, 3032, 4140, 6128, 5005, 5010};
  std::string only;
  for (int n : numbers) {
    if (!only.empty()) only += ',';
    only += std::to_string(n);
  }
  const ToolRun run = RunTool(TARVANE_SOUND_CATALOGUE_FILE, "data/sounds.txt", out, only);
  ASSERT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(FilesIn(out), std::size(numbers));
  for (int n : numbers) {
    const std::string made = soundrows::SoundPath(n);
    const std::string again = out + "/" + made.substr(made.rfind('/') + 1);
    EXPECT_EQ(ReadBytes(again), ReadBytes(made)) << n;
  }
}

struct BadRow {
  const char* row;
  const char* reason;
};

// Each bad catalogue stops the tool with "data/sounds.txt:line: reason" and leaves no file.
TEST(MakeSounds, ABadRowStopsTheRunWithItsLineAndWritesNothing) {
  const BadRow cases[] = {
      {"30 | mono | 0.2 | click", "a row has 6 fields"},
      {"0 | mono | 0.2 | click | GControl | a click", "sound number \"0\" is not a whole number from 1 to 32767"},
      {"32768 | mono | 0.2 | click | GControl | a click", "is not a whole number from 1 to 32767"},
      {"30 | plain | 0.2 | click | GControl | a click", "unknown form \"plain\""},
      {"30 | mono | 0.2 | whistle | GControl | a click", "unknown recipe \"whistle\""},
      {"30 | mono | 0.2 | click pitch=9000 | GControl | a click", "argument pitch is a number from 200 to 6000"},
      {"30 | mono | 0.2 | click tone=3 | GControl | a click", "recipe click has no argument \"tone\""},
      {"30 | mono | 0.2 | incoming tone=bomb | Unit | a round", "argument tone is one of shell, mortar, rocket"},
      {"30 | mono | 0.2 | click pitch | GControl | a click", "is not name=value"},
      {"30 | mono | -1 | click | GControl | a click", "is not a number of seconds above 0"},
      {"30 | mono | 12.0 | click | GControl | a click", "a plain sound holds at most 1048576 bytes"},
      {"133 | mono-loop | 6.0 | engine | Vehicle | idle", "a looped sound holds at most 524288 bytes"},
      {"171 | mono | 1.45 | chime dir=down | WRApplication | quit", "the quit sound lasts at most 1.40 s"},
      {"5000 | stream-loop | 30 | ambience | Battle | rain", "a looping stream lasts 15 to 25 s"},
      {"5000 | mono | 5 | ambience | Battle | rain", "recipe ambience does not make this form"},
      {"2000 | mono | speech | voice | Unit | moving off | xx | Los!", "unknown language \"xx\""},
      {"2000 | mono | speech | voice | Unit | moving off | de | ", "an empty phrase cannot be spoken"},
      {"2000 | mono | speech | voice | Unit | moving off | de | ...", "espeak-ng cannot speak the phrase"},
      {"2000 | mono | 1.0 | voice | Unit | moving off", "the voice recipe needs a language and a phrase"},
  };
  for (const BadRow& c : cases) {
    SCOPED_TRACE(c.row);
    TestFolder folder;
    // A good row first, so the bad one is on line 4 and nothing half-made is left behind.
    folder.WriteFile("sounds.txt", std::string("# sounds\n[Interface]\n150 | mono | 0.06 | click | GControl | a click\n") +
                                       c.row + "\n");
    const std::string out = folder.Native() + "WAV";
    const ToolRun run = RunTool(folder.Native() + "sounds.txt", "data/sounds.txt", out);
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(run.output.rfind("data/sounds.txt:4: ", 0), 0u) << run.output;
    EXPECT_NE(run.output.find(c.reason), std::string::npos) << run.output;
    EXPECT_EQ(FilesIn(out), 0u);
  }
  // A repeated number is named on its second line.
  TestFolder folder;
  folder.WriteFile("sounds.txt", "150 | mono | 0.06 | click | GControl | a click\n\n150 | mono | 0.07 | click | GControl | again\n");
  const ToolRun run = RunTool(folder.Native() + "sounds.txt", "data/sounds.txt", folder.Native() + "WAV");
  EXPECT_NE(run.status, 0);
  EXPECT_EQ(run.output, "data/sounds.txt:3: sound 150 is repeated\n");
}

// Every recipe makes a sound however short it is asked to be, with its arguments at either
// end of their ranges.
TEST(MakeSounds, EveryRecipeCopesWithTheShortestLengthsAndExtremeArguments) {
  TestFolder folder;
  std::string rows;
  int number = 1;
  for (const char* recipe : {"gun calibre=7", "gun calibre=240", "smallarms weapon=mg rate=1500 shots=40",
                             "smallarms weapon=squad shots=1", "explosion size=4", "incoming tone=rocket",
                             "impact kind=bullets", "impact kind=immobilise", "hatch action=close", "bog",
                             "collapse size=2", "aircraft pass=bombs", "aircraft pass=rockets", "assault grenades=4 bursts=4",
                             "cry vowel=u pitch=80", "click pitch=6000", "blip pitch=200 pitch2=6000",
                             "chime notes=6 dir=down voice=brass"})
    for (const char* length : {"0.001", "0.02", "0.3"})
      rows += std::to_string(number++) + " | mono | " + length + " | " + recipe + " | test | shortest\n";
  for (const char* recipe : {"engine rpm=300 cylinders=2 size=0", "engine rpm=4000 cylinders=16 size=1", "fire size=1"})
    for (const char* length : {"0.001", "0.3", "5.9"})
      rows += std::to_string(number++) + " | mono-loop | " + length + " | " + recipe + " | test | loop\n";
  rows += std::to_string(number++) + " | stream | 0.5 | march tempo=180 | test | march\n";
  folder.WriteFile("sounds.txt", rows);
  const ToolRun run = RunTool(folder.Native() + "sounds.txt", "sounds.txt", folder.Native() + "WAV");
  EXPECT_EQ(run.status, 0) << run.output;
  EXPECT_EQ(FilesIn(folder.Native() + "WAV"), static_cast<size_t>(number - 1));
}

// The coverage check of a headless run: a sound asked for from the program's WAV folder
// without a catalogue row fails the run and is named; other folders do not count.
TEST(SoundCoverage, ASoundAskedForWithoutARowIsNamed) {
  const std::string wav = "C:\\Game\\WAV\\";
  {
    ResourceRecorder recorder;
    PResourceObserver::Note(PResourceObserver::Kind::kSound, 5010, wav.c_str());
    PResourceObserver::Note(PResourceObserver::Kind::kSound, 152, wav.c_str());
    PResourceObserver::Note(PResourceObserver::Kind::kSound, 77, "C:\\Elsewhere\\WAV\\");
    EXPECT_EQ(SoundsWithoutRows(recorder, wav), "");
  }
  ResourceRecorder recorder;
  PResourceObserver::Note(PResourceObserver::Kind::kSound, 77, wav.c_str());
  PResourceObserver::Note(PResourceObserver::Kind::kSound, 30, wav.c_str());
  PResourceObserver::Note(PResourceObserver::Kind::kSound, 299, wav.c_str());
  EXPECT_EQ(SoundsWithoutRows(recorder, wav), "sounds asked for without a row in data/sounds.txt: 77, 299");
  EXPECT_GE(SoundCatalogueRows().size(), 458u);
}

}  // namespace
