#pragma once
#include <array>
#include <chrono>
#include <cstdint>

// Where the computer's set-up spends its time and how often it scores a point: the
// benchmarks read it. Nothing in the plan depends on it.
struct AISetupProfile {
  enum Stage { kOutlook, kRolePlacement, kGarrisons, kUnitPlacement, kFortifications, kSquadsAndLeaders, kStages };
  static inline std::array<double, kStages> seconds{};
  static inline int64_t scoreCalls = 0;

  // Adds the time from its making to its end to a stage.
  class Timer {
   public:
    explicit Timer(Stage stage) : stage_(stage), start_(std::chrono::steady_clock::now()) {}
    ~Timer() {
      seconds[stage_] += std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

   private:
    Stage stage_;
    std::chrono::steady_clock::time_point start_;
  };
};
