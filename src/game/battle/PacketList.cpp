// The packet list: order, stored form, sound thinning and the preload collection.
#include "game/battle/PacketList.h"

#include <algorithm>
#include <array>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GObjectGroup.h"
#include "game/battle/Packet.h"
#include "game/map/SoundKinds.h"

namespace {

constexpr int32_t kWindows = 160;
constexpr int32_t kSoundKinds = 26;
// The shortest stored packet: the head alone.
constexpr uint32_t kSmallestPacket = 13;

int32_t KindClass(int8_t kind) {
  if (kind == Packet::kSound) return 2;
  if (kind == Packet::kCraterRevealed) return 1;
  return 0;
}

const Packet& At(const GGroup& list, int32_t i) { return *static_cast<const Packet*>(list.GetItem(i)); }

// The 20-slice window of a slice.
int32_t WindowOf(int32_t slice) { return static_cast<int32_t>(static_cast<double>(slice) * 2.0 * 0.025); }

bool IsSound(const Packet& p) { return p.kind == Packet::kSound; }

}  // namespace

int32_t PacketList::Compare(const Packet& a, const Packet& b) {
  if (a.timeSlice != b.timeSlice) return a.timeSlice < b.timeSlice ? -1 : 1;
  const int32_t ca = KindClass(a.kind);
  const int32_t cb = KindClass(b.kind);
  if (ca != cb) return ca < cb ? -1 : 1;
  return 0;
}

int32_t PacketList::Sort(GGroup& list) {
  const int32_t count = list.Count();
  if (count == 0) return 0;
  GObject** members = list.Lock();
  std::stable_sort(members, members + count, [](const GObject* a, const GObject* b) {
    return Compare(*static_cast<const Packet*>(a), *static_cast<const Packet*>(b)) < 0;
  });
  list.Unlock();
  // Two states of one unit in one slice: the later one wins in the replay; the pair is logged.
  int32_t conflicts = 0;
  std::unordered_set<const Unit*> seen;
  int32_t runSlice = At(list, 0).timeSlice;
  for (int32_t i = 0; i < count; ++i) {
    const Packet& p = At(list, i);
    if (p.timeSlice != runSlice) {
      seen.clear();
      runSlice = p.timeSlice;
    }
    if (p.kind != Packet::kUnitState) continue;
    if (!seen.insert(p.state.unit).second) {
      GErrorLog::LogValue("Packet conflict at time slice ", p.timeSlice);
      ++conflicts;
    }
  }
  return conflicts;
}

void PacketList::Write(GFile& file, const GGroup& list) {
  file.WriteByte(list.OwnsMembers() ? 1 : 0);
  file.WriteU32(static_cast<uint32_t>(list.Count()));
  for (int32_t i = 0; i < list.Count(); ++i) At(list, i).Write(file);
}

bool PacketList::Read(GFile& file, GObjectGroup& list) {
  file.ReadByte();  // owns-members: the battle's list always owns its packets
  const uint32_t count = file.ReadU32();
  if (file.HasError() || count > kMaxPackets || count > file.BytesLeft() / kSmallestPacket) {
    GErrorLog::LogValue("Packet list refused: count", static_cast<int32_t>(count));
    file.SetError();
    return false;
  }
  GObjectGroup read;
  read.SetOwnsMembers(true);
  for (uint32_t i = 0; i < count && !file.HasError(); ++i) {
    auto* packet = new Packet;
    packet->Read(file);
    read.Append(packet);
  }
  if (file.HasError()) {
    GErrorLog::LogError("Packet list refused: a packet could not be read");
    read.DeleteAll(true);
    return false;
  }
  list.DeleteAll(true);
  for (int32_t i = 0; i < read.Count(); ++i) list.Append(read.GetItem(i));
  read.DeleteAll(false);
  return true;
}

