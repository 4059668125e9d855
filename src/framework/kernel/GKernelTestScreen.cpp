// The display test screen: a black screen with a white panel naming the test and the
// resolution, and the buttons ACCEPT and "SKIP to next". The answer goes into the pending
// display-change request, which the idle chain hands to FinishDisplaySetUp.
#include <string>

#include "framework/kernel/DisplayTestAcceptButton.h"
#include "framework/kernel/DisplayTestSkipButton.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GView.h"

namespace {

constexpr uint16_t kBlack = 0;
// White in either 16-bit format.
constexpr uint16_t kWhite = 0xFFFF;

GLabel* AddLine(GView* parent, int32_t x, int32_t y, int32_t width, const std::string& text) {
  auto* label = new GLabel();
  label->InitWithText(parent, x, y, width, text.c_str());
  label->SetColor(0, 0, 0);
  label->SetNoFill(1);
  label->SetAlignment(0);
  return label;
}

// A black frame with a white inside carrying a centred label; the button covers the inside.
void AddButton(GView* panel, int32_t top, const char* text, bool is3DTest, GButton* button) {
  auto* frame = new GView();
  frame->Place(panel, 195, top, 130, 25);
  frame->SetBackColor(kBlack);
  auto* inside = new GView();
  inside->Place(frame, 1, 1, frame->Width() - 2, frame->Height() - 2);
  inside->SetBackColor(kWhite);
  AddLine(inside, 0, is3DTest ? 1 : 4, inside->Width(), text);
  button->IControl(0, inside, 0, 0, inside->Width(), inside->Height(), 0);
}

}  // namespace

void GKernel::ShowDirectXTest(bool is3DTest, bool software, const char* text, int32_t width, int32_t height,
                              int32_t refreshRate) {
  LogFileLine(1156, "GKernel");
  auto* backdrop = new GView();
  backdrop->Place(nullptr, -1, -1, 0, 0);
  backdrop->SetBackColor(kBlack);
  auto* panel = new GView();
  panel->Place(backdrop, -1, -1, 520, 170);
  panel->SetBackColor(kWhite);

  int32_t y = 15;
  AddLine(panel, 5, y, 510,
          std::string(is3DTest ? "3D" : "2D") + " DirectX Test:  Click ACCEPT to select this graphics mode.");
  y += 20;
  if (software || text != nullptr) {
    AddLine(panel, 5, y, 510, software ? std::string("SOFTWARE MODE") : std::string(text));
    y += 20;
  }
  std::string resolution = "Resolution: " + std::to_string(width) + " x " + std::to_string(height);
  if (refreshRate != 0) resolution += " at " + std::to_string(refreshRate) + "hz";
  AddLine(panel, 5, y, 510, resolution);

  auto* accept = new DisplayTestAcceptButton();
  AddButton(panel, 110, "ACCEPT", is3DTest, accept);
  accept->SetTickInterval(500);
  accept->SetIs3DTest(is3DTest);
  auto* skip = new DisplayTestSkipButton();
  AddButton(panel, 140, "SKIP to next", is3DTest, skip);
  skip->SetIs3DTest(is3DTest);
  LogFileLine(1246, "GKernel");
}
