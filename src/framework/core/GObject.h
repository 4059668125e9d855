#pragma once
#include <cstdint>

class GFile;

// The root of every framework and game object. The magic word tells a live object from a
// deleted or foreign pointer; SafeDelete and the destructor test it.
class GObject {
 public:
  static constexpr uint32_t kMagic = 0x5F0AA0F5u;

  GObject() = default;
  GObject(const GObject&) : magic_(kMagic) {}
  GObject& operator=(const GObject&) { return *this; }
  virtual ~GObject();

  // A new copy of this object; fatal unless a class overrides it.
  virtual GObject* CopyItself() const;
  // Reads this object from a file; fatal unless overridden. Failures set the file's error.
  virtual void Read(GFile& file);
  // Writes this object to a file; fatal unless overridden.
  virtual void Write(GFile& file) const;
  // Copies this object's contents into another object of its class; fatal unless overridden.
  virtual void CopyTo(GObject* target) const;

  uint32_t Magic() const { return magic_; }

 private:
  uint32_t magic_ = kMagic;
};
