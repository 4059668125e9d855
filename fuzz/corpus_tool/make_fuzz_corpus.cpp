// Writes the fuzz targets' seed inputs, each made by the program's own writers (the file
// writer in every mode, the coder, the e-mail block writer, the bitmap encoder, the link, the
// application's preferences, the game file writer), into <folder>/<target>/. The files are
// checked in as fuzz/corpus/; run again after a format changes:
//   make_fuzz_corpus fuzz/corpus
// The output is the same, byte for byte, on every run.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <set>
#include <string>
#include <vector>

#include "app/GameFolders.h"
#include "app/HeadlessGameFile.h"
#include "app/WRApplication.h"
#include "framework/core/GEmailBlockWriter.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GSplayEncoder.h"
#include "framework/core/GString127.h"
#include "framework/kernel/DisplayPreset.h"
#include "framework/kernel/GKernel.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "framework/media/NetLink.h"
#include "platform/PBitmapFile.h"
#include "platform/PClock.h"
#include "platform/PFile.h"
#include "platform/PNetMemoryTransport.h"
#include "platform/PPath.h"
#include "platform/PText.h"
#include "FuzzSmallGames.h"

namespace {

namespace fs = std::filesystem;

fs::path gOut;
fs::path gWork;  // a scratch folder for the files the writers make

void Seed(const std::string& target, const std::string& name, const std::string& bytes) {
  // A target's folder is written afresh: seeds the tool no longer makes go.
  static std::set<std::string> started;
  if (started.insert(target).second) fs::remove_all(gOut / target);
  fs::create_directories(gOut / target);
  std::ofstream out(gOut / target / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s/%s\n", target.c_str(), name.c_str());
    std::exit(1);
  }
}

std::string ReadNative(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The bytes a GFile in the writing mode leaves on disk after the writes.
std::string WrittenFile(int32_t mode, const std::function<void(GFile&)>& write) {
  const fs::path native = gWork / "written";
  const std::string path = PPath::ToProgram(native.string());
  {
    GFile file;
    if (!file.IFile(PFile::Open(path, PFile::kRead | PFile::kWrite, PFile::Disposition::kCreateAlways), path.c_str(),
                    mode)) {
      std::fprintf(stderr, "cannot write in mode %d\n", mode);
      std::exit(1);
    }
    write(file);
  }
  return ReadNative(native);
}

// Typed fields of every kind, as the game's stored objects write them.
void TypedFields(GFile& f, int32_t repeat) {
  GString127 title;
  title.Assign("Caf\xE9 on the Orne");
  for (int32_t i = 0; i < repeat; ++i) {
    f.WriteByte(static_cast<uint8_t>(i));
    f.WriteU16(static_cast<uint16_t>(1000 + i));
    f.WriteU32(0x01020304u + static_cast<uint32_t>(i));
    f.WriteFloat(1.5f * static_cast<float>(i));
    f.WriteScaled(0.25f * static_cast<float>(i), 100.0f);
    const uint16_t array[3] = {1, 2, static_cast<uint16_t>(i)};
    f.WriteU16Array(array, 3);
    title.WriteText(f);
    f.WriteZeros(3);
  }
}

std::string Coded(const std::string& text) {
  std::string out;
  GSplayEncoder encoder([&out](const uint8_t* b, size_t n) { out.append(reinterpret_cast<const char*>(b), n); });
  encoder.Put(reinterpret_cast<const uint8_t*>(text.data()), text.size());
  encoder.Finish();
  return out;
}

std::string EmailBlock(const std::string& bytes) {
  std::string out;
  GEmailBlockWriter writer([&out](const uint8_t* b, size_t n) { out.append(reinterpret_cast<const char*>(b), n); });
  writer.Put(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  writer.Finish();
  return out;
}

void GFileSeeds() {
  // Byte 0 chooses the reading mode (plain, compressed, game file, e-mail), byte 1 the script
  // (with bit 7 the bytes are also written in the matching mode and read back).
  Seed("GFileFuzz", "plain", std::string("\x00\x00", 2) + WrittenFile(GFile::kModeWrite, [](GFile& f) { TypedFields(f, 4); }));
  Seed("GFileFuzz", "plain-script3", std::string("\x00\x03", 2) + WrittenFile(GFile::kModeWrite, [](GFile& f) { TypedFields(f, 2); }));
  Seed("GFileFuzz", "compressed",
       std::string("\x01\x81", 2) + WrittenFile(GFile::kModeWriteCompressed, [](GFile& f) { TypedFields(f, 8); }));
  Seed("GFileFuzz", "game-file",
       std::string("\x02\x82", 2) + WrittenFile(GFile::kModeWriteGameFile, [](GFile& f) { TypedFields(f, 40); }));
  Seed("GFileFuzz", "email",
       std::string("\x03\x84", 2) + WrittenFile(GFile::kModeWriteEmail, [](GFile& f) { TypedFields(f, 3); }));
}

void CoderSeeds() {
  Seed("GSplayDecoderFuzz", "text", Coded("The 3rd Battalion holds the bridge at Ranville until relieved."));
  Seed("GSplayDecoderFuzz", "runs", Coded(std::string(300, 'a') + std::string(40, '\0') + "bcd"));
  std::string all;
  for (int i = 0; i < 512; ++i) all.push_back(static_cast<char>(i * 7));
  Seed("GSplayDecoderFuzz", "all-bytes", Coded(all));
  Seed("GSplayDecoderFuzz", "empty", Coded(""));
}

void EmailSeeds() {
  Seed("GEmailBlockReaderFuzz", "block", EmailBlock("turn 3 orders: advance"));
  std::string bytes;
  for (int i = 0; i < 200; ++i) bytes.push_back(static_cast<char>(i));
  Seed("GEmailBlockReaderFuzz", "long-block", EmailBlock(bytes));
  // The block inside a mail as a mail program leaves it: headers before, a signature after.
  Seed("GEmailBlockReaderFuzz", "in-mail",
       "From: allied@example.org\r\nSubject: turn 4\r\n\r\nYour move.\r\n\r\n" + EmailBlock(bytes.substr(0, 99)) +
           "\r\n-- \r\nsent from the front\r\n");
  // A reply: the earlier turn quoted, then the new one.
  std::string quoted = "> ";
  for (char c : EmailBlock(bytes.substr(0, 30))) {
    quoted.push_back(c);
    if (c == '\n') quoted += "> ";
  }
  Seed("GEmailBlockReaderFuzz", "reply", "On Monday you wrote:\r\n" + quoted + "\r\n" + EmailBlock(bytes.substr(30, 40)));
  // The harness's own marker form ("!" stands for the marker line) and its mail form ("#").
  const std::string small = EmailBlock("xyz");
  const size_t marker = small.find(GEmailBlockWriter::kMarker);
  if (marker != std::string::npos)
    Seed("GEmailBlockReaderFuzz", "marker", "!" + small.substr(marker + GEmailBlockWriter::kMarkerLength));
  Seed("GEmailBlockReaderFuzz", "mail-form", "#\x01" + bytes.substr(0, 48));
}

void Put16(std::string& b, uint32_t v) {
  b.push_back(static_cast<char>(v & 0xFF));
  b.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

// The encoder's header for a picture of this size, made over into another depth and coding,
// with extra bytes (masks, palette) and the coded rows after it.
std::string BitmapWith(int32_t width, int32_t height, uint32_t bitCount, uint32_t compression,
                       const std::string& extra, const std::string& rows, uint32_t colorsUsed = 0) {
  std::string b = PBitmapFile::Encode(nullptr, 0, 0).substr(0, 54);
  auto put = [&b](size_t at, uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i) b[at + static_cast<size_t>(i)] = static_cast<char>((v >> (8 * i)) & 0xFF);
  };
  const uint32_t offBits = static_cast<uint32_t>(54 + extra.size());
  put(2, static_cast<uint32_t>(offBits + rows.size()), 4);
  put(10, offBits, 4);
  put(18, static_cast<uint32_t>(width), 4);
  put(22, static_cast<uint32_t>(height), 4);
  put(28, bitCount, 2);
  put(30, compression, 4);
  put(34, static_cast<uint32_t>(rows.size()), 4);
  put(46, colorsUsed, 4);
  return b + extra + rows;
}

std::string ByteString(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(static_cast<char>(v));
  return s;
}

void BitmapSeeds() {
  const int32_t sizes[][2] = {{1, 1}, {3, 2}, {16, 8}, {5, 7}};
  for (const auto& s : sizes) {
    std::vector<uint32_t> pixels(static_cast<size_t>(s[0] * s[1]));
    for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint32_t>(i * 0x010203u) & 0xFFFFFFu;
    Seed("BitmapFuzz", std::to_string(s[0]) + "x" + std::to_string(s[1]), PBitmapFile::Encode(pixels.data(), s[0], s[1]));
  }
  // Run-length coded rows with runs, literals, a delta, end of line and end of bitmap.
  std::string palette;
  for (int i = 0; i < 16; ++i) palette += ByteString({i * 16, 255 - i * 16, i, 0});
  Seed("BitmapFuzz", "rle8", BitmapWith(6, 3, 8, 1, palette,
                                         ByteString({2, 7, 0, 3, 5, 6, 7, 0, 0, 0, 3, 4, 0, 2, 2, 1, 1, 9, 0, 1}), 16));
  Seed("BitmapFuzz", "rle4", BitmapWith(5, 2, 4, 2, palette,
                                         ByteString({0, 2, 2, 0, 3, 0x12, 0, 0, 0, 5, 0x34, 0x5F, 0x10, 0, 0, 1}), 16));
  // Bit-field masks: 5-6-5 after the header, and 4-4-4 likewise.
  auto masks = [](uint32_t r, uint32_t g, uint32_t b) {
    std::string m;
    for (uint32_t v : {r, g, b}) Put32(m, v);
    return m;
  };
  Seed("BitmapFuzz", "fields565", BitmapWith(2, 2, 16, 3, masks(0xF800, 0x07E0, 0x001F),
                                              ByteString({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x10, 0x84})));
  Seed("BitmapFuzz", "fields444", BitmapWith(2, 1, 16, 3, masks(0x0F00, 0x00F0, 0x000F),
                                              ByteString({0x23, 0x01, 0x00, 0x0F})));
}

// A WAV file as the sound tool writes them: RIFF WAVE, a 16-byte PCM format, the samples.
std::string Wave(uint32_t channels, uint32_t frames, bool listChunk) {
  std::string data;
  for (uint32_t i = 0; i < frames * channels; ++i) Put16(data, (i * 977u) & 0xFFFFu);
  std::string b = "WAVEfmt ";
  Put32(b, 16);
  Put16(b, 1);
  Put16(b, channels);
  Put32(b, 44100);
  Put32(b, 44100 * channels * 2);
  Put16(b, channels * 2);
  Put16(b, 16);
  if (listChunk) {
    b += "LIST";
    Put32(b, 12);
    b += "INFOISFT";
    Put32(b, 0);
  }
  b += "data";
  Put32(b, static_cast<uint32_t>(data.size()));
  b += data;
  std::string riff = "RIFF";
  Put32(riff, static_cast<uint32_t>(b.size()));
  return riff + b;
}

void RiffSeeds() {
  Seed("RiffFuzz", "mono", Wave(1, 20, false));
  Seed("RiffFuzz", "stereo", Wave(2, 12, false));
  Seed("RiffFuzz", "with-list", Wave(1, 6, true));
  // As a tool writing to a pipe leaves it: sizes it did not know.
  std::string piped = Wave(2, 10, false);
  for (size_t at : {size_t{4}, size_t{40}}) piped.replace(at, 4, "\x00\xF0\xFF\x7F");
  Seed("RiffFuzz", "piped", piped);
}

uint32_t gPeer = 0;
void PeerCallback(uint32_t endpoint, void* context, int32_t code, int32_t, uint32_t cookie) {
  auto* t = static_cast<PNetMemoryTransport*>(context);
  if (code == PNetTransport::kConnectRequest) t->AcceptConnection(endpoint, cookie, PeerCallback, context);
  if (code == PNetTransport::kAcceptComplete) gPeer = endpoint;
}

// What the link puts on the wire for some messages, read at the peer's end.
std::string LinkFrames(const std::vector<std::string>& messages, uint64_t quietSeconds) {
  static uint64_t ms = 1000000;
  PClock::SetFake([] { return ms; });
  PNetMemoryTransport transport;
  NetSetTransport(&transport);
  gPeer = 0;
  const uint32_t listener = transport.OpenEndpoint("IPaddr=127.0.0.1\tIPport=5", false, PeerCallback, &transport);
  NetOpenEndpoint(false, 0x0100007F, 5, [](const uint8_t*, uint32_t) {}, nullptr);
  transport.Idle(listener);
  for (const std::string& m : messages)
    NetQueueMessage(m.data(), static_cast<uint32_t>(m.size()));
  ms += quietSeconds * 1000;
  NetIdle();
  std::string wire;
  char buffer[4096];
  uint32_t room = sizeof buffer;
  while (gPeer != 0 && transport.Receive(gPeer, buffer, &room) == PNetTransport::kOk) {
    wire.append(buffer, room);
    room = sizeof buffer;
  }
  NetCloseEndpoint();
  if (gPeer != 0) transport.CloseEndpoint(gPeer, false);
  transport.CloseEndpoint(listener, false);
  NetSetTransport(nullptr);
  PClock::SetFake(nullptr);
  return wire;
}

std::string NetInput(uint8_t head, uint8_t piece, const std::string& commands, const std::string& stream) {
  std::string in;
  in.push_back(static_cast<char>(head));
  in.push_back(static_cast<char>(piece));
  in.push_back(static_cast<char>(commands.size()));
  return in + commands + stream;
}

void NetSeeds() {
  const std::string frames = LinkFrames({"orders", std::string(300, 'u'), "end"}, 0);
  const std::string keepAlive = LinkFrames({}, 16);
  Seed("NetFrameFuzz", "frames", NetInput(0, 7, "", frames));
  Seed("NetFrameFuzz", "listening", NetInput(1, 64, "", frames));
  Seed("NetFrameFuzz", "keep-alive", NetInput(0, 5, "", keepAlive + frames));
  // The link sends between the peer's pieces, the clock moves past the keep-alive time and
  // past the silence limit, and the peer stops reading (flow control).
  Seed("NetFrameFuzz", "interleaved", NetInput(2, 9, std::string("\x00\x04\x20\x05\x10\x00\x06\x00", 8), frames));
  Seed("NetFrameFuzz", "silence", NetInput(1, 3, std::string("\x00\x05\xB5\x00", 4), frames));
  std::string flood;
  for (int i = 0; i < 12; ++i) flood += std::string("\x0F\x04\xFF", 3);
  Seed("NetFrameFuzz", "flow-control", NetInput(0, 200, flood, frames));
}

void PreferencesSeeds() {
  // The preferences the application writes at its end, in a scratch program folder.
  PPath::SetProgramFolder(gWork.string());
  std::string name;
  for (int variant = 0; variant < 3; ++variant) {
    {
      WRApplication app;
      app.LoadPreferences();
      name = GameFolders::PreferencesFileName().CStr();
      for (int32_t i = 0; i < WRApplication::kStoredOptions; ++i)
        app.SetOption(i, static_cast<int8_t>((i * (variant + 1)) % 3));
      if (variant > 0) {
        DisplayPreset preset;
        app.GetDisplayChoice(&preset);
        preset.use3DPreset = 1;
        preset.use2DPreset = variant == 2 ? 1 : 0;
        preset.width = 800;
        preset.height = 600;
        preset.width2D = 640;
        preset.height2D = 480;
        app.SavePreferences(&preset);
      }
    }
    GErrorLog::Close();
    Seed("PreferencesFuzz", "written-" + std::to_string(variant), ReadNative(gWork / name));
  }
  std::string foreign = ReadNative(gWork / name);
  foreign[0] = 1;
  Seed("PreferencesFuzz", "foreign", foreign);
  Seed("PreferencesFuzz", "short", foreign.substr(0, 30).replace(0, 1, 1, '\0'));
  PPath::SetProgramFolder("");
}

void HeaderSeeds() {
  auto header = [](uint8_t saved, int32_t length, const char* title) {
    return [=](GFile& f) {
      f.WriteByte(2);
      f.WriteByte(4);
      f.WriteByte(saved);
      f.WriteU32(static_cast<uint32_t>(length));
      f.WriteU32(57);
      f.WriteU16(3);
      f.WriteU16(static_cast<uint16_t>(-1));
      GString127 t;
      t.Assign(title);
      t.WriteText(f);
      f.WriteZeros(40);
    };
  };
  // Byte 0 chooses how the file is stored: plain, compressed, compressed after a raw part.
  Seed("GameFileHeaderFuzz", "plain", "\x00" + WrittenFile(GFile::kModeWrite, header(0, 1, "Pegasus Bridge")));
  Seed("GameFileHeaderFuzz", "compressed",
       "\x01" + WrittenFile(GFile::kModeWriteCompressed, header(1, 3, "Caf\xE9 Gondr\xE9")));
  Seed("GameFileHeaderFuzz", "game-file", "\x02" + WrittenFile(GFile::kModeWriteGameFile, header(1, 12, "Operation")));
}

void NameSeeds() {
  Seed("FileNameFuzz", "plain", "Saved game 1.wrb");
  Seed("FileNameFuzz", "accented", PText::Cp1252ToUtf8("Caf\xE9 \x80 \xDC" "ber.wrc"));
  Seed("FileNameFuzz", "overlong", "\xC0\xAE\xC0\xAE\xC0\xAFoutside.sav");
  Seed("FileNameFuzz", "separator", "Scenarios\\a.wrb");
  Seed("FileNameFuzz", "four-byte", "\xF0\x9F\x98\x80.wrb");
  Seed("FileNameFuzz", "device", "nul.txt");
}

void MapSeeds() {
  // An odd first byte lays the rest over the harness's own small valid map.
  Seed("MapFuzz", "valid-map", std::string("\x01", 1));
  Seed("MapFuzz", "valid-map-touched", std::string("\x03\x00\x00\x00\x00\x00\x00\x00\x01", 9));
}

void BattleSeeds() {
  // An odd first byte lays the rest over the harness's own valid battle; an even one reads the
  // rest as it is.
  Seed("BattleReadFuzz", "valid-battle", std::string("\x01", 1));
  Seed("BattleReadFuzz", "valid-battle-date", std::string("\x01\x00\x00\x00\x00\x00\x01", 7));
  Seed("BattleReadFuzz", "valid-battle-units", std::string("\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
                                                           "\x00\x00\x00\x00\x00\x00\x00\x00\x01",
                                                           21));
  Seed("BattleReadFuzz", "header-only", std::string("\x00\x01\x1E\x01\x01\x11\x3B", 7));
}

void UnitRecordSeeds() {
  // An odd first byte lays the rest over the harness's own valid record: infantry, or a
  // vehicle with bit 1 set as well.
  Seed("UnitRecordFuzz", "valid-infantry", std::string("\x01", 1));
  Seed("UnitRecordFuzz", "valid-vehicle", std::string("\x03", 1));
  // Bit 2 an obstacle (a mine chain), bit 3 a fighter-bomber.
  Seed("UnitRecordFuzz", "valid-object", std::string("\x05", 1));
  Seed("UnitRecordFuzz", "valid-aircraft", std::string("\x09", 1));
}

void OperationSeeds() {
  // An odd first byte lays the rest over the end of the harness's own valid operation; an
  // even one reads the rest as it is.
  Seed("OperationReadFuzz", "valid-operation", std::string("\x01", 1));
  // The extension marker cleared: an operation part of an older file.
  Seed("OperationReadFuzz", "valid-operation-old", std::string("\x01", 1) + std::string(256 - 75 + 53, '\x00') + "\x01");
  Seed("OperationReadFuzz", "header-only", std::string("\x00\x01\x0A\x01\x01\x11\x3B", 7));
}

void PacketSeeds() {
  // An odd first byte lays the rest over the harness's own list of every kind; an even one
  // reads the rest as it is.
  Seed("PacketListFuzz", "valid-list", std::string("\x01", 1));
  Seed("PacketListFuzz", "valid-list-count", std::string("\x01\x00\x00\x00\x00\x01", 6));
  Seed("PacketListFuzz", "one-ignition", std::string("\x00\x01\x00\x00\x00\x01\x03\x00\x64\x42\xDC\x00\x00"
                                                     "\x43\x7A\x00\x00\x00\x26",
                                                     19));
}

void GameFileSeeds() {
  // An odd first byte lays the rest over the harness's own valid game file; bit 1 reads it as
  // an e-mail turn file; an even first byte reads the rest as it is.
  Seed("GameFileFuzz", "valid-game", std::string("\x01", 1));
  Seed("GameFileFuzz", "valid-email", std::string("\x03", 1));
  // The players byte after an empty title and the reserved bytes.
  Seed("GameFileFuzz", "valid-game-players", std::string("\x01", 1) + std::string(1040, '\x00') + "\x03");
  Seed("GameFileFuzz", "header-only", std::string("\x00\x02\x04\x01\x00\x00\x00\x03", 8));
}

void GamePlaySeeds() {
  // The small games of the real unit classes as they stand (an even first byte), so that the
  // mutations reach every part of a file that plays; and an odd first byte for each game the
  // target lays mutations over, chosen by bits 1 to 4: the same small games, then the build's
  // test saved game.
  PPath::SetProgramFolder(gWork.string());
  {
    // The unit tables are unpacked through the kernel's temporary files.
    GKernel kernel;
    kernel.FindProgramFolder();
    Hack::LoadTables();
    Infantry::Register();
    int32_t base = 0;
    for (const FuzzSmallGames::Game& game : FuzzSmallGames::Make()) {
      // A seed the readers refuse would never reach play: stored as a game file and read back,
      // each must load for play.
      std::string stored;
      {
        GMemoryFile file(std::string(), GFile::kModeWriteGameFile);
        file.File().Write(game.content.data(), static_cast<int32_t>(game.content.size()));
        if (!file.File().Finish()) std::exit(1);
        stored = file.Bytes();
      }
      GMemoryFile file(stored, GFile::kModeReadGameFile);
      HeadlessBattle headless;
      if (!LoadGameFileForPlay(headless, file.File())) {
        std::fprintf(stderr, "the small game %s does not load for play\n", game.name);
        std::exit(1);
      }
      Seed("GamePlayFuzz", game.name, std::string(1, '\0') + game.content);
      Seed("GamePlayFuzz", std::string(game.name) + "-base", std::string(1, static_cast<char>(1 + 2 * base++)));
    }
    Seed("GamePlayFuzz", "saved-game-base", std::string(1, static_cast<char>(1 + 2 * base)));
    Hack::FreeTables();
  }
  GErrorLog::Close();
  PPath::SetProgramFolder("");
}

void AIGroupsSeeds() {
  // The computer's groups as the battle writes them: a present byte per side, then the list
  // (owns byte, count) and each group (mode, member count, the members' packed ids: 1 is the
  // battle's first unit).
  auto group = [](GFile& f, uint16_t mode, std::initializer_list<uint16_t> ids) {
    f.WriteU16(mode);
    f.WriteU32(static_cast<uint32_t>(ids.size()));
    for (uint16_t id : ids) f.WriteU16(id);
  };
  Seed("AIGroupsReadFuzz", "one-group", WrittenFile(GFile::kModeWrite, [&](GFile& f) {
         f.WriteByte(1);
         f.WriteByte(1);
         f.WriteU32(1);
         group(f, 7, {1});
         f.WriteByte(0);
       }));
  Seed("AIGroupsReadFuzz", "both-sides", WrittenFile(GFile::kModeWrite, [&](GFile& f) {
         f.WriteByte(1);
         f.WriteByte(1);
         f.WriteU32(2);
         group(f, 7, {1, 3});
         group(f, 2, {});
         f.WriteByte(1);
         f.WriteByte(1);
         f.WriteU32(1);
         group(f, 4, {2, 4});
       }));
  Seed("AIGroupsReadFuzz", "none", std::string("\x00\x00", 2));
}

void EditorOpenSeeds() {
  // An odd first byte lays the rest over the scenario the editor saved itself; an even one
  // opens the rest as the file.
  Seed("EditorOpenFuzz", "editor-save", std::string("\x01", 1));
  // The first byte past the raw part flipped: the coded body damaged.
  Seed("EditorOpenFuzz", "editor-save-coded", std::string("\x01", 1) + std::string(1024, '\x00') + "\x01");
  Seed("EditorOpenFuzz", "empty", std::string("\x00", 1));
}

void OrdersSeeds() {
  // An odd first byte lays the rest over the battle's own orders block.
  Seed("OrdersBlockFuzz", "valid-orders", std::string("\x01", 1));
  Seed("OrdersBlockFuzz", "valid-orders-count", std::string("\x01\x00\x00\x00\x01", 5));
}

void TcpGameSeeds() {
  // Byte 0 the state (bit 7 host), then messages as type, length, payload; 0xFE sends the
  // battle's orders in a data message of the next byte's type, 0xFD ends the orders or (odd
  // next byte) the replay.
  Seed("TcpGameFuzz", "version-ok", std::string("\x81\x02\x00", 3));
  Seed("TcpGameFuzz", "orders-received", std::string("\x88\xFE\x01\x06\x07\x00", 6));
  Seed("TcpGameFuzz", "client-orders", std::string("\x06\xFD\x01\x00\xFE\x01\x06\x07\x00", 9));
  Seed("TcpGameFuzz", "replay-chat", std::string("\x13\x13\x05hello\xFD\x01\x01", 11));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_fuzz_corpus <folder>\n");
    return 2;
  }
  gOut = argv[1];
  gWork = fs::temp_directory_path() / ("tarvane-corpus-" + std::to_string(getpid()));
  fs::create_directories(gWork);
  GFileSeeds();
  CoderSeeds();
  EmailSeeds();
  BitmapSeeds();
  RiffSeeds();
  NetSeeds();
  PreferencesSeeds();
  HeaderSeeds();
  NameSeeds();
  MapSeeds();
  BattleSeeds();
  GameFileSeeds();
  UnitRecordSeeds();
  OperationSeeds();
  PacketSeeds();
  GamePlaySeeds();
  AIGroupsSeeds();
  EditorOpenSeeds();
  OrdersSeeds();
  TcpGameSeeds();
  std::error_code ec;
  fs::remove_all(gWork, ec);
  return 0;
}
