#include "framework/media/GSoundStream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "framework/media/GSoundChannel.h"
#include "framework/media/GSoundManager.h"
#include "framework/media/GSoundWaitHandles.h"
#include "framework/media/SoundTestSupport.h"
#include "platform/PAudioDevice.h"
#include "platform/PResourceObserver.h"
#include "support/ResourceRecorder.h"

namespace {
using namespace soundtest;

constexpr uint32_t kHalf = 1048576;
constexpr uint32_t kHalfFrames = kHalf / 4;

// Renders frames of the mix and gives its bytes (one stereo buffer alone mixes unchanged).
std::string Rendered(PAudioDevice& device, uint32_t frames) {
  std::vector<int16_t> out(2 * static_cast<size_t>(frames));
  device.Render(out.data(), frames);
  std::string bytes(out.size() * 2, '\0');
  for (size_t i = 0; i < out.size(); ++i) {
    bytes[2 * i] = static_cast<char>(out[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>((out[i] >> 8) & 0xFF);
  }
  return bytes;
}

TEST(GSoundStream, LoopingFileWrapsToItsStartInTheFirstRefill) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  const std::string samples = Pattern(kHalf + kHalf / 2, 11);
  fixture.WriteSound(5000, Wave(samples, 2));
  GSoundStream* stream = m.StartStreamedSound(5000, 1, true);
  GSoundChannel* channel = m.GetStreamChannel();
  ASSERT_EQ(stream->GetChannel(), channel);
  EXPECT_EQ(GSoundWaitHandles::Global().Count(), 2);
  std::string bytes = BufferBytes(*channel->GetBuffer());
  EXPECT_EQ(bytes.substr(0, kHalf), samples.substr(0, kHalf));
  EXPECT_EQ(bytes.substr(kHalf), samples.substr(0, kHalf));  // the copy, until the first refill

  // Play started at offset 0, which signalled the start: the second half is refilled.
  EXPECT_TRUE(GSoundWaitHandles::Global().Poll());
  EXPECT_FALSE(GSoundWaitHandles::Global().Poll());
  bytes = BufferBytes(*channel->GetBuffer(), kHalf, kHalf);
  EXPECT_EQ(bytes, samples.substr(kHalf) + samples.substr(0, kHalf / 2));

  // The cursor reaches the middle: the first half gets the file's next bytes.
  m.GetDevice()->Advance(kHalfFrames);
  EXPECT_TRUE(GSoundWaitHandles::Global().Poll());
  bytes = BufferBytes(*channel->GetBuffer(), 0, kHalf);
  EXPECT_EQ(bytes, samples.substr(kHalf / 2, kHalf));

  delete stream;
  EXPECT_TRUE(channel->IsFree());
  EXPECT_EQ(GSoundWaitHandles::Global().Count(), 0);
  EXPECT_EQ(m.GetWaitingCount(), 0);
}

TEST(GSoundStream, FileThatDoesNotLoopPlaysToItsLastSampleThenStops) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  const std::string samples = Pattern(kHalf + kHalf / 2, 3);
  fixture.WriteSound(5010, Wave(samples, 2));
  GSoundStream* stream = m.StartStreamedSound(5010, 1, false);
  GSoundChannel* channel = m.GetStreamChannel();
  PAudioDevice& device = *m.GetDevice();
  ASSERT_TRUE(GSoundWaitHandles::Global().Poll());  // second half: the rest, then silence
  EXPECT_TRUE(channel->IsEndOfData());
  EXPECT_EQ(Rendered(device, kHalfFrames), samples.substr(0, kHalf));
  ASSERT_TRUE(GSoundWaitHandles::Global().Poll());  // the last half has begun
  EXPECT_TRUE(stream->HasChannel());
  EXPECT_EQ(Rendered(device, kHalfFrames), samples.substr(kHalf) + std::string(kHalf / 2, '\0'));
  ASSERT_TRUE(GSoundWaitHandles::Global().Poll());  // and has ended
  EXPECT_FALSE(stream->HasChannel());
  EXPECT_TRUE(stream->IsFinished());
  EXPECT_TRUE(channel->IsFree());
  EXPECT_EQ(GSoundWaitHandles::Global().Count(), 0);
  EXPECT_EQ(Rendered(device, 100), std::string(400, '\0'));
  delete stream;
}

TEST(GSoundStream, ReadsStopAtTheEndOfTheDataChunk) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  const std::string samples = Pattern(100000, 7);
  const std::string noise = Chunk("junk", std::string(300000, '\x55'));
  fixture.WriteSound(5001, Wave(samples, 2, "", noise));
  fixture.WriteSound(5002, Wave(samples, 2, "", noise));
  GSoundStream* once = m.StartStreamedSound(5001, 1, false);
  std::string bytes = BufferBytes(*m.GetStreamChannel()->GetBuffer(), 0, kHalf);
  EXPECT_EQ(bytes.substr(0, 100000), samples);
  EXPECT_EQ(bytes.substr(100000), std::string(kHalf - 100000, '\0'));
  delete once;

