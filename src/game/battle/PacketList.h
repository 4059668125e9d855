#pragma once
#include <cstdint>

class GFile;
class GGroup;
class GObjectGroup;
class Packet;

// The battle's packet list as a whole: its order, its stored form and the thinning of its
// sounds. Functions only; the list itself is a GObjectGroup of Packet that owns them.
class PacketList {
 public:
  // The most packets a stored list may hold.
  static constexpr uint32_t kMaxPackets = 1000000;

  // The order of the replay: by slice, then others before kind 9 before sounds (kind 2).
  // -1, 0 or 1.
  static int32_t Compare(const Packet& a, const Packet& b);
  // Sorts stably by that order: equal keys keep the order they had, so a list read back keeps
  // its order when sorted again. Two state packets of one unit in one slice are logged
  // ("Packet conflict at time slice ") and both kept. Gives the number of such pairs.
  static int32_t Sort(GGroup& list);

  // The group's stored form: owns-members byte, u32 count, each packet.
  static void Write(GFile& file, const GGroup& list);
  // Reads a stored list into a new group. On a refused list (the file's error flag raised)
  // the result is empty and `list` untouched; otherwise `list` is emptied (deleting) and takes
  // the packets read.
  static bool Read(GFile& file, GObjectGroup& list);

  // Removes (deleting) the one-shot sounds that would exceed the budget of channels in their
  // 20-slice window, least important kinds first. Gives the number removed.
  static int32_t ThinSounds(GObjectGroup& list, int32_t budget);
  // Up to max sounds audible to the side, in list order: their numbers and looped bytes.
  static int32_t CollectPreload(const GGroup& list, int32_t side, int32_t max, uint16_t* numbers, uint8_t* looped);
};
