#include "SoundSpeech.h"

#include <espeak-ng/speak_lib.h>
#include <samplerate.h>

#include <cstring>

namespace {

std::vector<short>* gCollect = nullptr;

int Collect(short* wave, int count, espeak_EVENT*) {
  if (wave && count > 0 && gCollect) gCollect->insert(gCollect->end(), wave, wave + count);
  return 0;
}

}  // namespace

SoundSpeech::SoundSpeech() {
  rate_ = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
  if (rate_ > 0) espeak_SetSynthCallback(Collect);
}

SoundSpeech::~SoundSpeech() {
  if (rate_ > 0) espeak_Terminate();
}

bool SoundSpeech::Speak(const std::string& voice, int speaker, int pitch, int rate, const std::string& text,
                        std::vector<float>& out, std::string& reason) {
  out.clear();
  if (rate_ <= 0) {
    reason = "espeak-ng could not start";
    return false;
  }
  // Speakers: the language's own voice, then the male variants.
  const std::string name = speaker == 0 ? voice : voice + "+m" + std::to_string(speaker);
  if (espeak_SetVoiceByName(name.c_str()) != EE_OK) {
    reason = "espeak-ng has no voice \"" + name + "\"";
    return false;
  }
  espeak_SetParameter(espeakRATE, rate, 0);
  espeak_SetParameter(espeakPITCH, pitch, 0);
  espeak_SetParameter(espeakRANGE, 70, 0);
  espeak_SetParameter(espeakVOLUME, 100, 0);
  std::vector<short> raw;
  gCollect = &raw;
  const espeak_ERROR e =
      espeak_Synth(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
  espeak_Synchronize();
  gCollect = nullptr;
  size_t voiced = 0;
  for (short v : raw)
    if (v > 300 || v < -300) ++voiced;
  if (e != EE_OK || voiced < static_cast<size_t>(rate_) / 20) {
    reason = "espeak-ng cannot speak the phrase";
    return false;
  }
  std::vector<float> in(raw.size());
  src_short_to_float_array(raw.data(), in.data(), static_cast<int>(raw.size()));
  const double ratio = 44100.0 / rate_;
  out.assign(static_cast<size_t>(static_cast<double>(in.size()) * ratio) + 64, 0.0f);
  SRC_DATA data;
  std::memset(&data, 0, sizeof data);
  data.data_in = in.data();
  data.input_frames = static_cast<long>(in.size());
  data.data_out = out.data();
  data.output_frames = static_cast<long>(out.size());
  data.src_ratio = ratio;
  const int err = src_simple(&data, SRC_SINC_MEDIUM_QUALITY, 1);
  if (err != 0) {
    reason = std::string("libsamplerate: ") + src_strerror(err);
    return false;
  }
  out.resize(static_cast<size_t>(data.output_frames_gen));
  return true;
}