int32_t PacketList::ThinSounds(GObjectGroup& list, int32_t budget) {
  const int32_t count = list.Count();
  // For each looped sound of a unit, the index of the next looped sound of the same unit.
  std::vector<int32_t> nextLooped(static_cast<size_t>(count), -1);
  {
    std::unordered_map<const Unit*, int32_t> later;
    for (int32_t i = count - 1; i >= 0; --i) {
      const Packet& p = At(list, i);
      if (!IsSound(p) || p.sound.looped == 0 || p.sound.source == nullptr) continue;
      auto [it, inserted] = later.try_emplace(p.sound.source, i);
      if (!inserted) {
        nextLooped[static_cast<size_t>(i)] = it->second;
        it->second = i;
      }
    }
  }
  std::array<std::array<int32_t, kSoundKinds>, kWindows> counts{};
  std::array<int32_t, kWindows> cutoff{};
  bool oddKindLogged = false;
  for (int32_t i = 0; i < count; ++i) {
    const Packet& p = At(list, i);
    if (!IsSound(p) || p.sound.audible[0] == 0 || p.sound.audible[1] == 0) continue;
    const int32_t k = p.sound.soundKind;
    // Kinds outside the table, and kinds without a channel class, are not counted.
    if (k < 0 || k >= kSoundKinds || SoundKindClass(NormalizeSoundKind(k)) < 0) continue;
    const int32_t w = WindowOf(p.timeSlice);
    int32_t n = 0;
    if (p.sound.looped == 0) {
      n = SoundKinds::OneShotWindows(k);
      if (n < 0) {
        if (!oddKindLogged) GErrorLog::LogValue("Sound of a kind without a length not counted:", k);
        oddKindLogged = true;
        continue;
      }
    } else if (p.sound.source == nullptr) {
      n = kWindows - 1 - w;
    } else {
      const int32_t next = nextLooped[static_cast<size_t>(i)];
      n = next < 0 ? 0 : WindowOf(At(list, next).timeSlice) - (w + 1);
    }
    if (n == 0 || w >= kWindows) continue;
    // The windows w + n - 1 down to w that lie in the table.
    const int32_t high = std::min(w + n - 1, kWindows - 1);
    for (int32_t j = high; j >= std::max(w, 0); --j) ++counts[static_cast<size_t>(j)][static_cast<size_t>(k)];
    if (w > 0) ++counts[static_cast<size_t>(w - 1)][static_cast<size_t>(k)];
  }
  for (int32_t w = kWindows - 1; w >= 0; --w) {
    int32_t sum = 0;
    for (int32_t k = kSoundKinds - 1; k >= 1; --k) {
      const int32_t c = counts[static_cast<size_t>(w)][static_cast<size_t>(k)];
      if (c == 0) continue;
      sum += std::min(c, SoundKindClass(NormalizeSoundKind(k)));
      if (sum >= budget) {
        cutoff[static_cast<size_t>(w)] = k;
        break;
      }
    }
  }
  std::vector<GObject*> kept;
  std::vector<GObject*> removed;
  kept.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    GObject* member = list.GetItem(i);
    const Packet& p = *static_cast<const Packet*>(member);
    const int32_t w = WindowOf(p.timeSlice);
    // A window without a cut-off keeps everything, even a kind read back below 0.
    const bool goes = IsSound(p) && p.sound.looped == 0 && w >= 0 && w < kWindows &&
                      cutoff[static_cast<size_t>(w)] > 0 && p.sound.soundKind < cutoff[static_cast<size_t>(w)];
    (goes ? removed : kept).push_back(member);
  }
  if (removed.empty()) return 0;
  list.DeleteAll(false);
  for (GObject* member : kept) list.Append(member);
  for (GObject* member : removed) delete member;
  return static_cast<int32_t>(removed.size());
}

int32_t PacketList::CollectPreload(const GGroup& list, int32_t side, int32_t max, uint16_t* numbers, uint8_t* looped) {
  int32_t n = 0;
  for (int32_t i = 0; i < list.Count() && n < max; ++i) {
    const Packet& p = At(list, i);
    if (!IsSound(p) || p.sound.audible[side & 1] == 0) continue;
    numbers[n] = p.sound.number;
    looped[n] = p.sound.looped;
    ++n;
  }
  return n;
}
