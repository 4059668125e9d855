#pragma once
// A renderer on the software device with the graphics store behind it, its fonts and cursor
// loaded from the bitmaps the build draws (BMP/ beside the program).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "framework/media/GraphicsTestHost.h"
#include "framework/media/RendererRig.h"

// The build's BMP folder: the test program lives in the tests folder of the build.
inline std::string BuildBitmapFolder() {
  return (std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "BMP").string() + "/";
}

inline std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// A host that notes what goes to the system cursor and the application.
class NotingHost : public GGraph3DHost {
 public:
  using GGraph3DHost::GGraph3DHost;
  void ReportVideoMemory(int32_t freeKiB, bool nonLocal) override {
    reports.push_back(freeKiB);
    reportedNonLocal = nonLocal;
  }
  std::vector<int32_t> reports;
  bool reportedNonLocal = true;
};

struct ScreenTextRig {
  GraphicsTestHost graphics;
  PSurface screen;
  PSoft3DDevice device;
  NotingHost host;
  std::unique_ptr<RendererProbe> r;

  explicit ScreenTextRig(int w = 160, int h = 60, bool separateCard = false)
      : screen(w, h, PPixelFormat::kRGB565), device(&screen, kRendererTestThreads), host(&device, &screen, true, separateCard) {
    for (int number : {30000, 30001, 30002, 30010}) {
      const std::string bytes = ReadWholeFile(BuildBitmapFolder() + std::to_string(number) + ".bmp");
      EXPECT_FALSE(bytes.empty()) << "bitmap " << number << " was not built";
      graphics.folder.WriteFile("BMP/" + std::to_string(number) + ".bmp", bytes);
    }
    host.SetDisplay(graphics.display.get());
    host.SetWindow(&graphics.window);
    graphics.window.SetScreenSize(w, h);
    r = std::make_unique<RendererProbe>(&host);
    EXPECT_TRUE(r->Init3D());
    r->SetProjection(0, 0, w, h, 90.0f, 1.0f, 100.0f);
  }
  ~ScreenTextRig() { r.reset(); }

  uint16_t At(int x, int y) const { return screen.Row16(y)[x]; }
  void Clear(uint16_t pixel = 0) {
    for (int y = 0; y < screen.Height(); ++y)
      for (int x = 0; x < screen.Width(); ++x) screen.Row16(y)[x] = pixel;
  }
  int Count(uint16_t pixel) const {
    int n = 0;
    for (int y = 0; y < screen.Height(); ++y)
      for (int x = 0; x < screen.Width(); ++x) n += At(x, y) == pixel;
    return n;
  }
};