  GSoundStream* looping = m.StartStreamedSound(5002, 1, true);
  bytes = BufferBytes(*m.GetStreamChannel()->GetBuffer(), 0, kHalf);
  // Short files repeat through the whole half.
  for (uint32_t at = 0; at + 100000 <= kHalf; at += 100000) ASSERT_EQ(bytes.substr(at, 100000), samples) << at;
  EXPECT_EQ(bytes.substr(1000000), samples.substr(0, kHalf - 1000000));
  delete looping;
}

TEST(GSoundStream, SecondStreamTakesTheChannelAndTheFirstComesBack) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(5003, Wave(Pattern(400000), 2));
  fixture.WriteSound(5004, Wave(Pattern(400000, 1), 2));
  GSoundStream* first = m.StartStreamedSound(5003, 1, true);
  GSoundStream* second = m.StartStreamedSound(5004, 1, false);
  EXPECT_FALSE(first->HasChannel());
  EXPECT_TRUE(second->HasChannel());
  EXPECT_EQ(m.GetWaitingCount(), 1);
  EXPECT_EQ(GSoundWaitHandles::Global().Count(), 2);
  m.Update();
  EXPECT_TRUE(first->HasChannel());
  EXPECT_FALSE(second->HasChannel());
  EXPECT_TRUE(second->IsFinished());
  delete second;
  delete first;
  EXPECT_EQ(GSoundWaitHandles::Global().Count(), 0);
}

TEST(GSoundStream, StreamStartedWithSoundOffStartsWhenSoundComesOn) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(5005, Wave(Pattern(400000), 2));
  m.SetSoundsEnabled(false);
  GSoundStream* looping = m.StartStreamedSound(5005, 1, true);
  GSoundStream* once = m.StartStreamedSound(5005, 1, false);
  EXPECT_FALSE(looping->HasChannel());
  EXPECT_EQ(m.GetRestartCount(), 1);
  EXPECT_TRUE(once->IsFinished());
  m.SetSoundsEnabled(true);
  m.StopAllSounds();  // leaves the restart list alone
  m.Update();
  EXPECT_TRUE(looping->HasChannel());
  EXPECT_EQ(m.GetRestartCount(), 0);
  // Switched off while playing, it waits and comes back.
  m.SetSoundsEnabled(false);
  EXPECT_FALSE(looping->HasChannel());
  m.SetSoundsEnabled(true);
  m.Update();
  EXPECT_TRUE(looping->HasChannel());
  delete once;
  delete looping;
}

