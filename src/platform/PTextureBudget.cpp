#include "platform/PTextureBudget.h"

#include "platform/PFailureInjection.h"

struct PTextureBudget::State {
  uint64_t total = 0;
  uint64_t used = 0;
};

namespace {

constexpr int32_t kMaxTextureSide = 4096;

// A texture that gives its bytes back to the budget's state when destroyed.
class PBudgetedTexture : public PSurface {
 public:
  PBudgetedTexture(int32_t width, int32_t height, std::shared_ptr<PTextureBudget::State> state, uint64_t bytes)
      : PSurface(width, height, PPixelFormat::kARGB1555), state_(std::move(state)), bytes_(bytes) {
    state_->used += bytes_;
  }
  ~PBudgetedTexture() override { state_->used -= bytes_; }

 private:
  std::shared_ptr<PTextureBudget::State> state_;
  uint64_t bytes_;
};

}  // namespace

PTextureBudget::PTextureBudget(uint64_t bytes) : state_(std::make_shared<State>()) { state_->total = bytes; }

PTextureBudget::~PTextureBudget() = default;

uint64_t PTextureBudget::Total() const { return state_->total; }
uint64_t PTextureBudget::Used() const { return state_->used; }
uint64_t PTextureBudget::Free() const { return state_->used >= state_->total ? 0 : state_->total - state_->used; }
void PTextureBudget::SetTotal(uint64_t bytes) { state_->total = bytes; }

PResult PTextureBudget::CreateTexture(int32_t width, int32_t height, std::unique_ptr<PSurface>& out) {
  out.reset();
  PResult r = PFailureInjection::Check("CreateSurface");
  if (r != PResult::kOk) return r;
  if (width < 1 || height < 1 || width > kMaxTextureSide || height > kMaxTextureSide) return PResult::kInvalidParams;
  const uint64_t bytes = static_cast<uint64_t>(width) * 2u * static_cast<uint64_t>(height);
  if (bytes > Free()) return PResult::kOutOfVideoMemory;
  out = std::make_unique<PBudgetedTexture>(width, height, state_, bytes);
  return PResult::kOk;
}
