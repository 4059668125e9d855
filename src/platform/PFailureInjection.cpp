#include "platform/PFailureInjection.h"

#include <map>

namespace {
struct Plan {
  PResult result;
  int count;
  int skip;
};
std::map<std::string, Plan>& Plans() {
  static std::map<std::string, Plan> plans;
  return plans;
}
int64_t& DiskSpace() {
  static int64_t space = -1;
  return space;
}
}  // namespace

void PFailureInjection::Arm(const std::string& point, PResult result, int count, int skip) {
  Plans()[point] = Plan{result, count, skip};
}

PResult PFailureInjection::Check(const char* point) {
  auto& plans = Plans();
  if (plans.empty()) return PResult::kOk;
  auto it = plans.find(point);
  if (it == plans.end()) return PResult::kOk;
  Plan& plan = it->second;
  if (plan.skip > 0) {
    --plan.skip;
    return PResult::kOk;
  }
  PResult result = plan.result;
  if (--plan.count <= 0) plans.erase(it);
  return result;
}

void PFailureInjection::Reset() {
  Plans().clear();
  DiskSpace() = -1;
}

void PFailureInjection::LimitDiskSpace(int64_t bytes) { DiskSpace() = bytes < 0 ? -1 : bytes; }

size_t PFailureInjection::TakeDiskSpace(size_t count) {
  int64_t& space = DiskSpace();
  if (space < 0) return count;
  const size_t room = static_cast<uint64_t>(space) < count ? static_cast<size_t>(space) : count;
  space -= static_cast<int64_t>(room);
  return room;
}
