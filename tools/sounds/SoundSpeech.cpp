#include "SoundSpeech.h"

#include <espeak-ng/speak_lib.h>
#include <samplerate.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <deque>

namespace {

std::vector<short>* gCollect = nullptr;

int Collect(short* wave, int count, espeak_EVENT*) {
  if (wave && count > 0 && gCollect) gCollect->insert(gCollect->end(), wave, wave + count);
  return 0;
}

bool WriteAll(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = write(fd, p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, size_t size) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = read(fd, p, size);
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

SoundSpeech::SoundSpeech() {
  rate_ = espeak_Initialize(AUDIO_OUTPUT_SYNCHRONOUS, 0, nullptr, espeakINITIALIZE_DONT_EXIT);
  if (rate_ > 0) {
    espeak_SetSynthCallback(Collect);
    // Loading the first voice loads the phoneme tables, most of the engine's start-up work:
    // done once here, always the same way, so that every child starts from the same state.
    espeak_SetVoiceByName("en");
  }
}

SoundSpeech::~SoundSpeech() {
  if (rate_ > 0) espeak_Terminate();
}

bool SoundSpeech::Speak(const Phrase& phrase, std::vector<short>& raw, std::string& reason) {
  raw.clear();
  if (rate_ <= 0) {
    reason = "espeak-ng could not start";
    return false;
  }
  const std::string name =
      phrase.speaker == 0 ? phrase.voice : std::string(phrase.voice) + "+m" + std::to_string(phrase.speaker);
  if (espeak_SetVoiceByName(name.c_str()) != EE_OK) {
    reason = "espeak-ng has no voice \"" + name + "\"";
    return false;
  }
  espeak_SetParameter(espeakRATE, phrase.rate, 0);
  espeak_SetParameter(espeakPITCH, phrase.pitch, 0);
  espeak_SetParameter(espeakRANGE, 70, 0);
  espeak_SetParameter(espeakVOLUME, 100, 0);
  gCollect = &raw;
  const espeak_ERROR e = espeak_Synth(phrase.text.c_str(), phrase.text.size() + 1, 0, POS_CHARACTER, 0,
                                      espeakCHARS_UTF8, nullptr, nullptr);
  espeak_Synchronize();
  gCollect = nullptr;
  size_t voiced = 0;
  for (short v : raw)
    if (v > 300 || v < -300) ++voiced;
  if (e != EE_OK || voiced < static_cast<size_t>(rate_) / 20) {
    reason = "espeak-ng cannot speak the phrase";
    return false;
  }
  return true;
}

void SoundSpeech::SpeakAll(const std::vector<Phrase>& phrases, int parallel, std::vector<std::vector<short>>& out,
                           std::vector<std::string>& errors) {
  out.assign(phrases.size(), {});
  errors.assign(phrases.size(), {});
  struct Child {
    size_t index;
    pid_t pid;
    int fd;
  };
  std::deque<Child> running;
  // Reads the oldest child's answer: a status byte, then a count and the samples or the reason.
  auto finish = [&]() {
    const Child c = running.front();
    running.pop_front();
    uint8_t ok = 0;
    uint32_t count = 0;
    bool read = ReadAll(c.fd, &ok, 1) && ReadAll(c.fd, &count, 4);
    if (read && ok) {
      out[c.index].resize(count);
      read = ReadAll(c.fd, out[c.index].data(), count * sizeof(short));
    } else if (read) {
      std::string reason(count, '\0');
      read = ReadAll(c.fd, reason.data(), count);
      errors[c.index] = reason;
    }
    close(c.fd);
    int status = 0;
    waitpid(c.pid, &status, 0);
    if (!read || !WIFEXITED(status) || WEXITSTATUS(status) != 0) errors[c.index] = "espeak-ng failed on the phrase";
  };
  for (size_t i = 0; i < phrases.size(); ++i) {
    while (static_cast<int>(running.size()) >= parallel) finish();
    int fds[2];
    if (pipe(fds) != 0) {
      errors[i] = "cannot start espeak-ng";
      continue;
    }
    const pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      std::vector<short> raw;
      std::string reason;
      const uint8_t ok = Speak(phrases[i], raw, reason) ? 1 : 0;
      const uint32_t count = static_cast<uint32_t>(ok ? raw.size() : reason.size());
      const bool written = WriteAll(fds[1], &ok, 1) && WriteAll(fds[1], &count, 4) &&
                           (ok ? WriteAll(fds[1], raw.data(), raw.size() * sizeof(short))
                               : WriteAll(fds[1], reason.data(), reason.size()));
      _exit(written ? 0 : 1);
    }
    close(fds[1]);
    if (pid < 0) {
      close(fds[0]);
      errors[i] = "cannot start espeak-ng";
      continue;
    }
    running.push_back({i, pid, fds[0]});
  }
  while (!running.empty()) finish();
}

bool SoundSpeech::Resample(const std::vector<short>& raw, std::vector<float>& out, std::string& reason) const {
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
  const int err = src_simple(&data, SRC_SINC_FASTEST, 1);
  if (err != 0) {
    reason = std::string("libsamplerate: ") + src_strerror(err);
    return false;
  }
  out.resize(static_cast<size_t>(data.output_frames_gen));
  return true;
}
