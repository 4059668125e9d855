#include <gtest/gtest.h>

#include "platform/PStringTable.h"
#include "support/ResourceRecorder.h"

using Kind = PResourceObserver::Kind;

// The recorder hears string look-ups, filters by folder and forgets what a test expects.
TEST(ResourceRecorder, RecordsStringLookUpsAndHonoursExpectedAndFolders) {
  ResourceRecorder recorder;
  char buffer[64];
  PStringTable::LoadString(1540, buffer, sizeof buffer);
  PStringTable::LoadString(64999, buffer, sizeof buffer);
  EXPECT_EQ(recorder.Requests(Kind::kString), (std::set<int32_t>{1540, 64999}));
  recorder.Expect(Kind::kString, 64999);
  EXPECT_EQ(recorder.Requests(Kind::kString), (std::set<int32_t>{1540}));

  PResourceObserver::Note(Kind::kBitmap, 7, "C:\\Game\\BMP\\");
  PResourceObserver::Note(Kind::kBitmap, 8, "C:\\Other\\");
  EXPECT_EQ(recorder.Requests(Kind::kBitmap, "BMP\\"), (std::set<int32_t>{7}));
  EXPECT_EQ(recorder.Requests(Kind::kBitmap), (std::set<int32_t>{7, 8}));
  EXPECT_TRUE(recorder.Requests(Kind::kSound).empty());
}

TEST(ResourceRecorder, NestedRecordersBothHearAndTheOuterIsRestored) {
  ResourceRecorder outer;
  {
    ResourceRecorder inner;
    PResourceObserver::Note(Kind::kSound, 30);
    EXPECT_EQ(inner.Requests(Kind::kSound), (std::set<int32_t>{30}));
  }
  EXPECT_EQ(PResourceObserver::Current(), &outer);
  EXPECT_EQ(outer.Requests(Kind::kSound), (std::set<int32_t>{30}));
}

// The test program's own recorder (TestMain.cpp) hears every look-up of the run; what a test
// declares absent, on a nested recorder or through ExpectAbsent, is forgotten there too, so
// only ids asked for by accident fail the run.
TEST(ResourceRecorder, TheProgramRecorderHearsEverythingAndLearnsDeliberateAbsences) {
  auto* program = dynamic_cast<ResourceRecorder*>(PResourceObserver::Current());
  ASSERT_NE(program, nullptr);
  char buffer[8];
  PStringTable::LoadString(64997, buffer, sizeof buffer);
  EXPECT_EQ(program->Requests(Kind::kString).count(64997), 1u);
  ResourceRecorder::ExpectAbsent(Kind::kString, 64997);
  EXPECT_EQ(program->Requests(Kind::kString).count(64997), 0u);
  {
    ResourceRecorder nested;
    PStringTable::LoadString(64996, buffer, sizeof buffer);
    EXPECT_EQ(program->Requests(Kind::kString).count(64996), 1u);
    nested.Expect(Kind::kString, 64996);
  }
  EXPECT_EQ(program->Requests(Kind::kString).count(64996), 0u);
}
