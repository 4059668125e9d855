// Movie playback: one numbered movie full-screen, centred and optionally enlarged, played
// through the platform's movie player while the event loop only pumps messages.
#include <algorithm>
#include <memory>

#include "framework/core/GString255.h"
#include "framework/core/Quorl.h"
#include "framework/kernel/GKernel.h"
#include "framework/ui/GView.h"
#include "platform/PMoviePlayer.h"

namespace {
// The longest one step of the player may take.
constexpr uint32_t kMaxTaskMs = 5000;
}  // namespace

GRect GKernel::FitMovieBox(const GRect& natural, int32_t screenWidth, int32_t screenHeight, bool enlarge) {
  // The natural rectangle moved to the origin, cut (not scaled) to the screen.
  GRect box{0, 0, natural.Width(), natural.Height()};
  box.right = std::clamp(box.right, 0, std::max(screenWidth, 0));
  box.bottom = std::clamp(box.bottom, 0, std::max(screenHeight, 0));
  const int32_t w = box.right;
  const int32_t h = box.bottom;
  if (enlarge && w > 0 && h > 0) {
    // Tenths up to twice the size, whole steps above.
    const float factor = std::min(static_cast<float>(screenWidth) / static_cast<float>(w),
                                  static_cast<float>(screenHeight) / static_cast<float>(h));
    int32_t p = static_cast<int32_t>(factor * 10.0f);
    if (p > 20) p = p / 10 * 10;
    int32_t width = static_cast<int16_t>(w * p / 10);
    width = width / 4 * 4;
    const int32_t height =
        static_cast<int32_t>(static_cast<float>(h) * (static_cast<float>(width) / static_cast<float>(w)) + 0.5f);
    box.right = width;
    box.bottom = height;
  }
  const int32_t left = (screenWidth - box.right) / 2;
  const int32_t top = (screenHeight - box.bottom) / 2;
  OffsetRect(box, left, top);
  return box;
}

bool GKernel::PlayMovie(int32_t number, bool enlarge, bool clearScreen) {
  if (is3D_) FatalError(2176, "GKernel");
  std::unique_ptr<PMoviePlayer> player = PMoviePlayer::Create();
  // Without a movie library nothing is touched: the screen stays as it is.
  if (!player->StartLibrary()) return false;
  if (clearScreen) ClearScreen(false);
  player->AttachWindow(window_.get());

  GString255 relative;
  relative.Assign("MOV\\");
  relative.AppendNumber(number);
  relative.AppendCString(".mov");
  GString255 path;
  GetBaseFolder(path, false);
  path.Append(relative);
  bool open = player->OpenFile(path.CStr());
  if (!open && GetBaseFolder(path, true)) {
    path.Append(relative);
    open = player->OpenFile(path.CStr());
  }

  bool result = false;
  if (open && player->MakeMovie()) {
    player->Preroll();
    const PRect natural = player->NaturalBox();
    const GRect box = FitMovieBox(GRect{natural.left, natural.top, natural.right, natural.bottom}, screenWidth_,
                                  screenHeight_, enlarge);
    ShowSystemCursor(false);
    player->SetBox(PRect{box.left, box.top, box.right, box.bottom});
    player->Start();
    result = true;
    messagePumpOnly_ = 1;
    while (!player->IsDone()) {
      DoEvent();
      // A key, a click or another program taking over ends the movie.
      if (!messagePumpOnly_ || !active_ || quit_) break;
      player->Task(kMaxTaskMs);
    }
    messagePumpOnly_ = 0;
    player->DisposeMovie();
    ShowSystemCursor(true);
  }
  player->DetachWindow();
  player->StopLibrary();
  if (clearScreen) {
    if (rootView_ != nullptr) rootView_->Invalidate();
    UpdateScreen();
  }
  return result;
}
