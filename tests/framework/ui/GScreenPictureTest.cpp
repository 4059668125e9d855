#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "UiRig.h"
#include "framework/core/GString255.h"
#include "framework/ui/CRadioGroup.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPictureView.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "framework/ui/GStripRadioButton.h"
#include "framework/ui/GTextEntry.h"
#include "platform/PBitmapFile.h"

namespace {

class GScreenPictureTest : public UiRig {
 protected:
  // A settings dialog built of every kind of view.
  void BuildSampleScreen() {
    std::vector<uint32_t> picture(64 * 48);
    for (int32_t y = 0; y < 48; ++y)
      for (int32_t x = 0; x < 64; ++x)
        picture[y * 64 + x] = static_cast<uint32_t>((x * 4) << 16 | (y * 5) << 8 | 0x60);
    host_.WriteBitmap(500, 64, 48, picture);
    std::vector<uint32_t> strip(80 * 40);
    for (size_t i = 0; i < strip.size(); ++i) strip[i] = i < strip.size() / 2 ? 0x3060A0 : 0xF0C040;
    host_.WriteBitmap(501, 80, 40, strip);

    auto* dialog = new GView;
    dialog->Place(nullptr, -1, -1, 420, 260);
    dialog->SetBackColor(Rgb(40, 60, 40));
    auto* title = new GLabel;
    title->InitWithText(dialog, 0, 8, 420, "Battle settings");
    title->SetAlignment(0);
    title->SetShadow(1);
    title->SetFill(0);
    auto* nameLabel = new GLabel;
    nameLabel->InitWithText(dialog, 20, 40, 120, "Commander:");
    nameLabel->SetBackColor(Rgb(40, 60, 40));
    auto* name = new GTextEntry;
    name->Init(dialog, 150, 36, 20, 1, 0, 1);
    GString255 text;
    text.Assign("Lt. Harrow");
    name->AppendText(&text);
    auto* picture_view = new GPictureView;
    picture_view->Init(dialog, 330, 40, 500);
    std::vector<GString255> items(3);
    items[0].Assign("Easy");
    items[1].Assign("Regular");
    items[2].Assign("Veteran");
    const GString* pointers[3] = {&items[0], &items[1], &items[2]};
    auto* level = new GPopup;
    level->Init(dialog, 150, 80, 3, pointers, 1);
    group_.Init();
    for (int i = 0; i < 2; ++i) {
      auto* radio = new GStripRadioButton;
      radio->IStripRadioButton(&group_, 0, dialog, 20 + 90 * i, 130, 501, 0);
    }
    auto* ok = new GStripButton;
    ok->IStripButton(dialog, 320, 210, 1, 501, 0);
    ok->MakeDefault();
  }
  CRadioGroup group_;
};

TEST_F(GScreenPictureTest, ASampleScreenDrawsTheSamePixelsEveryTime) {
  BuildSampleScreen();
  RedrawAll();
  const std::vector<uint16_t> first = Snapshot();
  RedrawAll();
  EXPECT_EQ(Snapshot(), first);
  // The front buffer received the same picture.
  const PSurface& front = *kernel_->GetPrimarySurface();
  for (int32_t y = 0; y < front.Height(); ++y)
    ASSERT_EQ(std::memcmp(front.Row16(y), Back().Row16(y), static_cast<size_t>(front.Width()) * 2), 0) << y;

  // The picture view shows its bitmap at its natural size.
  const GView* dialog = Root()->GetChild(Root()->GetChildCount() - 1);
  const int32_t px = dialog->Bounds().left + 330;
  const int32_t py = dialog->Bounds().top + 40;
  EXPECT_EQ(Pixel(px + 10, py + 20), PBitmapFile::ToPixel(40u << 16 | 100u << 8 | 0x60, PPixelFormat::kRGB565));

  // Redrawing one part changes nothing either.
  dialog->GetChild(0)->Invalidate();
  Redraw();
  EXPECT_EQ(Snapshot(), first);

  // The screen as a bitmap file a person can look at.
  const std::string path = host_.folder.Program() + "screen.bmp";
  ASSERT_TRUE(PBitmapFile::WriteSurface(Back(), path));
  PBitmapFile::Image image;
  ASSERT_TRUE(PBitmapFile::Load(path, image));
  EXPECT_EQ(image.width, Back().Width());
  EXPECT_EQ(image.height, Back().Height());
  EXPECT_EQ(PBitmapFile::ToPixel(image.pixels[static_cast<size_t>(py + 20) * image.width + px + 10],
                                 PPixelFormat::kRGB565),
            Pixel(px + 10, py + 20));
  if (const char* keep = std::getenv("TARVANE_SCREEN_PICTURE")) PBitmapFile::WriteSurface(Back(), keep);
}

TEST_F(GScreenPictureTest, PicturesAreCutAtTheirParentsEdges) {
  host_.WriteSolid(510, 40, 40, 0xF80000);
  auto* frame = new ProbeView;
  frame->Place(nullptr, 100, 100, 30, 30);
  auto* picture = new GPictureView;
  picture->InitKind1(frame, 10, -1, 510);
  // The centred picture is taller than its parent: both are clipped to the frame.
  EXPECT_EQ(picture->Bounds(), (GRect{110, 100, 130, 130}));
  RedrawAll();
  const uint16_t red = PBitmapFile::ToPixel(0xF80000, PPixelFormat::kRGB565);
  int inside = 0;
  int outside = 0;
  for (int32_t y = 0; y < Back().Height(); ++y)
    for (int32_t x = 0; x < Back().Width(); ++x) {
      if (Pixel(x, y) != red) continue;
      (x >= 110 && x < 130 && y >= 100 && y < 130 ? inside : outside)++;
    }
  EXPECT_EQ(inside, 20 * 30);
  EXPECT_EQ(outside, 0);
}

}  // namespace