// A streamed sound that cannot be read is logged and stays silent; the program goes on.
TEST(GSoundStream, MissingOrEmptyStreamFileIsALoggedFailure) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  fixture.WriteSound(5007, Wave("", 2));
  fixture.WriteSound(5008, "RIFF");
  for (int16_t number : {5006, 5007, 5008}) {
    GSoundStream* stream = m.StartStreamedSound(number, 1, true);
    EXPECT_FALSE(stream->HasChannel()) << number;
    EXPECT_TRUE(m.GetStreamChannel()->IsFree()) << number;
    EXPECT_EQ(GSoundWaitHandles::Global().Count(), 0) << number;
    EXPECT_EQ(m.GetWaitingCount(), 0) << number;
    delete stream;
  }
  // The channel still plays a good file afterwards.
  const std::string samples = Pattern(4000, 9);
  fixture.WriteSound(5009, Wave(samples, 2));
  GSoundStream* good = m.StartStreamedSound(5009, 1, false);
  EXPECT_TRUE(good->HasChannel());
  EXPECT_EQ(BufferBytes(*m.GetStreamChannel()->GetBuffer(), 0, 4000), samples);
  delete good;
  const std::string log = fixture.Log();
  const std::string failures = "Problem loading sound # 5006\r\nProblem loading sound # 5007\r\nProblem loading sound # 5008\r\n";
  ASSERT_GE(log.size(), failures.size());
  EXPECT_EQ(log.substr(log.size() - failures.size()), failures);  // after the device's report
}

// Tools writing to a pipe leave the sizes unknown (sox: 0x7FFFF000; others 0 or 0xFFFFFFFF):
// the sound runs to the end of the file. One second of stereo sound plays one second.
TEST(GSoundStream, UnknownSizesRunToTheEndOfTheFile) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  PAudioDevice& device = *m.GetDevice();
  const std::string second = Pattern(44100 * 4, 21);
  std::string wave = Wave(second, 2);
  wave.replace(4, 4, Le32(0x7FFFF000u));
  wave.replace(wave.size() - second.size() - 4, 4, Le32(0x7FFFF000u));
  fixture.WriteSound(5011, wave);
  GSoundStream* stream = m.StartStreamedSound(5011, 1, false);
  ASSERT_TRUE(stream->HasChannel());
  ASSERT_TRUE(GSoundWaitHandles::Global().Poll());
  EXPECT_TRUE(m.GetStreamChannel()->IsEndOfData());
  EXPECT_EQ(Rendered(device, 44100), second);
  EXPECT_EQ(Rendered(device, 100), std::string(400, '\0'));
  delete stream;

  // A stream at another rate plays its bytes as they stand and says so once.
  std::string fmt = FmtBody(2);
  fmt.replace(4, 4, Le32(22050));
  fixture.WriteSound(5012, Chunk("RIFF", "WAVE" + Chunk("fmt ", fmt) + Chunk("data", second)));
  stream = m.StartStreamedSound(5012, 1, false);
  ASSERT_TRUE(stream->HasChannel());
  EXPECT_EQ(BufferBytes(*m.GetStreamChannel()->GetBuffer(), 0, 1000), second.substr(0, 1000));
  delete stream;
  // One line, for the second file only.
  const std::string log = fixture.Log();
  EXPECT_EQ(log.find("Problem"), std::string::npos);
  const std::string line = "WAV\\00005012.wav is format 1, 16-bit, 22050 Hz, 2 channel(s); played as 16-bit 44100 Hz\r\n";
  ASSERT_NE(log.find(line), std::string::npos) << log;
  EXPECT_EQ(log.find(" is format"), log.rfind(" is format"));
}

}  // namespace

// Plain and streamed sounds both tell the resource observer which number they look up in the
// program's WAV folder, found or not.
TEST(GSoundStream, PlainAndStreamedLookUpsAreHeardByTheResourceObserver) {
  SoundFixture fixture;
  GSoundManager& m = fixture.manager();
  ResourceRecorder recorder;
  fixture.WriteSound(5007, Wave(Pattern(4000, 3), 2));
  GSoundStream* stream = m.StartStreamedSound(5007, 1, true);
  m.PlaySound(77, 0);  // no such file: silent, but still asked for
  const std::string wav = fixture.folder.Program() + "WAV\\";
  EXPECT_EQ(recorder.Requests(PResourceObserver::Kind::kSound, wav), (std::set<int32_t>{77, 5007}));
  EXPECT_TRUE(recorder.Requests(PResourceObserver::Kind::kSound, "BMP\\").empty());
  delete stream;
}
