#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "FileKernelRig.h"
#include "platform/PMoviePlayer.h"
#include "platform/PSystem.h"

namespace {

std::string Box(const PRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

// A movie library that records every step. Its movie file is the one named in `present`
// (none: every file opens), its natural box `natural`, and it is done after `length` steps.
struct FakeMovie {
  std::vector<std::string> calls;
  bool library = true;
  std::string present;
  bool holdsMovie = true;
  PRect natural{0, 0, 320, 240};
  int length = 3;
  int tasks = 0;
  std::function<void(int)> onTask;
};

class FakePlayer : public PMoviePlayer {
 public:
  explicit FakePlayer(FakeMovie* movie) : m_(movie) {}
  bool StartLibrary() override {
    m_->calls.push_back("start");
    return m_->library;
  }
  void StopLibrary() override { m_->calls.push_back("stop"); }
  void AttachWindow(PWindow* window) override { m_->calls.push_back(window != nullptr ? "attach" : "attach none"); }
  void DetachWindow() override { m_->calls.push_back("detach"); }
  bool OpenFile(const std::string& path) override {
    m_->calls.push_back("open " + path);
    return m_->present.empty() || path == m_->present;
  }
  bool MakeMovie() override {
    m_->calls.push_back("make");
    return m_->holdsMovie;
  }
  void Preroll() override { m_->calls.push_back("preroll"); }
  PRect NaturalBox() override { return m_->natural; }
  void SetBox(const PRect& box) override { m_->calls.push_back("box " + Box(box)); }
  void Start() override { m_->calls.push_back("play"); }
  bool IsDone() override { return m_->tasks >= m_->length; }
  void Task(uint32_t maxMs) override {
    ++m_->tasks;
    if (maxMs != 5000) m_->calls.push_back("task " + std::to_string(maxMs));
    if (m_->onTask) m_->onTask(m_->tasks);
  }
  void DisposeMovie() override { m_->calls.push_back("dispose"); }

 private:
  FakeMovie* m_;
};

class GKernelMovie : public testing::Test {
 protected:
  GKernelMovie() {
    PMoviePlayer::SetFactory([this] { return std::make_unique<FakePlayer>(&movie_); });
  }
  ~GKernelMovie() override { PMoviePlayer::SetFactory(nullptr); }
  std::string MoviePath(int32_t number) const {
    return rig_.folder.Program() + "MOV\\" + std::to_string(number) + ".mov";
  }

  FileKernelRig rig_;
  FakeMovie movie_;
};

TEST(GKernelMovieBox, EnlargesInTenthsUpToTwiceThenInWholeStepsAndCentres) {
  const GRect small{0, 0, 320, 240};
  EXPECT_EQ(GKernel::FitMovieBox(small, 800, 600, true), (GRect{80, 60, 720, 540}));   // 2.5 gives 2.0
  EXPECT_EQ(GKernel::FitMovieBox(small, 1024, 768, true), (GRect{32, 24, 992, 744}));  // 3.2 gives 3.0
  EXPECT_EQ(GKernel::FitMovieBox(small, 800, 600, false), (GRect{240, 180, 560, 420}));
  // Where the movie's own box starts does not matter.
  EXPECT_EQ(GKernel::FitMovieBox(GRect{10, 20, 330, 260}, 800, 600, false), (GRect{240, 180, 560, 420}));
  // 1.92 gives 1.9: 632 wide (a multiple of 4), 250 x 632 / 333 + 0.5 = 474 high.
  EXPECT_EQ(GKernel::FitMovieBox(GRect{0, 0, 333, 250}, 640, 480, true), (GRect{4, 3, 636, 477}));
  // 1.9 x 321 = 609.9, cut to 609 and then to 608.
  EXPECT_EQ(GKernel::FitMovieBox(GRect{0, 0, 321, 200}, 640, 480, true).Width(), 608);
  // A movie larger than the screen is cut to it, not scaled down.
  EXPECT_EQ(GKernel::FitMovieBox(GRect{0, 0, 1000, 700}, 800, 600, false), (GRect{0, 0, 800, 600}));
  EXPECT_EQ(GKernel::FitMovieBox(GRect{0, 0, 1000, 700}, 800, 600, true), (GRect{0, 0, 800, 600}));
  // An empty movie stays empty, in the middle.
  EXPECT_EQ(GKernel::FitMovieBox(GRect{}, 800, 600, true), (GRect{400, 300, 400, 300}));
}

TEST(GKernelMovieAbsent, WithoutAMovieLibraryNothingIsDrawnAndTheProgramGoesOn) {
  PMoviePlayer::SetFactory(nullptr);
  FileKernelRig rig;
  ASSERT_TRUE(rig.ok);
  rig.folder.WriteFile("MOV/1000.mov", "movie");
  const int presents = rig.fake->PresentCount();
  EXPECT_FALSE(rig.kernel->PlayMovie(1000, false, true));
  EXPECT_EQ(rig.fake->PresentCount(), presents);
  EXPECT_FALSE(rig.kernel->IsMessagePumpOnly());
  EXPECT_TRUE(rig.fake->CursorVisible());
}

TEST_F(GKernelMovie, PlaysToTheEndCentredAndEnlarged) {
  ASSERT_TRUE(rig_.ok);
  ASSERT_EQ(rig_.kernel->GetScreenWidth(), 800);
  movie_.onTask = [&](int) {
    EXPECT_TRUE(rig_.kernel->IsMessagePumpOnly());
    EXPECT_FALSE(rig_.fake->CursorVisible());
  };
  EXPECT_TRUE(rig_.kernel->PlayMovie(1000, true, false));
  const std::vector<std::string> expected = {
      "start", "attach", "open " + MoviePath(1000), "make", "preroll", "box 80,60,720,540", "play",
      "dispose", "detach", "stop"};
  EXPECT_EQ(movie_.calls, expected);
  EXPECT_EQ(movie_.tasks, 3);
  EXPECT_FALSE(rig_.kernel->IsMessagePumpOnly());
  EXPECT_TRUE(rig_.fake->CursorVisible());
}

TEST_F(GKernelMovie, ATypedCharacterEndsIt) {
  movie_.length = 100;
  movie_.onTask = [&](int n) {
    if (n == 2) rig_.Type("x");
  };
  EXPECT_TRUE(rig_.kernel->PlayMovie(7, false, false));
  EXPECT_EQ(movie_.tasks, 2);
  EXPECT_EQ(movie_.calls[5], "box 240,180,560,420");
  EXPECT_EQ(movie_.calls.back(), "stop");
  EXPECT_TRUE(rig_.kernel->IsActive());
}

TEST_F(GKernelMovie, DeactivationEndsIt) {
  movie_.length = 100;
  movie_.onTask = [&](int n) {
    if (n == 1) rig_.fake->ScriptMessage(FileKernelRig::Message(PMessageType::kActivate, 0));
  };
  EXPECT_TRUE(rig_.kernel->PlayMovie(7, false, false));
  EXPECT_EQ(movie_.tasks, 1);
  EXPECT_FALSE(rig_.kernel->IsActive());
  EXPECT_EQ(movie_.calls[movie_.calls.size() - 3], "dispose");
}

TEST_F(GKernelMovie, AMissingMovieIsLookedForInTheAlternateFolderThenGivesFalse) {
  movie_.present = "none";
  EXPECT_FALSE(rig_.kernel->PlayMovie(1000, false, false));
  EXPECT_EQ(movie_.calls, (std::vector<std::string>{"start", "attach", "open " + MoviePath(1000), "detach", "stop"}));

  movie_.calls.clear();
  rig_.kernel->SetAlternateDataDrive('D');
  movie_.present = "D:\\MOV\\1000.mov";
  EXPECT_TRUE(rig_.kernel->PlayMovie(1000, false, false));
  ASSERT_GE(movie_.calls.size(), 4u);
  EXPECT_EQ(movie_.calls[2], "open " + MoviePath(1000));
  EXPECT_EQ(movie_.calls[3], "open D:\\MOV\\1000.mov");

  // A file that holds no movie: closed again, no second folder tried.
  movie_.calls.clear();
  movie_.present.clear();
  movie_.holdsMovie = false;
  const int presents = rig_.fake->PresentCount();
  EXPECT_FALSE(rig_.kernel->PlayMovie(1000, false, true));
  EXPECT_EQ(movie_.calls,
            (std::vector<std::string>{"start", "attach", "open " + MoviePath(1000), "make", "detach", "stop"}));
  // The screen was cleared for the movie and drawn again after it.
  EXPECT_GT(rig_.fake->PresentCount(), presents);
}

TEST(GKernelMovieDeathTest, PlayingIn3DIsFatal) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        GKernel kernel;
        kernel.Set3DFlag(true);
        kernel.PlayMovie(1000, false, false);
      },
      testing::ExitedWithCode(PSystem::kFatalExitStatus), "ERROR: GKernel line 2176");
}

}  // namespace
