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

void PFailureInjection::Reset() { Plans().clear(); }
