#include "framework/media/GGraphicsStore.h"

#include "framework/core/GErrorLog.h"
#include "framework/core/GGroup.h"
#include "framework/core/Quorl.h"
#include "framework/media/GStub.h"
#include "platform/PSurface.h"

namespace {

struct Key {
  int32_t kind;
  int32_t number;
};

bool SameKey(GObject* member, void* arg) {
  const GStub* stub = static_cast<const GStub*>(member);
  const Key* key = static_cast<const Key*>(arg);
  return stub->GetKind() == key->kind && stub->GetNumber() == key->number;
}

}  // namespace

GGraphicsStore::~GGraphicsStore() {
  if (stubs_ != nullptr && stubs_->Count() > 0) {
    GErrorLog::LogError("*** Graphics store not empty!");
    for (int32_t i = 0; i < stubs_->Count(); ++i) {
      const GStub* stub = static_cast<const GStub*>(stubs_->GetItem(i));
      GErrorLog::LogValue("bitmap ID ", stub->GetNumber());
      GErrorLog::LogValue("  use count = ", stub->GetUseCount());
    }
  }
  delete stubs_;
  stubs_ = nullptr;
}

void GGraphicsStore::Init() {
  if (stubs_ != nullptr) FatalError(__LINE__, "GGraphicsStore");
  stubs_ = new GGroup;
  stubs_->Init();
}

GStub* GGraphicsStore::FindStub(int32_t kind, int32_t number) {
  if (stubs_ == nullptr) return nullptr;
  Key key{kind, number};
  GStub* stub = static_cast<GStub*>(stubs_->FindFirst(SameKey, &key));
  if (stub != nullptr) ++stub->useCount_;
  return stub;
}

GStub* GGraphicsStore::AddStub(int32_t kind, int32_t number, int32_t width, int32_t height,
                               std::unique_ptr<PSurface> surface, std::unique_ptr<PSurface> texture) {
  if (stubs_ == nullptr) FatalError(__LINE__, "GGraphicsStore");
  GStub* stub = new GStub;
  stub->kind_ = kind;
  stub->number_ = number;
  stub->width_ = width;
  stub->height_ = height;
  stub->surface_ = std::move(surface);
  stub->texture_ = std::move(texture);
  stubs_->Append(stub);
  return stub;
}

void GGraphicsStore::ReleaseStub(GStub* stub) {
  if (stub == nullptr) FatalError(981, "GGraphic");
  if (stub->useCount_ < 1) {
    GErrorLog::LogValue("UseCount problem with GStub #", stub->number_);
    FatalError(985, "GGraphic");
  }
  if (--stub->useCount_ == 0) {
    if (stubs_ == nullptr) FatalError(991, "GGraphic");
    stubs_->Remove(stub, true);
  }
}

void GGraphicsStore::ReloadAll() {
  if (stubs_ != nullptr) stubs_->ForEach([](GObject* m, void*) { static_cast<GStub*>(m)->Reload(); }, nullptr);
}

void GGraphicsStore::FlushAll() {
  if (stubs_ != nullptr) stubs_->ForEach([](GObject* m, void*) { static_cast<GStub*>(m)->Flush(); }, nullptr);
}

void GGraphicsStore::RecreateAll() {
  if (stubs_ != nullptr) stubs_->ForEach([](GObject* m, void*) { static_cast<GStub*>(m)->Recreate(); }, nullptr);
}

int32_t GGraphicsStore::Count() const { return stubs_ != nullptr ? stubs_->Count() : 0; }

GStub* GGraphicsStore::GetStub(int32_t index) const {
  if (stubs_ == nullptr) FatalError(__LINE__, "GGraphicsStore");
  return static_cast<GStub*>(stubs_->GetItem(index));
}
