// The stored form of a group, kept apart so that the group itself does not depend on the file
// class.
#include "framework/core/GFile.h"
#include "framework/core/GGroup.h"

void GGroup::Read(GFile& file) { ownsMembers_ = file.ReadByte() != 0; }

void GGroup::Write(GFile& file) const {
  file.WriteByte(ownsMembers_ ? 1 : 0);
  file.WriteU32(static_cast<uint32_t>(count_));
  for (int32_t i = 0; i < count_; ++i) block_[i]->Write(file);
}
