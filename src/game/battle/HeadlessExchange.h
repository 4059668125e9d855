#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "game/map/WindowlessExchange.h"

// The turn exchange of a battle without a window or link, as a test sets it: the seed-drawing
// and compute-here flags, the sides' password digests, the processor rating and the e-mail
// seed it is given, and the connection's answers counted.
class HeadlessExchange : public WindowlessExchange {
 public:
  // ---- The orders exchange's settings ----
  bool IsSeedDrawing() const override { return seedDrawing; }
  bool GetComputeHere() const override { return computeHere; }
  void SetComputeHere(bool value) override { computeHere = value; }
  const char* GetPasswordDigest(int32_t side) const override { return digests[side & 1].c_str(); }
  void SetPasswordDigest(int32_t side, const char* text) override { digests[side & 1] = text; }
  uint32_t GetCPURating() const override { return cpuRating; }
  uint32_t GetEmailSeed() const override { return emailSeed; }
  bool seedDrawing = false;
  bool computeHere = false;
  std::array<std::string, 2> digests;
  uint32_t cpuRating = 0;
  uint32_t emailSeed = 0;

  // ---- The turn in TCP/IP play: the connection's answers, counted ----
  bool EndNetworkOrders() override {
    ++networkGoes;
    return networkGoGoesOn;
  }
  void NetworkSetupEnded() override { ++networkSetupEnds; }
  bool NetworkReplayEnded() override {
    ++networkReplayEnds;
    return true;
  }
  void SetSharedSeed(uint16_t seed) override { lastSharedSeed = seed; }
  bool networkGoGoesOn = true;
  int32_t networkGoes = 0;
  int32_t networkSetupEnds = 0;
  int32_t networkReplayEnds = 0;
  int32_t lastSharedSeed = -1;
};
