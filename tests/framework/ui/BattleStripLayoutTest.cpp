#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "UiRig.h"
#include "framework/ui/GPictureButton.h"
#include "framework/ui/GPictureView.h"
#include "platform/PBitmapFile.h"

// The battle screen's control strip as the build's interface bitmaps draw it, laid out with
// the framework's views at 1024 x 768 on the fake back-end: the pictures fit the places the
// strip gives them, a camera button shows its pressed face while held and sends its command,
// and the frame is written to the build folder (test-output/battle-strip-1024.bmp) for people
// to look at.
namespace {

const std::filesystem::path kBuild = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();

class WideApp : public CommandApp {
 public:
  void GetDisplayChoice(DisplayPreset* record) override {
    CommandApp::GetDisplayChoice(record);
    record->width = 1024;
    record->height = 768;
  }
};

class BattleStripLayoutTest : public testing::Test {
 protected:
  BattleStripLayoutTest() {
    GErrorLog::ResetForTests();
    auto backEnd = std::make_unique<PFakeBackEnd>();
    backEnd->SetDesktopSize(1024, 768);
    CopyRendererBitmaps(host_.folder);
    for (int32_t n : {1001, 2000, 2001, 2002, 2003, 2004, 2005, 2006, 2007, 2008, 2009, 2010, 2014, 2015, 11114}) {
      std::ifstream in(kBuild / "BMP" / (std::to_string(n) + ".bmp"), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      EXPECT_FALSE(bytes.empty()) << n;
      host_.folder.WriteFile("BMP/" + std::to_string(n) + ".bmp", bytes);
    }
    kernel_ = std::make_unique<GKernel>();
    bool ok = false;
    kernel_->Init(std::move(backEnd), &ok);
    EXPECT_TRUE(ok);
    app_ = new WideApp;
    kernel_->StartWithoutLoop(app_);
  }
  ~BattleStripLayoutTest() override {
    kernel_.reset();
    GErrorLog::ResetForTests();
  }

  GPictureView* Picture(GView* parent, int32_t x, int32_t y, int16_t number) {
    auto* view = new GPictureView;
    view->Init(parent, x, y, number);
    return view;
  }

  // The built picture's pixel as the 16-bit back buffer holds it.
  uint16_t Expected(int16_t number, int32_t x, int32_t y) {
    PBitmapFile::Image image;
    EXPECT_TRUE(PBitmapFile::Load(host_.folder.Program() + "BMP\\" + std::to_string(number) + ".bmp", image));
    return static_cast<uint16_t>(
        PBitmapFile::ToPixel(image.pixels[static_cast<size_t>(y) * image.width + x], kernel_->GetBackBuffer()->Format()));
  }
  uint16_t Shown(int32_t x, int32_t y) { return kernel_->GetBackBuffer()->Row16(y)[x]; }

  void Send(PMessageType type, int32_t x, int32_t y) {
    PMessage m;
    m.type = type;
    m.x = x;
    m.y = y;
    kernel_->WindowProc(m);
  }

  GraphicsTestHost host_;
  std::unique_ptr<GKernel> kernel_;
  WideApp* app_ = nullptr;
};

}  // namespace

TEST_F(BattleStripLayoutTest, TheStripAt1024WideShowsItsPicturesAndACameraButtonPressed) {
  int32_t w = 0, h = 0;
  kernel_->GetScreenSize(w, h);
  ASSERT_EQ(w, 1024);
  ASSERT_EQ(h, 768);
  // The root along the foot of the screen, the 640-wide main panel in its middle.
  auto* root = new GView;
  root->Place(nullptr, 0, h - 90, w, 90);
  root->SetNoFill(1);
  auto* main = new GView;
  main->Place(root, (w - 640) / 2, 0, 640, 90);
  main->SetNoFill(1);
  Picture(main, 0, 0, 2009);
  Picture(main, 0, 6, 1001);  // the information panel's overview stands in for the panel
  GPictureView* camera = Picture(main, 365, 0, 2008);
  struct Camera {
    int32_t command;
    int16_t picture;
    int32_t x, y;
    bool repeat;
  };
  const Camera buttons[8] = {{1, 2000, 7, 6, true},  {3, 2001, 51, 6, true},  {2, 2002, 95, 6, true},
                             {8, 2007, 139, 6, false}, {5, 2003, 7, 48, true}, {4, 2004, 51, 48, true},
                             {6, 2005, 95, 48, true}, {7, 2006, 139, 48, false}};
  for (const Camera& b : buttons) {
    auto* button = new GPictureButton;
    button->IPictureButton(camera, b.x, b.y, b.command, 0, b.picture, 0);
    if (b.repeat) button->SetAutoRepeat(0);
    EXPECT_EQ(button->Width(), 40);
    EXPECT_EQ(button->Height(), 40);
    // Every button lies inside the camera panel.
    EXPECT_LE(b.x + button->Width(), camera->Width());
    EXPECT_LE(b.y + button->Height(), camera->Height());
  }
  GPictureView* replay = Picture(main, 547, 0, 2010);
  replay->SetVisible(0);  // shown by the replay
  GPictureView* network = Picture(main, 547, 0, 2014);
  auto* go = new GPictureButton;
  go->IPictureButton(network, 7, 7, 9, 0, 2015, 0);
  EXPECT_LE(7 + go->Width(), network->Width());
  EXPECT_LE(7 + go->Height(), network->Height());
  GPictureView* left = Picture(root, 0, 0, 11114);
  GPictureView* right = Picture(root, w - 192, 0, 11114);
  EXPECT_EQ(left->Width(), 192);
  EXPECT_EQ(right->Height(), 90);
  EXPECT_EQ(camera->Width(), 182);
  EXPECT_EQ(replay->Width(), 93);
  EXPECT_EQ(network->Height(), 90);

  root->Invalidate();
  kernel_->UpdateScreen();
  // The forward button (command 3) at (51, 6) of the camera panel, held down.
  const int32_t bx = 192 + 365 + 51, by = h - 90 + 6;
  Send(PMessageType::kLeftDown, bx + 20, by + 20);
  kernel_->UpdateScreen();
  // Auto-repeat with no interval fires at once and on every pass while held.
  ASSERT_FALSE(app_->commands.empty());
  for (int32_t c : app_->commands) EXPECT_EQ(c, 3);

  EXPECT_EQ(Shown(3, h - 45), Expected(11114, 3, 45));
  EXPECT_EQ(Shown(w - 10, h - 80), Expected(11114, 182, 10));
  EXPECT_EQ(Shown(192 + 200, h - 88), Expected(2009, 200, 2));
  EXPECT_EQ(Shown(192 + 100, h - 50), Expected(1001, 100, 34));
  EXPECT_EQ(Shown(192 + 547 + 3, h - 87), Expected(2014, 3, 3));
  for (int32_t y = 0; y < 40; y += 7)
    for (int32_t x = 0; x < 40; x += 7) EXPECT_EQ(Shown(bx + x, by + y), Expected(2001, x, y)) << x << "," << y;
  // The other buttons show the panel's own drawing of their normal state.
  EXPECT_EQ(Shown(192 + 365 + 7 + 20, by + 20), Expected(2008, 27, 26));

  EXPECT_TRUE(PBitmapFile::WriteSurface(*kernel_->GetBackBuffer(), host_.folder.Program() + "battle-strip-1024.bmp"));
  if (const char* save = std::getenv("TARVANE_SAVE_PICTURES"))
    PBitmapFile::WriteSurface(*kernel_->GetBackBuffer(), std::string(save) + "battle-strip-1024.bmp");
  Send(PMessageType::kLeftUp, bx + 20, by + 20);
  kernel_->UpdateScreen();
  EXPECT_EQ(Shown(bx + 20, by + 20), Expected(2008, 71, 26));
}
