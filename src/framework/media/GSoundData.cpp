#include "framework/media/GSoundData.h"

#include <string>

#include "framework/core/GErrorLog.h"
#include "framework/media/GSoundHost.h"
#include "framework/media/GSoundWave.h"
#include "platform/PResourceObserver.h"

bool GSoundData::Load(int16_t number, bool looped, const GSoundHost& host) {
  number_ = number;
  looped_ = looped ? 1 : 0;
  std::string name;
  GSoundWave::MakeWaveFileName(name, number);
  std::string folder;
  host.GetBaseFolder(folder, false);
  PResourceObserver::Note(PResourceObserver::Kind::kSound, number, (folder + "WAV\\").c_str());
  GSoundWaveFormat format;
  int32_t result = GSoundWave::LoadWaveFile(folder + name, byteCount_, samples_, &format);
  if (result != GSoundWave::kOk && host.GetBaseFolder(folder, true)) {
    result = GSoundWave::LoadWaveFile(folder + name, byteCount_, samples_, &format);
  }
  if (result != GSoundWave::kOk) {
    GErrorLog::LogValue("Problem loading sound #", number);
    return false;
  }
  // Played as it stands; a player who replaced the sound learns why it sounds wrong.
  const std::string unusual = GSoundWave::UnusualFormatText(folder + name, format);
  if (!unusual.empty()) GErrorLog::LogError(unusual.c_str());
  return true;
}
