#include "framework/core/GDigest.h"

#include "framework/core/GHaval.h"
#include "framework/core/GString.h"
#include "framework/core/Quorl.h"

void GDigest::DigestText(const GString* text, GString* out) {
  // The kernel forwards its DigestText here; the fatal lines are the kernel's.
  if (text == nullptr) FatalError(5820, "GKernel");
  if (out == nullptr) FatalError(5821, "GKernel");
  uint8_t result[GHaval::kResultSize + 1];
  HavalString(*text, result);
  result[GHaval::kResultSize] = 0;
  out->Assign(reinterpret_cast<const char*>(result));
}
