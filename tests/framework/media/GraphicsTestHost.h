#pragma once
// A stand-in for the kernel and the renderer as graphics see them: a store, a live-graphics
// list, excluded numbers, a program folder (and optionally an alternate data folder) holding
// the test's own bitmap files, a display and an optional texture budget.
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/media/GGraphicFactory.h"
#include "framework/media/GGraphicHost.h"
#include "framework/media/GGraphicRenderer.h"
#include "framework/media/GGraphicsStore.h"
#include "platform/PBitmapFile.h"
#include "platform/PDisplay.h"
#include "platform/PFailureInjection.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PTextureBudget.h"
#include "platform/PWindow.h"
#include "support/TestFolder.h"

class FakeGraphicRenderer : public GGraphicRenderer {
 public:
  int32_t GetDownsampleLevel() const override { return level; }
  int32_t GetMaxTextureSize() const override { return maxSide; }
  bool TextureMemoryExhausted() const override { return exhausted; }
  void NoteTextureMemoryExhausted() override { exhausted = true; }
  void GetColorScale(float* out) const override {
    for (int i = 0; i < 3; ++i) out[i] = scale[i];
  }
  void AddTextureMemory(int32_t bytes) override { memory += bytes; }

  int32_t level = 0;
  int32_t maxSide = 256;
  bool exhausted = false;
  float scale[3] = {1.0f, 1.0f, 1.0f};
  int32_t memory = 0;
};

class GraphicsTestHost : public GGraphicHost {
 public:
  GraphicsTestHost() : folder(true), window(std::unique_ptr<PBackEnd>(new PFakeBackEnd)) {
    PFailureInjection::Reset();
    PDisplay::Create(&window, nullptr, display);
    store = std::make_unique<GGraphicsStore>();
    store->Init();
    live.SetOwnsMembers(false);
    live.Init();
    GGraphicHost::SetCurrent(this);
  }
  ~GraphicsTestHost() override {
    store.reset();
    GGraphicHost::SetCurrent(nullptr);
    PFailureInjection::Reset();
  }

  GGraphicsStore* GetGraphicsStore() override { return store.get(); }
  bool IsBitmapExcluded(int32_t number) override { return excluded.count(number) != 0; }
  void TrackGraphic(GGraphic* graphic, bool add) override {
    GGraphicFactory::TrackGraphic(&live, walking, graphic, add);
  }
  bool GetBaseFolder(std::string& out, bool alternateFlag) override {
    if (alternateFlag && alternate) {
      out = alternate->Program();
      return true;
    }
    out = folder.Program();
    return false;
  }
  PDisplay* GetDirectDraw() override { return display.get(); }
  PTextureBudget* GetTextureBudget() override { return budget.get(); }
  GGraphicRenderer* GetRenderer() override { return hasRenderer ? &renderer : nullptr; }

  // Writes BMP/<number>.bmp of 0x00RRGGBB pixels, rows from the top.
  void WriteBitmap(int32_t number, int32_t width, int32_t height, const std::vector<uint32_t>& pixels,
                   const TestFolder* where = nullptr) const {
    (where ? *where : folder).WriteFile("BMP/" + std::to_string(number) + ".bmp",
                                        PBitmapFile::Encode(pixels.data(), width, height));
  }
  void WriteSolid(int32_t number, int32_t width, int32_t height, uint32_t rgb) const {
    WriteBitmap(number, width, height, std::vector<uint32_t>(static_cast<size_t>(width) * height, rgb));
  }
  // The lines logged since the last call (the log starts afresh after each).
  std::string Log() {
    GErrorLog::Close();
    std::string text = folder.ReadFile(GErrorLog::kFileName);
    GErrorLog::ResetForTests();
    return text;
  }

  TestFolder folder;
  std::unique_ptr<TestFolder> alternate;
  PWindow window;
  std::unique_ptr<PDisplay> display;
  std::unique_ptr<PTextureBudget> budget;
  std::unique_ptr<GGraphicsStore> store;
  GGroup live;
  bool walking = false;
  std::set<int32_t> excluded;
  bool hasRenderer = true;
  FakeGraphicRenderer renderer;
};

// The ARGB1555 texel of a 0x00RRGGBB colour, opaque.
inline uint16_t Texel(uint32_t rgb) {
  return static_cast<uint16_t>(0x8000 | PBitmapFile::ToPixel(rgb, PPixelFormat::kARGB1555));
}
