// The play driver: the real application on the fake back-end with a fake clock, run by a
// script of player actions and checks. Test-only.
//
//   PlayDriver <script> <work folder>
//
// The work folder becomes the program folder (the build's BMP and WAV folders are linked
// into it; a preferences file with a 1024 x 768 display is written when there is none). One
// script line is one step; '#' starts a comment line:
//   click-command N [shift] [ctrl]
//                      a left click at the centre of the visible control carrying command N,
//                      with the keys named held
//   click X Y          a left click at a screen point; rclick X Y a right click
//   click-at X Y [shift] [ctrl] [double]
//                      a left click at a point of the open editor screen (the dialog or screen
//                      over the main view, else the main view), in that screen's coordinates
//   choose X Y TEXT    opens the popup at that point of the open editor screen (without an
//                      editor, of the application's screen, such as the side-and-options
//                      screen) and clicks its item showing TEXT; the step fails when there is
//                      none or it is disabled
//   key C              a typed character (C: one character, or esc, enter, space, left,
//                      right, up, down, tab); alt C the character typed with Alt held
//   type TEXT          the characters of the rest of the line
//   frames N           N passes of the event loop, 20 ms of the fake clock each
//   wait-ms N          the fake clock moves on N ms, then one pass
//   expect-log TEXT    the error log holds the text; expect-no-log TEXT: it does not
//   expect-battlefield-drawn
//                      both screen buffers are painted a colour no frame uses and the loop runs
//                      to the next presented frame: every pixel of the battlefield view must
//                      have been drawn in it (nothing of an earlier screen left showing)
//   expect-text TEXT   a visible label, help line or line of a text page shows exactly the text
//   expect-no-text TEXT
//                      no visible label, help line or line of a text page shows the text
//   expect-alert N     alert N is open (its first line is shown)
//   digest FILE        the current battle's digest (CRC-32 of its stored form) written to FILE
//                      in the work folder ("none" without a battle)
//   screenshot FILE    the last presented frame as a bitmap in the work folder; kept for a person
//                      to look at as well when TARVANE_SAVE_PICTURES names a path prefix (the
//                      work folder's name, "-" and FILE after it)
//   click-tile X Y [shift] [ctrl]
//                      a left click on tile (X, Y) of the map editor's map view, scrolling
//                      with the arrow buttons first when the tile is not shown
//   drag-tiles X1 Y1 X2 Y2 [shift]
//                      a press on the first tile, a move to the second and the release there
//   click-code T R F   pages the terrain palette to the code of terrain T, road R and fire
//                      state F and clicks it
//   click-zone N       clicks choice N (0..6) of the zone panel
//   choose-file NAME [replace]
//                      the answer to a file dialog that the next click opens, typed after
//                      the click (several lines answer several dialogs): the proposed name
//                      erased, NAME (blanks allowed) and Return (with replace, Yes to
//                      replacing the file)
//   cancel-file        a file dialog of the next click cancelled (Escape typed after it)
//   write-file NAME TEXT
//                      a file of the work folder written with TEXT, "\r" and "\n" standing
//                      for CR and LF
//   copy-file FROM TO  copies a file; paths (in double quotes when they hold blanks) are
//                      relative to the work folder, FROM starting with "$games/" to the build's
//                      test games
//   expect-same A B    the two files hold the same bytes (paths as for copy-file)
//   expect-same-file A B
//                      the same, and neither file is empty
//   click-row N [double]
//                      a click on row N (from 0, the quick battle row included) of the game list's
//                      current page
//   click-row available|chosen N [double] [shift] [ctrl]
//                      a left click on row N (0 the list's top row) of the purchase screen's
//                      AVAILABLE list or shown CHOSEN list
//   hover-row available|chosen N
//                      the mouse moved over that row
//   click-unit N       a left click on unit N of the battle (N its index in the battle's unit
//                      list, from 0) as the battlefield view takes it once its pick has found
//                      the unit: press and release at the view's centre; the step fails when
//                      the unit is not selected after it
//   pick-unit N        a left click on the screen where the last frame drew unit N of the
//                      battle, through the program's own events and the view's pick; the
//                      step fails when the unit is not selected after it
//   click-map X Y      a left click on the battlefield at map point (X, Y) in metres that
//                      completes the pick an order started (after an orders menu's hot key):
//                      the view's release with (X, Y) as the picked ground point; the step
//                      fails when no order waits for a point
//   click-map-unit N   as click-map, at the place of unit N of the battle with that unit under the
//                      pointer (as the view's pick takes it); the step fails when the pick does
//                      not keep the unit (a movement or set-up pick keeps a vehicle to board)
//   expect-waypoints N C
//                      unit N of the battle has C waypoints
//   expect-main-gun N Q G
//                      the battle map's open menu is (Q 1) or is not (Q 0) the main-gun
//                      question of vehicle N, and vehicle N engages its target with (G 1) or
//                      without (G 0) its main gun
//   expect-riding N V  infantry unit N rides unit V of the battle, standing where it is (V -1: it
//                      rides nothing)
//   record-results     taken when the battle's results show: after the recorded turns, the
//                      headless battle goes on to its next turn, which must end the battle with
//                      the same results
//   record-results-of NAME
//                      taken when the battle's results show: when the run has ended, turn NAME
//                      that record-turn took in an earlier run (NAME.wrb and NAME.turn; NAME
//                      relative to the work folder) is computed headless again with the seed
//                      and settings it kept, and goes on to its next turn, which must end the
//                      battle with the same results, and the same stored battle, as this run
//                      showed
//   expect-battle tiles W H | date D | points AXIS ALLIED | zone X Y Z | unit N Z |
//                 flags MIN MAX X1 X2 LARGE
//                      the battle in play has W x H tiles, date D, the force points, tile (X, Y)
//                      in set-up zone Z, unit N with set-up zone Z, or MIN to MAX flags, each at
//                      x in (X1, X2], at least LARGE of them large
//   expect-battle name N 0 TEXT | landmark X Y TEXT | briefing SLOT 0 FILE |
//                 group SIDE I TURN PERCENT
//                      unit N's leader is named TEXT, tile (X, Y) holds the landmark TEXT, the
//                      briefing SLOT (0 Axis, 1 Allied, 2 overall) holds FILE's bytes, or the
//                      SIDE's reinforcement group I arrives from TURN with PERCENT chance
//   expect-battle grown SIDE PERCENT
//                      since note-force, the SIDE's force has grown by more than half of PERCENT
//                      percent and by less than twice PERCENT percent (a leader's men come with
//                      him beyond the percentage), and the other side's has not changed; with
//                      PERCENT 0 neither side's force has changed
//   list-units         writes the battle's units (index, side, kind, place) to the error
//                      output: an aid for writing a script
//   note-unit N        remembers where unit N of the battle stands now, and its rounds
//   expect-fired N     unit N has spent rounds since note-unit
//   note-force         remembers each side's force: the purchase value of its units on the map
//   expect-moved N S   unit N has moved since note-unit, by no more than its speed allows in S
//                      slices (its speed now, in metres a slice)
//   expect-posture N P every figure of infantry unit N has posture P (2 standing, 5 crawling,
//                      6 on the move)
//   expect-near N X Y D
//                      unit N of the battle stands within D metres of map point (X, Y)
//   record-turn NAME   taken just before an orders phase's GO: the battle's stored form (its
//                      orders and the computer player's groups included) is written to NAME.wrb
//                      in the work folder, with the game's generator, the side's orders block
//                      and the players' settings.
//                      When the run has ended, the battle is loaded headless from the first
//                      such file, given the same generator and the "Action seed = " that GO
//                      logged, and computes its turn; a turn recorded right after another goes
//                      on from that headless battle (next turn, the side's orders, GO with its
//                      seed). Each turn's "RndCheckB = " must equal the one the program logged.
//                      Beside NAME.wrb, NAME.turn keeps the generator, the battle's action seed
//                      and the settings, for record-results-of in a later run
//   join A B C D       the main screen's address entry (command 62) filled with A.B.C.D and
//                      its connect button clicked, then passes as for wait-state (at most
//                      60 s) until the game's download has begun
//   signal NAME        writes an empty file NAME in the work folder
//   vanish             the run ends at once as if the program were killed: nothing is closed
//                      or written, the system closes its sockets (exit status 0, nothing of the
//                      run's end checked)
//   await-file PATH S  waits (real time, at most S seconds) until the file exists; PATH is
//                      relative to the work folder
//   wait-state N S     passes of the event loop (20 ms of the fake clock and 1 ms of real time
//                      each) until the TCP/IP game is in state N (or any of N1|N2|...); the
//                      step fails when the connection fails or S real seconds pass (a raw
//                      peer's socket is drained meanwhile)
//   record-exchanged NAME
//                      waits as wait-state for state 15 (this machine waits for the action the
//                      other computes), then records the battle with both sides' orders as
//                      record-turn does. When the run has ended, the battle is computed
//                      headless with its own seed and its "RndCheckB = " is written to
//                      "rndcheck.txt" in the work folder
//   raw-connect S      a raw socket of the driver's own connects to the hosting game on
//                      127.0.0.1, on the run's port; passes (at most S real seconds) once
//                      the game has sent its version (state 1)
//   raw-send BYTES     the raw socket sends the bytes, given in hex (link frames included);
//                      a word fill:N:HH stands for N bytes HH
//   raw-join S         the raw peer plays a joining game as far as its orders: it answers the
//                      game's version, reads the game's upload and reports itself ready;
//                      passes (at most S seconds) until the game gives orders (state 6)
//   raw-orders HOW [answer]
//                      the raw peer sends an orders file as data messages of at most 8,191
//                      bytes and the end: the game's own orders file of the battle, with one
//                      change:
//                      HOW flip: its text flag's byte flipped; rename: an opposing unit's
//                      target is a unit of this side under a designation no unit has; same:
//                      none. With answer, as the joining machine's answer to the orders the
//                      game sent (types 4 and 5)
//   load-autosave      the autosave of the work folder ("Saved Games/Autosave.wrb") read as
//                      the program's game (no screen opens): for a digest of what it holds
//   wait-alert N S     passes of the event loop until alert N is open (at most S seconds)
//   raw-closed S       passes of the event loop until the game has closed the raw socket's
//                      link (at most S seconds)
//   wait-log TEXT N S  passes as for wait-state until the log holds TEXT N times
//   chat TEXT          the connection sends TEXT as a radio line
//   wait-radio TEXT    passes as for wait-state (at most 60 s) until a line of the radio
//                      history holds TEXT
// The run ends at the script's end or when the program quits; the exit status is 0 when
// every step passed, the program quit cleanly and wrote its preferences and log.
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/AlertTable.h"
#include "app/FileListView.h"
#include "app/RadioLog.h"
#include "app/TcpGame.h"
#include "app/TextPageView.h"
#include "game/ui/ResourceLabel.h"
#include "app/WRApplication.h"
#include "editor/EditorInstall.h"
#include "editor/EditorMapPreview.h"
#include "editor/EditorPurchaseList.h"
#include "editor/EditorCatalogueList.h"
#include "editor/EditorState.h"
#include "editor/EditorTerrainPalette.h"
#include "editor/EditorZonePanel.h"
#include "game/map/TerrainCodeTable.h"
#include "framework/core/Crc32.h"
#include "framework/core/GErrorLog.h"
#include "framework/core/GFile.h"
#include "framework/core/GMemoryFile.h"
#include "framework/core/Quorl.h"
#include "framework/core/GString255.h"
#include "framework/core/GString63.h"
#include "framework/kernel/GKernel.h"
#include "framework/media/GGraph3D.h"
#include "framework/media/GSoundManager.h"
#include "platform/PAudioDevice.h"
#include "platform/PFile.h"
#include "framework/media/NetLink.h"
#include "framework/ui/GControl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GPopupList.h"
#include "framework/ui/GTextEntry.h"
#include "game/battle/Battle.h"
#include "game/battle/HeadlessBattle.h"
#include "game/battle/ReinforcementGroup.h"
#include "game/battle/VictoryFlag.h"
#include "game/map/Map.h"
#include "game/map/OrderState.h"
#include "game/ui/MapView.h"
#include "game/ui/VehicleQuestionMenu.h"
#include "game/units/tables/Hack.h"
#include "game/units/infantry/Infantry.h"
#include "game/units/tables/Names.h"
#include "game/units/Unit.h"
#include "game/units/vehicle/Vehicle.h"
#include "platform/PBitmapFile.h"
#include "platform/PClock.h"
#include "platform/PDisplay.h"
#include "platform/PFakeBackEnd.h"
#include "platform/PKey.h"
#include "platform/PPath.h"
#include "platform/PSurface.h"

namespace fs = std::filesystem;

namespace {

// The fake clock: what the script moved it on, plus one millisecond every 120 readings so
// that busy waits (the processor rating, a delay) end.
std::atomic<uint64_t> gManualMs{0};
std::atomic<uint64_t> gReads{0};
// Only the program's own thread counts its readings: a reading from another thread (the sound
// mixer's) would move the clock by how the threads happened to run, and two runs of a script
// would differ.
std::thread::id gProgramThread;

// The purchase value of the side's units on the map.
int64_t ForceValue(const Battle& battle, int32_t side) {
  int64_t value = 0;
  for (int32_t i = 0; i < battle.UnitCount(); ++i) {
    const Unit& unit = *battle.UnitAt(i);
    if (unit.GetSideIndex() == side) value += static_cast<int64_t>(unit.GetPurchaseCost());
  }
  return value;
}

// The TCP/IP games of a run meet on a port the system gave rather than the game's usual one, so
// that runs side by side on one computer never take each other's: the pair's two runs are
// handed their port in this variable, a run alone asks for one.
constexpr const char* kPortVariable = "PLAYDRIVER_PORT";

// A port no socket of this computer has bound now (bound once to port 0 and read back); 0 when
// the system gives none.
// Whether nothing listens on the port now: it can be bound.
bool CanBind(uint16_t port) {
  const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  address.sin_port = htons(port);
  const bool free = bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(probe);
  return free;
}

// A free port below the range the system hands out for outgoing connections. A port from
// that range could be taken as the source port of a connection made meanwhile, and a joiner
// connecting to it before the host listens could even connect to itself.
uint16_t FreePort() {
  int low = 32768;
  if (std::ifstream range("/proc/sys/net/ipv4/ip_local_port_range"); range) range >> low;
  const int first = 20000;
  const int span = std::max(1, std::min(low, 65536) - first);
  uint32_t v = static_cast<uint32_t>(getpid()) * 2654435761u;
  for (int i = 0; i < 400; ++i) {
    v = v * 1664525u + 1013904223u;
    const uint16_t port = static_cast<uint16_t>(first + static_cast<int>((v >> 8) % static_cast<uint32_t>(span)));
    if (CanBind(port)) return port;
  }
  return 0;
}

// The run's port: the one handed down, else a free one.
uint16_t RunPort() {
  const char* given = std::getenv(kPortVariable);
  const long port = given != nullptr ? std::strtol(given, nullptr, 10) : 0;
  return port > 0 && port < 65536 ? static_cast<uint16_t>(port) : FreePort();
}

// The CRC-32 of the battle's stored form, in hexadecimal.
std::string DigestOf(const Battle& battle) {
  GMemoryFile file;
  battle.Write(file.File());
  uint32_t crc = 0xFFFFFFFFu;
  for (char c : file.Bytes()) crc = Crc32Update(crc, static_cast<uint8_t>(c));
  char hex[16];
  std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(~crc));
  return hex;
}

// The rounds a unit has left, of every kind.
int32_t RoundsOf(const Unit& unit) {
  int32_t rounds = 0;
  for (const uint16_t n : unit.ammo) rounds += n;
  return rounds;
}

class Driver {
 public:
  Driver(const fs::path& work) : work_(work) {}

  bool Start();
  bool RunLine(const std::string& line);
  // Deletes the kernel (the application writes its preferences) and checks what is left.
  bool Finish();
  bool Quit() const { return kernel_ != nullptr && kernel_->IsQuitting(); }

 private:
  void Pump(int32_t passes);
  // Moves the silent audio device's play cursors on by so many milliseconds of sound.
  void PlaySounds(uint64_t ms);
  // Modifier keys held with a click.
  struct Keys {
    bool shift;
    bool control;
    bool doubleClick;
  };
  void Post(PMessageType type, uint32_t param, int32_t x, int32_t y, Keys keys = {});
  void Click(int32_t x, int32_t y, bool right, Keys keys = {});
  static Keys ReadKeys(std::istream& in);
  // The open editor screen: the view over the main view, else the main view; null without an
  // editor.
  GView* EditorScreen() const;
  bool ClickAt(const std::string& rest);
  bool Choose(const std::string& rest);
  GControl* FindControl(GView* view, int32_t command) const;
  bool ClickCommand(int32_t command, Keys keys = {});
  // The map editor's steps; ScrollToTile gives the tile's centre on the screen.
  EditorState* MapEditor();
  bool ScrollToTile(int32_t x, int32_t y, int32_t& gx, int32_t& gy);
  bool ClickTile(const std::string& rest);
  bool DragTiles(const std::string& rest);
  bool ClickCode(const std::string& rest);
  bool ClickZone(const std::string& rest);
  // The purchase screen's rows: a click (with keys) or only the mouse moved over it.
  bool PurchaseRow(const std::string& rest, bool click);
  bool FindText(GView* view, const std::string& text) const;
  bool ClickRow(const std::string& rest);
  // The battle's steps: its view of the map (null without one) and a unit by its index.
  MapView* BattleView() const;
  // The battlefield view drawn whole in the next presented frame.
  bool BattlefieldDrawn();
  Unit* BattleUnit(const std::string& index) const;
  bool ClickUnit(const std::string& rest);
  bool PickUnit(const std::string& rest);
  bool ClickMap(const std::string& rest);
  bool ClickMapUnit(const std::string& rest);
  bool ExpectRiding(const std::string& rest);
  bool CopyFile(const std::string& rest);
  bool RecordTurn(const std::string& name);
  bool RecordResultsOf(const std::string& name);
  bool Join(const std::string& rest);
  bool AwaitFile(const std::string& rest);
  bool WaitState(const std::string& rest);
  // The raw peer: a socket of the driver's own that speaks to the hosting game.
  bool RawConnect(const std::string& rest);
  bool RawSend(const std::string& rest);
  bool RawSendBytes(const std::string& bytes);
  bool RawWaitState(int32_t state, std::chrono::steady_clock::time_point deadline);
  bool RawJoin(const std::string& rest);
  bool RawOrders(const std::string& how);
  bool RawClosed(const std::string& rest);
  bool LoadAutosave();
  bool WaitAlert(const std::string& rest);
  bool WaitLog(const std::string& rest);
  // One pass of a wait: false (with the reason) when the connection failed (unless the wait
  // expects it to), the program quit or the deadline passed.
  bool WaitPass(std::chrono::steady_clock::time_point deadline, const std::string& what, bool failureExpected = false);
  // Whether the fake clock has run more than four times real time (and two seconds) ahead
  // since the wait with this deadline began.
  bool ClockRunsAhead(std::chrono::steady_clock::time_point deadline);
  bool ExpectNear(const std::string& rest);
  bool ExpectMoved(const std::string& rest);
  bool ExpectPosture(const std::string& rest);
  float notedX_ = 0.0f;
  float notedY_ = 0.0f;
  int32_t notedRounds_ = 0;
  std::array<int64_t, 2> notedForce_{};
  bool ExpectBattle(const std::string& rest);
  // After the run: every recorded turn computed again headless.
  bool CheckRecordedTurns();
  // A script's path: relative to the work folder, or with "$games/" to the build's test games.
  fs::path PathOf(const std::string& name) const;
  WRApplication* App() const { return static_cast<WRApplication*>(kernel_->GetApplication()); }
  bool Fail(const std::string& why) {
    std::fprintf(stderr, "PlayDriver: %s\n", why.c_str());
    return false;
  }

  fs::path work_;
  // Where the game hosts and joins, and the raw peer connects.
  uint16_t port_ = 0;
  // Whether another run of the driver plays the other machine (it handed down the port); then
  // a wait keeps its fake clock near real time: the wait's deadline, and the real and fake
  // time it began at.
  bool paced_ = false;
  std::chrono::steady_clock::time_point waitDeadline_{};
  std::chrono::steady_clock::time_point waitBegan_{};
  uint64_t waitBeganMs_ = 0;
  int raw_ = -1;
  std::unique_ptr<GKernel> kernel_;
  PFakeBackEnd* fake_ = nullptr;
  int32_t posted_ = 0;
  // Typed after the next click's messages (choose-file, cancel-file).
  std::string pendingKeys_;
  // What record-turn took: the battle's file, the generator, the settings the turn reads,
  // and how many turns the log held before this one.
  struct RecordedTurn {
    std::string name;
    uint32_t generator = 0;
    std::array<int8_t, 45> options{};
    int32_t currentSide = 0;
    int32_t humanPlayers = 1;
    int32_t connection = 0;
    std::array<uint8_t, 2> computerSides{};
    size_t turnsBefore = 0;
    std::string orders;  // the side's orders block
    // Recorded when the orders were exchanged over TCP/IP: computed with the battle's own seed
    // and written out rather than compared with this program's log.
    bool exchanged = false;
    uint16_t seed = 0;
  };
  std::vector<RecordedTurn> turns_;
  std::string results_;  // what record-results took
  // What record-results-of took: the recorded turn's path (without its extension) and the
  // results this run showed.
  struct ResultsOf {
    fs::path turn;
    std::string report;
    std::string digest;  // the battle's when its results showed
  };
  std::vector<ResultsOf> resultsOf_;
  // Settings a recorded turn's headless battle plays with.
  static void SetUpHeadless(HeadlessBattle& headless, const RecordedTurn& turn);
  // A recorded turn's settings kept beside its battle file for a later run, and read back.
  static void WriteTurnSettings(const fs::path& path, const RecordedTurn& turn, uint16_t seed);
  static bool ReadTurnSettings(const fs::path& path, RecordedTurn& turn, uint16_t& seed);
  // After the run: each turn that record-results-of named, computed headless to the end.
  bool CheckResultsOf();
};

bool Driver::Start() {
  const fs::path built = fs::read_symlink("/proc/self/exe").parent_path().parent_path();
  for (const char* name : {"BMP", "WAV"}) {
    std::error_code ignored;
    if (!fs::exists(work_ / name)) fs::create_directory_symlink(built / name, work_ / name, ignored);
  }
  PPath::SetProgramFolder(work_.string() + "/");
  // Temporary files go to a folder of the run's own: runs side by side would otherwise find
  // each other's files under the names their generators drew, and draw again.
  std::error_code made;
  fs::create_directories(work_ / "tmp", made);
  setenv("TMPDIR", (work_ / "tmp").c_str(), 1);
  const fs::path prefs = work_ / "Tarvane Osmr Vel Prefs";
  if (!fs::exists(prefs)) {
    std::string bytes(WRApplication::kPreferencesSize, '\0');
    DisplayPreset record;
    record.use3DPreset = 1;
    record.driverIsPrimary = 1;
    record.deviceGuid = PDisplay::kDeviceGuid;
    record.width = 1024;
    record.height = 768;
    const auto raw = record.ToBytes();
    std::memcpy(bytes.data() + 1, raw.data(), raw.size());
    GameSettings defaults;
    std::memcpy(bytes.data() + 1 + DisplayPreset::kSize, defaults.Options(), WRApplication::kStoredOptions);
    std::ofstream(prefs, std::ios::binary) << bytes;
  }
  gProgramThread = std::this_thread::get_id();
  PClock::SetFake([] {
    if (std::this_thread::get_id() != gProgramThread) return gManualMs.load() + gReads.load() / 120;
    return gManualMs.load() + gReads.fetch_add(1) / 120;
  });
  // The sounds play by the script's clock: a mixer thread running by the wall clock would make
  // what the program does depend on how busy the machine is.
  PAudioOptions audio;
  audio.backend = PAudioOptions::Backend::kNull;
  GKernel::SetAudioOptions(audio);
  auto backEnd = std::make_unique<PFakeBackEnd>();
  backEnd->SetDesktopSize(1024, 768);
  fake_ = backEnd.get();
  kernel_ = std::make_unique<GKernel>();
  bool ok = false;
  kernel_->Init(std::move(backEnd), &ok);
  if (!ok) return Fail("the kernel did not start");
  paced_ = std::getenv(kPortVariable) != nullptr;
  port_ = RunPort();
  if (port_ == 0) return Fail("the system gives no free port");
  auto* app = new WRApplication();
  app->Tcp().SetPort(port_);
  InstallEditor(*app);
  kernel_->StartWithoutLoop(app);
  PMessage activate;
  activate.type = PMessageType::kActivate;
  activate.param = 1;
  kernel_->WindowProc(activate);
  Pump(3);
  return kernel_->HasApplicationStarted() || Fail("the application did not start");
}

void Driver::Pump(int32_t passes) {
  // A pass takes one message: one pass more for each message posted since the last pump.
  passes += posted_;
  posted_ = 0;
  for (int32_t i = 0; i < passes && !Quit(); ++i) {
    gManualMs += 20;
    kernel_->DoEvent();
    PlaySounds(20);
  }
}

void Driver::PlaySounds(uint64_t ms) {
  PAudioDevice* device = gSoundManager != nullptr ? gSoundManager->GetDevice() : nullptr;
  if (device == nullptr) return;
  // 44,100 frames a second, a second at a time.
  for (uint64_t frames = ms * 441 / 10; frames > 0;) {
    const uint32_t step = static_cast<uint32_t>(std::min<uint64_t>(frames, 44100));
    device->Advance(step);
    frames -= step;
  }
}

void Driver::Post(PMessageType type, uint32_t param, int32_t x, int32_t y, Keys keys) {
  PMessage m;
  m.type = type;
  m.param = param;
  m.x = x;
  m.y = y;
  m.shift = keys.shift;
  m.control = keys.control;
  m.keys.SetDown(kKeyShift, keys.shift);
  m.keys.SetDown(kKeyControl, keys.control);
  fake_->ScriptMessage(m);
  ++posted_;
}

void Driver::Click(int32_t x, int32_t y, bool right, Keys keys) {
  Post(PMessageType::kMouseMove, 0, x, y, keys);
  if (keys.doubleClick && !right) {
    // The first press and release, then the second press as the double click.
    Post(PMessageType::kLeftDown, 0, x, y, keys);
    Post(PMessageType::kLeftUp, 0, x, y, keys);
    Post(PMessageType::kLeftDoubleClick, 0, x, y, keys);
  } else {
    Post(right ? PMessageType::kRightDown : PMessageType::kLeftDown, 0, x, y, keys);
  }
  Post(right ? PMessageType::kRightUp : PMessageType::kLeftUp, 0, x, y, keys);
  // The answers typed ahead for a file dialog that the click opens: the dialog takes them,
  // not the event loop.
  for (char c : pendingKeys_) {
    Post(PMessageType::kChar, static_cast<uint8_t>(c), 0, 0);
    --posted_;
  }
  pendingKeys_.clear();
  Pump(2);
}

Driver::Keys Driver::ReadKeys(std::istream& in) {
  Keys keys{};
  std::string word;
  while (in >> word) {
    if (word == "shift") keys.shift = true;
    if (word == "ctrl") keys.control = true;
    if (word == "double") keys.doubleClick = true;
  }
  return keys;
}

GView* Driver::EditorScreen() const {
  auto* state = dynamic_cast<EditorState*>(App()->GetEditor());
  if (state == nullptr) return App()->GetCurrentScreen();
  if (state->unitEditView != nullptr && state->unitEditView->IsVisible()) return state->unitEditView;
  if (state->screenView != nullptr && state->screenView->IsVisible()) return state->screenView;
  return state->mainView;
}

bool Driver::ClickAt(const std::string& rest) {
  GView* screen = EditorScreen();
  if (screen == nullptr) return Fail("no editor screen is open");
  std::istringstream in(rest);
  int32_t x = 0;
  int32_t y = 0;
  if (!(in >> x >> y)) return Fail("click-at needs a point");
  const Keys keys = ReadKeys(in);
  Click(screen->Bounds().left + x, screen->Bounds().top + y, false, keys);
  return true;
}

bool Driver::Choose(const std::string& rest) {
  GView* screen = EditorScreen();
  if (screen == nullptr) return Fail("no editor screen is open");
  std::istringstream in(rest);
  int32_t x = 0;
  int32_t y = 0;
  if (!(in >> x >> y)) return Fail("choose needs a point and a text");
  std::string text;
  std::getline(in >> std::ws, text);
  const int32_t gx = screen->Bounds().left + x;
  const int32_t gy = screen->Bounds().top + y;
  // The popup is the deepest view at the point (it may stand in a panel of the screen).
  GPopup* popup = nullptr;
  for (GView* view = screen->FindChildAt(gx, gy); view != nullptr && popup == nullptr; view = view->FindChildAt(gx, gy))
    popup = dynamic_cast<GPopup*>(view);
  if (popup == nullptr) return Fail("no popup at " + std::to_string(x) + " " + std::to_string(y));
  int32_t item = -1;
  for (int32_t i = 0; i < popup->GetItemCount() && item < 0; ++i)
    if (text == popup->GetItemText(i)->CStr()) item = i;
  if (item < 0) return Fail("the popup has no item " + text);
  if (!popup->IsItemEnabled(item)) return Fail("the popup's item is disabled: " + text);
  Post(PMessageType::kMouseMove, 0, gx, gy);
  Post(PMessageType::kLeftDown, 0, gx, gy);
  Post(PMessageType::kLeftUp, 0, gx, gy);
  Pump(2);
  GPopupList* list = popup->GetOpenList();
  if (list == nullptr) return Fail("the popup did not open");
  const int32_t rowY = list->Bounds().top + 1 + item * GPopupList::kRowHeight + GPopupList::kRowHeight / 2;
  const int32_t rowX = (list->Bounds().left + list->Bounds().right) / 2;
  Post(PMessageType::kMouseMove, 0, rowX, rowY);
  Post(PMessageType::kLeftDown, 0, rowX, rowY);
  Post(PMessageType::kLeftUp, 0, rowX, rowY);
  Pump(2);
  if (popup->GetCurrentItem() != item) return Fail("the popup did not take " + text);
  return true;
}

GControl* Driver::FindControl(GView* view, int32_t command) const {
  if (view == nullptr || !view->IsVisible()) return nullptr;
  // The last child is the one drawn on top: search from there.
  for (int32_t i = view->GetChildCount() - 1; i >= 0; --i)
    if (GControl* found = FindControl(view->GetChild(i), command)) return found;
  auto* control = dynamic_cast<GControl*>(view);
  return control != nullptr && control->GetCommand() == command && control->IsEnabled() ? control : nullptr;
}

bool Driver::ClickCommand(int32_t command, Keys keys) {
  GControl* control = FindControl(kernel_->GetRootView(), command);
  if (control == nullptr) return Fail("no visible control carries command " + std::to_string(command));
  const GRect& r = control->Bounds();
  Click((r.left + r.right) / 2, (r.top + r.bottom) / 2, false, keys);
  return true;
}

EditorState* Driver::MapEditor() {
  auto* state = dynamic_cast<EditorState*>(App()->GetEditor());
  return state != nullptr && state->mapView != nullptr ? state : nullptr;
}

bool Driver::ScrollToTile(int32_t x, int32_t y, int32_t& gx, int32_t& gy) {
  EditorState* state = MapEditor();
  if (state == nullptr) return Fail("the map editor is not open");
  EditorMapPreview* view = state->mapView;
  if (!view->IsOnMap(x, y)) return Fail("the tile is off the map");
  const int32_t columns = view->Width() / EditorMapPreview::kTilePixels;
  const int32_t rows = view->Height() / EditorMapPreview::kTilePixels;
  for (int32_t steps = 0; steps < 100; ++steps) {
    int32_t command = 0;
    if (x < view->ScrollColumn()) command = 155;
    else if (x >= view->ScrollColumn() + columns) command = 153;
    else if (y < view->ScrollRow()) command = 154;
    else if (y >= view->ScrollRow() + rows) command = 152;
    if (command == 0) break;
    if (!ClickCommand(command)) return false;
  }
  gx = view->Bounds().left + 16 * (x - view->ScrollColumn()) + 8;
  gy = view->Bounds().bottom - 16 * (y - view->ScrollRow()) - 8;
  return true;
}

bool Driver::ClickTile(const std::string& rest) {
  std::istringstream in(rest);
  int32_t x = 0;
  int32_t y = 0;
  if (!(in >> x >> y)) return Fail("click-tile needs a tile");
  const Keys keys = ReadKeys(in);
  int32_t gx = 0;
  int32_t gy = 0;
  if (!ScrollToTile(x, y, gx, gy)) return false;
  Click(gx, gy, false, keys);
  return true;
}

bool Driver::DragTiles(const std::string& rest) {
  std::istringstream in(rest);
  int32_t x1 = 0;
  int32_t y1 = 0;
  int32_t x2 = 0;
  int32_t y2 = 0;
  if (!(in >> x1 >> y1 >> x2 >> y2)) return Fail("drag-tiles needs two tiles");
  const Keys keys = ReadKeys(in);
  int32_t gx1 = 0;
  int32_t gy1 = 0;
  if (!ScrollToTile(x1, y1, gx1, gy1)) return false;
  EditorMapPreview* view = MapEditor()->mapView;
  const int32_t gx2 = view->Bounds().left + 16 * (x2 - view->ScrollColumn()) + 8;
  const int32_t gy2 = view->Bounds().bottom - 16 * (y2 - view->ScrollRow()) - 8;
  Post(PMessageType::kMouseMove, 0, gx1, gy1, keys);
  Post(PMessageType::kLeftDown, 0, gx1, gy1, keys);
  // The held button tracks through the points between, one tile at a time.
  const int32_t steps = std::max(std::abs(gx2 - gx1), std::abs(gy2 - gy1)) / 16;
  for (int32_t i = 1; i <= steps; ++i) {
    Post(PMessageType::kMouseMove, 0, gx1 + (gx2 - gx1) * i / steps, gy1 + (gy2 - gy1) * i / steps, keys);
  }
  Post(PMessageType::kLeftUp, 0, gx2, gy2, keys);
  Pump(2);
  return true;
}

bool Driver::ClickCode(const std::string& rest) {
  std::istringstream in(rest);
  int32_t terrain = 0;
  int32_t road = 0;
  int32_t fire = 0;
  if (!(in >> terrain >> road >> fire)) return Fail("click-code needs terrain, road and fire");
  EditorState* state = MapEditor();
  if (state == nullptr || state->terrainPalette == nullptr || !state->terrainPalette->IsVisible())
    return Fail("the terrain palette is not shown");
  const int32_t code = TerrainCodeTable::FindTerrainCode(terrain, road, fire);
  if (code < 0) return Fail("no terrain code for " + rest);
  EditorTerrainPalette* palette = state->terrainPalette;
  const int32_t page = code / 16 / palette->RowsPerPage();
  for (int32_t steps = 0; steps < 10 && palette->Page() != page; ++steps)
    if (!ClickCommand(palette->Page() < page ? 151 : 150)) return false;
  const int32_t row = code / 16 - page * palette->RowsPerPage();
  Click(palette->Bounds().left + 17 * (code % 16) + 8, palette->Bounds().top + 17 * row + 8, false);
  return palette->SelectedCode() == code || Fail("the palette did not take code " + std::to_string(code));
}

bool Driver::ClickZone(const std::string& rest) {
  int32_t choice = -1;
  std::istringstream(rest) >> choice;
  EditorState* state = MapEditor();
  if (state == nullptr || state->zonePanel == nullptr || !state->zonePanel->IsVisible())
    return Fail("the zone panel is not shown");
  if (choice < 0 || choice > 6) return Fail("click-zone needs a choice 0..6");
  Click(state->zonePanel->Bounds().left + 39 * choice + 19, state->zonePanel->Bounds().top + 19, false);
  return true;
}

bool Driver::PurchaseRow(const std::string& rest, bool click) {
  auto* state = dynamic_cast<EditorState*>(App()->GetEditor());
  std::istringstream in(rest);
  std::string which;
  int32_t row = -1;
  if (!(in >> which >> row) || (which != "available" && which != "chosen") || row < 0)
    return Fail("a row step needs available or chosen and a row");
  const Keys keys = ReadKeys(in);
  EditorUnitList* list = nullptr;
  if (state != nullptr) {
    if (which == "available") list = state->catalogueList;
    else if (state->sidePopup != nullptr) list = state->GetCurrentPurchaseList();
  }
  if (list == nullptr || !list->IsVisible()) return Fail("the purchase screen is not open");
  const int32_t x = list->Bounds().left + list->Width() / 2;
  const int32_t y = list->Bounds().top + row * EditorUnitList::kRowHeight + EditorUnitList::kRowHeight / 2;
  if (y >= list->Bounds().bottom) return Fail("the row lies below the list's page");
  if (click) {
    Click(x, y, false, keys);
  } else {
    Post(PMessageType::kMouseMove, 0, x, y);
    Pump(1);
  }
  return true;
}

bool Driver::FindText(GView* view, const std::string& text) const {
  if (view == nullptr || !view->IsVisible()) return false;
  if (auto* label = dynamic_cast<GLabel*>(view); label != nullptr && text == label->GetText().CStr()) return true;
  if (auto* line = dynamic_cast<ResourceLabel*>(view); line != nullptr && text == line->GetText().CStr()) return true;
  if (auto* page = dynamic_cast<TextPageView*>(view)) {
    for (int32_t i = page->FirstLineOnPage(); i < page->FirstLineOnPage() + page->LinesOnPage(); ++i)
      if (text == page->Lines()[static_cast<size_t>(i)]) return true;
  }
  for (int32_t i = 0; i < view->GetChildCount(); ++i)
    if (FindText(view->GetChild(i), text)) return true;
  return false;
}

bool Driver::ClickRow(const std::string& rest) {
  std::istringstream in(rest);
  int32_t row = -1;
  if (!(in >> row)) return Fail("click-row needs a row");
  const Keys keys = ReadKeys(in);
  FileListView* list = App()->GetFileList();
  if (list == nullptr || !list->IsVisible()) return Fail("the game list is not shown");
  if (row < 0 || row >= list->GetRowsPerPage()) return Fail("no row " + rest + " on the page");
  Click(list->Bounds().left + list->Width() / 2, list->Bounds().top + 65 + FileListView::kRowPitch * row + 12, false,
        keys);
  return true;
}

fs::path Driver::PathOf(const std::string& name) const {
  const std::string games = "$games/";
  if (name.rfind(games, 0) != 0) return work_ / name;
  return fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "games" / name.substr(games.size());
}

bool Driver::CopyFile(const std::string& rest) {
  std::istringstream in(rest);
  std::string from;
  std::string to;
  if (!(in >> std::quoted(from) >> std::quoted(to))) return Fail("copy-file needs two paths");
  const fs::path source = PathOf(from);
  std::error_code error;
  fs::create_directories((work_ / to).parent_path(), error);
  fs::copy_file(source, work_ / to, fs::copy_options::overwrite_existing, error);
  return !error || Fail("cannot copy " + source.string() + ": " + error.message());
}

bool Driver::RunLine(const std::string& line) {
  std::istringstream in(line);
  std::string verb;
  in >> verb;
  std::string rest;
  std::getline(in >> std::ws, rest);
  if (verb.empty() || verb[0] == '#') return true;
  if (Quit()) return Fail("the program has quit before: " + line);
  if (verb == "click-command") {
    std::istringstream words(rest);
    int32_t command = -1;
    words >> command;
    const Keys keys = ReadKeys(words);
    GControl* control = FindControl(kernel_->GetRootView(), command);
    if (control == nullptr) return Fail("no visible control carries command " + rest);
    const GRect& r = control->Bounds();
    Click((r.left + r.right) / 2, (r.top + r.bottom) / 2, false, keys);
  } else if (verb == "click-at") {
    return ClickAt(rest);
  } else if (verb == "choose") {
    return Choose(rest);
  } else if (verb == "click" || verb == "rclick") {
    int32_t x = 0;
    int32_t y = 0;
    std::istringstream(rest) >> x >> y;
    Click(x, y, verb == "rclick");
  } else if (verb == "key" || verb == "alt") {
    uint32_t c = rest.empty() ? 0 : static_cast<uint8_t>(rest[0]);
    const std::pair<const char*, uint32_t> names[] = {{"esc", kKeyEscape}, {"enter", 13}, {"space", ' '},
                                                      {"left", 1},         {"right", 2},    {"up", 3},
                                                      {"down", 4},         {"tab", '\t'}};
    for (const auto& [name, code] : names)
      if (rest == name) c = code;
    if (verb == "alt") {
      Post(PMessageType::kSysChar, c, 0, 0);
    } else if (c >= 1 && c <= 4) {
      const uint32_t arrows[4] = {kKeyLeft, kKeyRight, kKeyUp, kKeyDown};
      Post(PMessageType::kKeyDown, arrows[c - 1], 0, 0);
      Post(PMessageType::kKeyUp, arrows[c - 1], 0, 0);
    } else {
      Post(PMessageType::kChar, c, 0, 0);
    }
    Pump(1);
  } else if (verb == "type") {
    for (char c : rest) Post(PMessageType::kChar, static_cast<uint8_t>(c), 0, 0);
    Pump(1);
  } else if (verb == "frames") {
    Pump(std::stoi(rest));
  } else if (verb == "wait-ms") {
    gManualMs += static_cast<uint64_t>(std::stoul(rest));
    PlaySounds(static_cast<uint64_t>(std::stoul(rest)));
    Pump(1);
  } else if (verb == "expect-log" || verb == "expect-no-log") {
    std::ifstream log(work_ / GErrorLog::kFileName, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    const bool held = text.find(rest) != std::string::npos;
    if (verb == "expect-log" && !held) return Fail("the log does not hold: " + rest);
    if (verb == "expect-no-log" && held) return Fail("the log holds: " + rest);
  } else if (verb == "expect-battlefield-drawn") {
    if (!BattlefieldDrawn()) return false;
  } else if (verb == "expect-text") {
    if (!FindText(kernel_->GetRootView(), rest)) return Fail("no visible text: " + rest);
  } else if (verb == "expect-no-text") {
    if (FindText(kernel_->GetRootView(), rest)) return Fail("a visible text: " + rest);
  } else if (verb == "expect-alert") {
    const AlertTable::Row* row = AlertTable::Find(std::stoi(rest));
    GView* box = App()->GetAlertBox();
    if (row == nullptr || box == nullptr) return Fail("alert " + rest + " is not open");
    if (row->line1 != 0) {
      GString255 line;
      line.LoadResource(static_cast<uint32_t>(row->line1));
      if (!FindText(box, line.CStr())) return Fail("the open alert is not " + rest);
    }
  } else if (verb == "load-autosave") {
    return LoadAutosave();
  } else if (verb == "digest") {
    const Battle* battle = App()->GetBattle();
    std::ofstream(work_ / rest) << (battle != nullptr ? DigestOf(*battle) : std::string("none")) << "\n";
  } else if (verb == "join") {
    return Join(rest);
  } else if (verb == "signal") {
    std::ofstream(work_ / rest) << "";
  } else if (verb == "vanish") {
    // As a killed program: no goodbye to the other machine, no preferences, no log closed; the
    // system closes the socket.
    std::fflush(nullptr);
    _exit(0);
  } else if (verb == "await-file") {
    return AwaitFile(rest);
  } else if (verb == "wait-state") {
    return WaitState(rest);
  } else if (verb == "wait-log") {
    return WaitLog(rest);
  } else if (verb == "raw-connect") {
    return RawConnect(rest);
  } else if (verb == "raw-send") {
    return RawSend(rest);
  } else if (verb == "raw-join") {
    return RawJoin(rest);
  } else if (verb == "raw-orders") {
    return RawOrders(rest);
  } else if (verb == "raw-closed") {
    return RawClosed(rest);
  } else if (verb == "wait-alert") {
    return WaitAlert(rest);
  } else if (verb == "wait-radio") {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    for (;;) {
      const RadioLog& radio = App()->Tcp().Radio();
      for (int32_t i = 0; i < radio.Count(); ++i) {
        if (radio.Text(i).find(rest) != std::string::npos) return true;
      }
      if (!WaitPass(deadline, "the radio line " + rest)) return false;
    }
  } else if (verb == "record-exchanged") {
    if (!WaitState("15 60") || !RecordTurn(rest)) return false;
    turns_.back().exchanged = true;
    turns_.back().seed = App()->GetBattle()->sharedSeed;
  } else if (verb == "chat") {
    App()->Tcp().SendChat(rest);
    Pump(1);
  } else if (verb == "click-tile") {
    return ClickTile(rest);
  } else if (verb == "drag-tiles") {
    return DragTiles(rest);
  } else if (verb == "click-code") {
    return ClickCode(rest);
  } else if (verb == "click-zone") {
    return ClickZone(rest);
  } else if (verb == "choose-file" || verb == "cancel-file") {
    std::string name = rest;
    const std::string replaceWord = " replace";
    const bool replace = name.size() > replaceWord.size() &&
                         name.compare(name.size() - replaceWord.size(), replaceWord.size(), replaceWord) == 0;
    if (replace) name.resize(name.size() - replaceWord.size());
    pendingKeys_ += verb == "cancel-file" ? std::string("\x1b") : std::string(40, '\b') + name + "\r" + (replace ? "y" : "");
  } else if (verb == "write-file") {
    std::istringstream words(rest);
    std::string name;
    words >> name;
    std::string text;
    std::getline(words >> std::ws, text);
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\\' && i + 1 < text.size() && (text[i + 1] == 'r' || text[i + 1] == 'n')) {
        bytes += text[++i] == 'r' ? '\r' : '\n';
      } else {
        bytes += text[i];
      }
    }
    std::ofstream(work_ / name, std::ios::binary) << bytes;
  } else if (verb == "copy-file") {
    return CopyFile(rest);
  } else if (verb == "expect-same" || verb == "expect-same-file") {
    std::istringstream words(rest);
    std::string a;
    std::string b;
    if (!(words >> std::quoted(a) >> std::quoted(b))) return Fail(verb + " needs two files");
    auto bytes = [&](const std::string& name) {
      std::ifstream in(PathOf(name), std::ios::binary);
      return in ? std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()) : std::string("?");
    };
    const std::string first = bytes(a);
    if (first != bytes(b) || (verb == "expect-same-file" && first.empty())) return Fail("the files differ: " + a + " " + b);
  } else if (verb == "hover-row" || (verb == "click-row" && (rest.rfind("available", 0) == 0 || rest.rfind("chosen", 0) == 0))) {
    return PurchaseRow(rest, verb == "click-row");
  } else if (verb == "click-row") {
    return ClickRow(rest);
  } else if (verb == "click-unit") {
    return ClickUnit(rest);
  } else if (verb == "pick-unit") {
    return PickUnit(rest);
  } else if (verb == "click-map") {
    return ClickMap(rest);
  } else if (verb == "click-map-unit") {
    return ClickMapUnit(rest);
  } else if (verb == "expect-riding") {
    return ExpectRiding(rest);
  } else if (verb == "record-turn") {
    return RecordTurn(rest);
  } else if (verb == "record-results") {
    Battle* battle = App()->GetBattle();
    if (battle == nullptr || battle->resultsShown == 0) return Fail("no results are shown");
    results_ = HeadlessBattle::ReportOf(battle->results);
  } else if (verb == "record-results-of") {
    return RecordResultsOf(rest);
  } else if (verb == "expect-battle") {
    return ExpectBattle(rest);
  } else if (verb == "list-units") {
    Battle* b = App()->GetBattle();
    for (int32_t i = 0; b != nullptr && i < b->UnitCount(); ++i)
      std::fprintf(stderr, "unit %d side %d kind %d at %.1f %.1f\n", i, b->UnitAt(i)->GetSideIndex(), b->UnitAt(i)->kind, b->UnitAt(i)->x, b->UnitAt(i)->y);
  } else if (verb == "expect-near") {
    return ExpectNear(rest);
  } else if (verb == "note-force") {
    if (App()->GetBattle() == nullptr) return Fail("no battle");
    for (int32_t side = 0; side < 2; ++side) notedForce_[side] = ForceValue(*App()->GetBattle(), side);
  } else if (verb == "note-unit") {
    const Unit* unit = BattleUnit(rest);
    if (unit == nullptr) return Fail("no battle unit " + rest);
    notedX_ = unit->x;
    notedY_ = unit->y;
    notedRounds_ = RoundsOf(*unit);
  } else if (verb == "expect-fired") {
    const Unit* unit = BattleUnit(rest);
    if (unit == nullptr) return Fail("no battle unit " + rest);
    if (RoundsOf(*unit) >= notedRounds_) return Fail("unit " + rest + " has not fired since note-unit");
  } else if (verb == "expect-moved") {
    return ExpectMoved(rest);
  } else if (verb == "expect-posture") {
    return ExpectPosture(rest);
  } else if (verb == "expect-main-gun") {
    std::istringstream words(rest);
    std::string index;
    int32_t asked = -1;
    int32_t mainGun = -1;
    words >> index >> asked >> mainGun;
    Battle* b = App()->GetBattle();
    auto* vehicle = dynamic_cast<Vehicle*>(BattleUnit(index));
    if (b == nullptr || b->map == nullptr || vehicle == nullptr) return Fail("no battle vehicle " + index);
    const bool open = dynamic_cast<VehicleQuestionMenu*>(b->map->camera.openMenu) != nullptr && b->selectedUnit == vehicle;
    if (open != (asked == 1)) return Fail(std::string("the main-gun question is ") + (open ? "open" : "not open"));
    if (vehicle->mainGunClearance != mainGun)
      return Fail("vehicle " + index + " main gun chosen is " + std::to_string(vehicle->mainGunClearance));
  } else if (verb == "expect-waypoints") {
    std::istringstream words(rest);
    std::string index;
    int32_t count = -1;
    words >> index >> count;
    const Unit* unit = BattleUnit(index);
    if (unit == nullptr) return Fail("no battle unit " + index);
    if (unit->GetWaypointCount() != count)
      return Fail("unit " + index + " has " + std::to_string(unit->GetWaypointCount()) + " waypoints");
  } else if (verb == "screenshot") {
    if (fake_->LastFrame().empty()) return Fail("no frame was presented");
    if (!PBitmapFile::WritePixels(fake_->LastFrame().data(), fake_->LastFrameWidth(), fake_->LastFrameHeight(),
                                  (work_ / rest).string()))
      return Fail("the screenshot could not be written");
    if (const char* save = std::getenv("TARVANE_SAVE_PICTURES")) {
      const std::string kept = save + work_.filename().string() + "-" + fs::path(rest).filename().string();
      if (!PBitmapFile::WritePixels(fake_->LastFrame().data(), fake_->LastFrameWidth(), fake_->LastFrameHeight(), kept))
        return Fail("the screenshot could not be kept as " + kept);
    }
  } else {
    return Fail("unknown step: " + line);
  }
  return true;
}

bool Driver::BattlefieldDrawn() {
  MapView* view = BattleView();
  if (view == nullptr) return Fail("no battlefield view");
  // Pure magenta: no texture, picture or text of the program draws it.
  constexpr uint16_t kUnpainted = 0xF81F;
  const GRect area = view->Bounds();
  for (PSurface* surface : {kernel_->GetPrimarySurface(), kernel_->GetBackBuffer()}) {
    if (surface == nullptr) return Fail("no screen surface");
    for (int32_t y = 0; y < surface->Height(); ++y) std::fill_n(surface->Row16(y), surface->Width(), kUnpainted);
  }
  const int presented = fake_->PresentCount();
  for (int32_t i = 0; i < 50 && fake_->PresentCount() == presented && !Quit(); ++i) Pump(1);
  if (fake_->PresentCount() == presented) return Fail("no frame was presented");
  const PSurface& front = *kernel_->GetPrimarySurface();
  const int32_t bottom = std::min(area.bottom, front.Height());
  const int32_t right = std::min(area.right, front.Width());
  for (int32_t y = std::max(area.top, 0); y < bottom; ++y) {
    const uint16_t* row = front.Row16(y);
    const int32_t left = std::max(area.left, 0);
    const int32_t unpainted = static_cast<int32_t>(std::count(row + left, row + right, kUnpainted));
    if (unpainted > 0) {
      const auto first = static_cast<int32_t>(std::find(row + left, row + right, kUnpainted) - row);
      return Fail("row " + std::to_string(y) + " of the battlefield left " + std::to_string(unpainted) +
                  " pixels undrawn, the first at x " + std::to_string(first));
    }
  }
  return true;
}

MapView* Driver::BattleView() const {
  Battle* battle = App()->GetBattle();
  if (battle == nullptr || battle->map == nullptr) return nullptr;
  return dynamic_cast<MapView*>(battle->map->display.battleView);
}

Unit* Driver::BattleUnit(const std::string& index) const {
  Battle* battle = App()->GetBattle();
  int32_t n = -1;
  std::istringstream(index) >> n;
  return battle != nullptr && n >= 0 && n < battle->UnitCount() ? battle->UnitAt(n) : nullptr;
}

bool Driver::ClickUnit(const std::string& rest) {
  MapView* view = BattleView();
  Unit* unit = BattleUnit(rest);
  if (view == nullptr || unit == nullptr) return Fail("no battle view or no unit " + rest);
  Battle* battle = App()->GetBattle();
  const GRect& r = view->Bounds();
  const int32_t x = (r.left + r.right) / 2;
  const int32_t y = (r.top + r.bottom) / 2;
  // What the press does before its pick: the menus open at the click, no waypoint is held.
  battle->map->orders.menuX = x;
  battle->map->orders.menuY = y;
  battle->SetSelectedWaypoint(-1);
  view->ClickOn(x, y, unit, false, false, false);
  kernel_->ClearMouseTracker();
  view->MouseUp(x, y, 0);
  Pump(2);
  if (battle->selectedUnit != unit) return Fail("the click did not select unit " + rest);
  return true;
}

bool Driver::PickUnit(const std::string& rest) {
  MapView* view = BattleView();
  Unit* unit = BattleUnit(rest);
  if (view == nullptr || unit == nullptr || gGraph3D == nullptr) return Fail("no battle view or no unit " + rest);
  // Where the last frame's camera shows the unit's middle, a metre above its base.
  float x = unit->x;
  float y = unit->y;
  if (!gGraph3D->ProjectToScreen(&x, &y, unit->GetBaseHeight() + 1.0f, false))
    return Fail("unit " + rest + " is not in the view");
  Click(static_cast<int32_t>(x), static_cast<int32_t>(y), false, Keys{});
  Battle* battle = App()->GetBattle();
  if (battle->selectedUnit != unit) return Fail("the click at the unit on the screen did not select unit " + rest);
  return true;
}

bool Driver::ClickMap(const std::string& rest) {
  MapView* view = BattleView();
  if (view == nullptr) return Fail("no battle view");
  float x = 0.0f;
  float y = 0.0f;
  if (!(std::istringstream(rest) >> x >> y)) return Fail("click-map needs a map point");
  using namespace InputModes;
  const int32_t mode = App()->GetInputMode();
  if (mode != kLinePick && mode != kMovePick && mode != kTargetPick && mode != kPlacePick && mode != kFacingPick &&
      mode != kFlagPick)
    return Fail("no order waits for a point (input mode " + std::to_string(mode) + ")");
  Map& map = *App()->GetBattle()->map;
  map.orders.pickX = x;
  map.orders.pickY = y;
  map.orders.groundZ = map.ElevationAt(x, y);
  map.orders.hovered = nullptr;
  const GRect& r = view->Bounds();
  view->MouseUp((r.left + r.right) / 2, (r.top + r.bottom) / 2, 0);
  Pump(2);
  return true;
}

bool Driver::ClickMapUnit(const std::string& rest) {
  MapView* view = BattleView();
  Unit* unit = BattleUnit(rest);
  if (view == nullptr || unit == nullptr) return Fail("no battle view or no unit " + rest);
  using namespace InputModes;
  const int32_t mode = App()->GetInputMode();
  if (mode != kLinePick && mode != kMovePick && mode != kTargetPick && mode != kPlacePick)
    return Fail("no order waits for a unit (input mode " + std::to_string(mode) + ")");
  Map& map = *App()->GetBattle()->map;
  map.orders.pickX = unit->x;
  map.orders.pickY = unit->y;
  map.orders.groundZ = map.ElevationAt(unit->x, unit->y);
  view->HoverOn(unit);
  if (map.orders.hovered != unit) return Fail("the pick does not keep unit " + rest);
  const GRect& r = view->Bounds();
  view->MouseUp((r.left + r.right) / 2, (r.top + r.bottom) / 2, 0);
  Pump(2);
  return true;
}

bool Driver::ExpectRiding(const std::string& rest) {
  std::istringstream in(rest);
  std::string index;
  int32_t vehicle = -2;
  if (!(in >> index >> vehicle)) return Fail("expect-riding needs a unit and a vehicle");
  const auto* squad = dynamic_cast<const Infantry*>(BattleUnit(index));
  if (squad == nullptr) return Fail("no infantry unit " + index);
  const Unit* wanted = vehicle < 0 ? nullptr : BattleUnit(std::to_string(vehicle));
  if (vehicle >= 0 && wanted == nullptr) return Fail("no battle unit " + std::to_string(vehicle));
  if (squad->carrier != nullptr && (squad->x != squad->carrier->x || squad->y != squad->carrier->y))
    return Fail("unit " + index + " is not where its vehicle is");
  if (squad->carrier != wanted) {
    const Battle* battle = App()->GetBattle();
    int32_t rides = -1;
    for (int32_t i = 0; i < battle->UnitCount(); ++i)
      if (battle->UnitAt(i) == squad->carrier) rides = i;
    return Fail("unit " + index + " rides " + std::to_string(rides));
  }
  return true;
}

// The values that the log's lines starting with the text carry, in order.
std::vector<std::string> LoggedValues(const std::string& log, const std::string& text) {
  std::vector<std::string> values;
  for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
    const size_t from = at + text.size();
    values.push_back(log.substr(from, log.find('\r', from) - from));
  }
  return values;
}

std::string ReadWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool Driver::RecordTurn(const std::string& name) {
  Battle* battle = App()->GetBattle();
  if (battle == nullptr || battle->IsSetupPhase()) return Fail("no battle in its orders phase");
  GMemoryFile file;
  // With the computer player's groups, which a game file keeps beside the battle.
  HeadlessBattle::WriteBattle(*battle, file.File());
  if (file.File().HasError()) return Fail("the battle could not be stored");
  std::ofstream(work_ / (name + ".wrb"), std::ios::binary) << file.Bytes();
  RecordedTurn turn;
  turn.name = name;
  turn.generator = RandomState();
  for (size_t i = 0; i < turn.options.size(); ++i) turn.options[i] = App()->GetOption(static_cast<int32_t>(i));
  turn.currentSide = App()->GetCurrentSide();
  turn.humanPlayers = App()->GetHumanPlayers();
  turn.connection = App()->GetConnectionType();
  turn.computerSides = battle->computerSides;
  turn.turnsBefore = LoggedValues(ReadWhole(work_ / GErrorLog::kFileName), "RndCheckB = ").size();
  {
    GMemoryFile orders;
    battle->WriteOrders(orders.File());
    turn.orders = orders.Bytes();
  }
  SeedRandom(turn.generator);
  WriteTurnSettings(work_ / (name + ".turn"), turn, battle->sharedSeed);
  turns_.push_back(turn);
  return true;
}

void Driver::WriteTurnSettings(const fs::path& path, const RecordedTurn& turn, uint16_t seed) {
  std::ofstream out(path);
  out << "generator " << turn.generator << "\nseed " << seed << "\nside " << turn.currentSide << "\nplayers "
      << turn.humanPlayers << "\nconnection " << turn.connection << "\ncomputer "
      << static_cast<int32_t>(turn.computerSides[0]) << ' ' << static_cast<int32_t>(turn.computerSides[1])
      << "\noptions";
  for (int8_t option : turn.options) out << ' ' << static_cast<int32_t>(option);
  out << "\n";
}

bool Driver::ReadTurnSettings(const fs::path& path, RecordedTurn& turn, uint16_t& seed) {
  std::ifstream in(path);
  std::string word;
  uint32_t seedValue = 0;
  std::array<int32_t, 2> computer{};
  bool complete = static_cast<bool>(in >> word >> turn.generator) && word == "generator";
  complete = complete && in >> word >> seedValue && word == "seed" && seedValue <= 0xFFFF;
  complete = complete && in >> word >> turn.currentSide && word == "side";
  complete = complete && in >> word >> turn.humanPlayers && word == "players";
  complete = complete && in >> word >> turn.connection && word == "connection";
  complete = complete && in >> word >> computer[0] >> computer[1] && word == "computer";
  complete = complete && in >> word && word == "options";
  for (int8_t& option : turn.options) {
    int32_t value = 0;
    complete = complete && in >> value;
    option = static_cast<int8_t>(value);
  }
  seed = static_cast<uint16_t>(seedValue);
  turn.computerSides = {static_cast<uint8_t>(computer[0] != 0), static_cast<uint8_t>(computer[1] != 0)};
  return complete;
}

bool Driver::RecordResultsOf(const std::string& name) {
  Battle* battle = App()->GetBattle();
  if (battle == nullptr || battle->resultsShown == 0) return Fail("no results are shown");
  resultsOf_.push_back({PathOf(name), HeadlessBattle::ReportOf(battle->results), DigestOf(*battle)});
  return true;
}

void Driver::SetUpHeadless(HeadlessBattle& headless, const RecordedTurn& turn) {
  HeadlessHost& host = headless.Host();
  host.options = turn.options;
  host.currentSide = turn.currentSide;
  host.humanSide = turn.currentSide;
  host.humanPlayers = turn.humanPlayers;
  host.connectionType = turn.connection;
  for (int32_t side = 0; side < 2; ++side)
    headless.SetComputerPlayer(side, turn.computerSides[static_cast<size_t>(side)] != 0);
}

bool Driver::CheckResultsOf() {
  bool passed = true;
  for (const ResultsOf& wanted : resultsOf_) {
    const std::string name = wanted.turn.string();
    RecordedTurn turn;
    uint16_t seed = 0;
    if (!ReadTurnSettings(fs::path(name + ".turn"), turn, seed)) {
      passed = Fail("no settings of the recorded turn " + name);
      continue;
    }
    GErrorLog::ResetForTests();
    HeadlessBattle headless;
    if (!headless.LoadFile(name + ".wrb")) {
      passed = Fail("the headless battle cannot load " + name);
      continue;
    }
    SetUpHeadless(headless, turn);
    SeedRandom(turn.generator);
    headless.Go(seed);
    headless.NextTurn();
    const std::string report = headless.ResultsReport();
    if (report.empty())
      passed = Fail("the turn after " + name + " does not end the headless battle");
    else if (report != wanted.report)
      passed = Fail("the program's results:\n" + wanted.report + "headless after " + name + ":\n" + report);
    else if (DigestOf(*headless.GetBattle()) != wanted.digest)
      passed = Fail("the ended battle's digest is " + wanted.digest + ", headless " + DigestOf(*headless.GetBattle()));
    else
      std::printf("PlayDriver: the results are those of %s computed headless\n", name.c_str());
  }
  return passed;
}

bool Driver::ExpectNear(const std::string& rest) {
  std::istringstream in(rest);
  std::string index;
  float x = 0.0f;
  float y = 0.0f;
  float distance = 0.0f;
  if (!(in >> index >> x >> y >> distance)) return Fail("expect-near needs a unit, a point and a distance");
  const Unit* unit = BattleUnit(index);
  if (unit == nullptr) return Fail("no battle unit " + index);
  if (std::hypot(unit->x - x, unit->y - y) > distance)
    return Fail("unit " + index + " stands at " + std::to_string(unit->x) + ", " + std::to_string(unit->y));
  return true;
}

bool Driver::ExpectMoved(const std::string& rest) {
  std::istringstream in(rest);
  std::string index;
  int32_t slices = 0;
  if (!(in >> index >> slices)) return Fail("expect-moved needs a unit and a number of slices");
  const Unit* unit = BattleUnit(index);
  if (unit == nullptr) return Fail("no battle unit " + index);
  const float moved = std::hypot(unit->x - notedX_, unit->y - notedY_);
  const float allowed = std::fabs(unit->speed) * static_cast<float>(slices) + 0.01f;
  if (!(moved > 0.01f) || moved > allowed)
    return Fail("unit " + index + " moved " + std::to_string(moved) + " m, at most " + std::to_string(allowed) +
                " allowed");
  return true;
}

bool Driver::ExpectPosture(const std::string& rest) {
  std::istringstream in(rest);
  std::string index;
  int32_t posture = -1;
  if (!(in >> index >> posture)) return Fail("expect-posture needs a unit and a posture");
  const auto* unit = dynamic_cast<const Infantry*>(BattleUnit(index));
  if (unit == nullptr) return Fail("no infantry unit " + index);
  for (int32_t shown : unit->figurePosture) {
    if (shown != posture) return Fail("unit " + index + " shows posture " + std::to_string(shown));
  }
  return true;
}

bool Driver::ExpectBattle(const std::string& rest) {
  Battle* battle = App()->GetBattle();
  if (battle == nullptr || battle->map == nullptr) return Fail("no battle");
  const Map& map = *battle->map;
  std::istringstream in(rest);
  std::string key;
  int32_t a = 0;
  int32_t b = 0;
  in >> key >> a >> b;
  // The keys whose last word is a text: the rest of the line after the numbers.
  std::string text;
  if (key == "name" || key == "landmark" || key == "briefing" || key == "group") std::getline(in >> std::ws, text);
  if (key == "name") {
    // name UNIT ignored TEXT: the unit's leader name.
    const Unit* unit = a >= 0 && a < battle->UnitCount() ? battle->UnitAt(a) : nullptr;
    GString255 name;
    if (unit != nullptr) Names::AppendLeaderName(*unit, name, false);
    if (unit == nullptr || text != name.CStr()) return Fail("unit " + std::to_string(a) + " is named " + name.CStr());
  } else if (key == "landmark") {
    GString63 name;
    map.GetLandmarkNameAt(a, b, name);
    if (text != name.CStr()) return Fail("the landmark at " + std::to_string(a) + " " + std::to_string(b) + " is " + name.CStr());
  } else if (key == "briefing") {
    // briefing SLOT ignored FILE: the slot (0 Axis, 1 Allied, 2 overall) holds the file's bytes.
    if (a < 0 || a > 2 || battle->briefing[a] != ReadWhole(PathOf(text))) return Fail("briefing " + std::to_string(a));
  } else if (key == "group") {
    // group SIDE INDEX TURN PERCENT
    int32_t turn = 0;
    int32_t percent = 0;
    std::istringstream(text) >> turn >> percent;
    const int32_t side = a;
    const ReinforcementGroup* group =
        side >= 0 && side < 2 && b >= 0 && b < battle->reinforcements[side].Count() ? battle->GroupAt(side, b) : nullptr;
    if (group == nullptr || group->arrivalTurn != turn || std::lround(group->chance * 100.0f) != percent)
      return Fail("group " + std::to_string(side) + " " + std::to_string(b) +
                  (group == nullptr ? " is missing" : " arrives from turn " + std::to_string(group->arrivalTurn)));
  } else if (key == "grown") {
    // grown SIDE PERCENT
    const int32_t side = a & 1;
    const int64_t before = notedForce_[side];
    const int64_t now = ForceValue(*battle, side);
    if (b == 0 ? now != before : now * 200 <= before * (200 + b) || now * 100 >= before * (100 + 2 * b))
      return Fail("side " + std::to_string(side) + "'s force went from " + std::to_string(before) + " to " + std::to_string(now));
    if (ForceValue(*battle, 1 - side) != notedForce_[1 - side]) return Fail("the other side's force changed");
  } else if (key == "tiles") {
    if (map.size.tilesX != a || map.size.tilesY != b)
      return Fail("the map has " + std::to_string(map.size.tilesX) + " x " + std::to_string(map.size.tilesY) + " tiles");
  } else if (key == "date") {
    if (battle->date != a) return Fail("the battle's date is " + std::to_string(battle->date));
  } else if (key == "points") {
    if (battle->forcePoints[0] != a || battle->forcePoints[1] != b)
      return Fail("the force points are " + std::to_string(battle->forcePoints[0]) + " and " +
                  std::to_string(battle->forcePoints[1]));
  } else if (key == "zone") {
    int32_t zone = -1;
    in >> zone;
    if (a < 0 || b < 0 || a >= map.size.tilesX || b >= map.size.tilesY || map.terrain.tiles.At(a, b).zone != zone)
      return Fail("tile " + rest);
  } else if (key == "unit") {
    const Unit* unit = a >= 0 && a < battle->UnitCount() ? battle->UnitAt(a) : nullptr;
    if (unit == nullptr || unit->setupZone != b)
      return Fail("unit " + std::to_string(a) + (unit == nullptr ? " is missing" : " has set-up zone " + std::to_string(unit->setupZone)));
  } else if (key == "flags") {
    float low = 0.0f;
    float high = 0.0f;
    int32_t large = 0;
    in >> low >> high >> large;
    const int32_t count = battle->flags.Count();
    if (count < a || count > b) return Fail(std::to_string(count) + " flags");
    int32_t largeFlags = 0;
    for (int32_t i = 0; i < count; ++i) {
      const VictoryFlag* flag = battle->FlagAt(i);
      largeFlags += flag->type != 0 ? 1 : 0;
      if (!(flag->x > low && flag->x <= high)) return Fail("a flag at x " + std::to_string(flag->x));
    }
    if (largeFlags < large) return Fail(std::to_string(largeFlags) + " large flags");
  } else {
    return Fail("expect-battle does not know " + key);
  }
  return true;
}

bool Driver::CheckRecordedTurns() {
  if (turns_.empty() && resultsOf_.empty()) return true;
  const std::string log = ReadWhole(work_ / GErrorLog::kFileName);
  const std::vector<std::string> seeds = LoggedValues(log, "Action seed = ");
  const std::vector<std::string> checks = LoggedValues(log, "RndCheckB = ");
  // The headless turns log in a folder of their own.
  const fs::path folder = work_ / "headless";
  std::error_code error;
  fs::create_directories(folder, error);
  // The unit tables load through a kernel's temporary file: a kernel without a window, made
  // and deleted while the headless folder is the program folder (it logs there).
  PPath::SetProgramFolder(folder.string() + "/");
  GErrorLog::ResetForTests();
  bool passed = true;
  {
    GKernel kernel;
    Hack::LoadTables();
    // A turn that follows the one recorded before it goes on from that turn's headless battle
    // with the orders the side gave; the first is loaded from its file.
    std::unique_ptr<HeadlessBattle> headless;
    const RecordedTurn* previous = nullptr;
    for (const RecordedTurn& turn : turns_) {
      if (!turn.exchanged && (turn.turnsBefore >= checks.size() || turn.turnsBefore >= seeds.size())) {
        passed = Fail("no action was computed after record-turn " + turn.name);
        continue;
      }
      GErrorLog::ResetForTests();
      const bool follows = !turn.exchanged && headless != nullptr && previous != nullptr &&
                           turn.turnsBefore == previous->turnsBefore + 1;
      if (follows) {
        headless->NextTurn();
        if (!headless->TakeOrders(turn.currentSide, turn.orders)) {
          passed = Fail("the headless battle does not take the orders of " + turn.name);
          continue;
        }
      } else {
        headless.reset();
        headless = std::make_unique<HeadlessBattle>();
        if (!headless->LoadFile((work_ / (turn.name + ".wrb")).string())) {
          passed = Fail("the headless battle cannot load " + turn.name);
          continue;
        }
      }
      SetUpHeadless(*headless, turn);
      if (!follows) SeedRandom(turn.generator);
      if (follows && RandomState() != turn.generator) passed = Fail("the generator differs before " + turn.name);
      headless->Go(turn.exchanged ? turn.seed : static_cast<uint16_t>(std::stoi(seeds[turn.turnsBefore])));
      previous = &turn;
      GErrorLog::Close();
      const std::vector<std::string> computed =
          LoggedValues(ReadWhole(folder / GErrorLog::kFileName), "RndCheckB = ");
      if (turn.exchanged) {
        if (computed.size() != 1) {
          passed = Fail("turn " + turn.name + " was not computed headless");
        } else {
          std::ofstream(work_ / "rndcheck.txt", std::ios::app) << "RndCheckB = " << computed[0] << "\r\n";
          std::printf("PlayDriver: turn %s: RndCheckB = %s headless\n", turn.name.c_str(), computed[0].c_str());
        }
        previous = nullptr;
        continue;
      }
      const std::string want = checks[turn.turnsBefore];
      if (computed.size() != 1 || computed[0] != want)
        passed = Fail("turn " + turn.name + ": the program logged RndCheckB = " + want + ", headless " +
                      (computed.empty() ? std::string("nothing") : computed.back()));
      else
        std::printf("PlayDriver: turn %s: RndCheckB = %s, as headless\n", turn.name.c_str(), want.c_str());
    }
    if (!results_.empty()) {
      if (headless == nullptr) {
        passed = Fail("no headless battle to end");
      } else {
        headless->NextTurn();
        if (headless->ResultsReport() != results_)
          passed = Fail("the program's results:\n" + results_ + "headless:\n" + headless->ResultsReport());
        else
          std::printf("PlayDriver: the results are the headless battle's\n");
      }
    }
    headless.reset();
    passed = CheckResultsOf() && passed;
    Hack::FreeTables();
  }
  GErrorLog::Close();
  PPath::SetProgramFolder(work_.string() + "/");
  return passed;
}

bool Driver::Join(const std::string& rest) {
  std::istringstream words(rest);
  std::array<std::string, 4> octets;
  for (std::string& octet : octets) words >> octet;
  if (!ClickCommand(62)) return false;
  Pump(1);
  GView* screen = App()->GetAddressScreen();
  if (screen == nullptr) return Fail("no address screen");
  size_t field = 0;
  for (int32_t i = 0; i < screen->GetChildCount() && field < octets.size(); ++i) {
    auto* entry = dynamic_cast<GTextEntry*>(screen->GetChild(i));
    if (entry == nullptr) continue;
    entry->Clear();
    GString255 text;
    text.Assign(octets[field++].c_str());
    entry->AppendText(&text);
  }
  if (field != octets.size()) return Fail("the address screen has no four fields");
  if (!ClickCommand(WRApplication::kCommandConnect)) return false;
  // The host's version message may take a while on a busy machine; a quick host may also have
  // sent the whole game before the first look, so any later state counts as connected.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (App()->Tcp().GetState() < TCPIP_STATE_CLIENT_DOWNLOADING_GAME) {
    if (!WaitPass(deadline, "the connection")) return false;
  }
  return true;
}

bool Driver::AwaitFile(const std::string& rest) {
  std::istringstream words(rest);
  std::string path;
  int32_t seconds = 0;
  words >> path >> seconds;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!fs::exists(PathOf(path))) {
    if (std::chrono::steady_clock::now() > deadline) return Fail("no file " + path + " after " + std::to_string(seconds) + " s");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

bool Driver::WaitPass(std::chrono::steady_clock::time_point deadline, const std::string& what, bool failureExpected) {
  const TcpGame& tcp = App()->Tcp();
  if (Quit()) return Fail("the program quit while waiting for " + what);
  if (tcp.HasFailed() && !failureExpected) return Fail("the connection failed in state " + std::to_string(tcp.GetState()));
  if (std::chrono::steady_clock::now() > deadline) {
    return Fail("still waiting for " + what + " in state " + std::to_string(tcp.GetState()));
  }
  // A pass moves the fake clock 20 ms on in about 1 ms. While the other program is busy (a
  // turn computed under the sanitizers on a loaded machine can take many seconds), the clock
  // must not run so far ahead that the link looks silent for minutes: it is kept within four
  // times real time (and two seconds) from the wait's start. A raw peer is left to fall
  // silent as fast as the clock runs.
  if (paced_ && ClockRunsAhead(deadline)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return true;
  }
  Pump(1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return true;
}

bool Driver::ClockRunsAhead(std::chrono::steady_clock::time_point deadline) {
  const auto now = std::chrono::steady_clock::now();
  if (deadline != waitDeadline_) {
    waitDeadline_ = deadline;
    waitBegan_ = now;
    waitBeganMs_ = gManualMs;
  }
  const auto realMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - waitBegan_).count();
  return gManualMs - waitBeganMs_ > 4 * static_cast<uint64_t>(realMs) + 2000;
}

bool Driver::RawConnect(const std::string& rest) {
  if (raw_ >= 0) close(raw_);
  raw_ = socket(AF_INET, SOCK_STREAM, 0);
  if (raw_ < 0) return Fail("no socket for the raw peer");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port_);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  // The game listens: the system completes the connection before the game accepts it.
  if (connect(raw_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return Fail("the raw peer cannot connect");
  fcntl(raw_, F_SETFL, fcntl(raw_, F_GETFL, 0) | O_NONBLOCK);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(rest.c_str()));
  while (App()->Tcp().GetState() != TCPIP_STATE_SERVER_VERSION_SENT) {
    if (!WaitPass(deadline, "the game's version", true)) return false;
  }
  return true;
}

bool Driver::RawSend(const std::string& rest) {
  if (raw_ < 0) return Fail("no raw peer");
  std::string bytes;
  std::istringstream words(rest);
  for (std::string word; words >> word;) {
    if (word.rfind("fill:", 0) == 0) {
      const size_t colon = word.find(':', 5);
      if (colon == std::string::npos) return Fail("raw-send: " + word);
      bytes.append(std::stoul(word.substr(5, colon - 5)), static_cast<char>(std::stoul(word.substr(colon + 1), nullptr, 16)));
    } else {
      bytes.push_back(static_cast<char>(std::stoul(word, nullptr, 16)));
    }
  }
  return RawSendBytes(bytes);
}

bool Driver::RawSendBytes(const std::string& bytes) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = send(raw_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<size_t>(n);
    } else if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
      // The game may close the link before it has read everything: what it read is enough.
      break;
    }
    if (sent < bytes.size() && !WaitPass(deadline, "room to send", true)) return false;
  }
  return true;
}

bool Driver::RawWaitState(int32_t state, std::chrono::steady_clock::time_point deadline) {
  // What the game sends the raw peer (its version, the game's upload) is read and dropped.
  char buffer[65536];
  while (App()->Tcp().GetState() != state) {
    while (recv(raw_, buffer, sizeof buffer, 0) > 0) {
    }
    if (!WaitPass(deadline, "state " + std::to_string(state))) return false;
  }
  return true;
}

// One message as the link frames it: a byte FC and the message's length, high byte first.
std::string LinkFrame(const std::string& message) {
  const auto size = static_cast<uint32_t>(message.size());
  const std::string framed{static_cast<char>(0xFC), static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                           static_cast<char>(size >> 8), static_cast<char>(size)};
  return framed + message;
}

bool Driver::RawJoin(const std::string& rest) {
  if (raw_ < 0) return Fail("no raw peer");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(rest.c_str()));
  if (!RawSendBytes(LinkFrame(std::string(1, static_cast<char>(TCPIP_MSG_VERSION_OK))))) return false;
  if (!RawWaitState(TCPIP_STATE_SERVER_WAITING_FOR_CLIENT, deadline)) return false;
  if (!RawSendBytes(LinkFrame(std::string(1, static_cast<char>(TCPIP_MSG_CLIENT_READY))))) return false;
  return RawWaitState(TCPIP_STATE_ORDERS, deadline);
}

bool Driver::RawOrders(const std::string& rest) {
  if (raw_ < 0) return Fail("no raw peer");
  std::istringstream words(rest);
  std::string how;
  std::string kind;
  words >> how >> kind;
  if ((how != "flip" && how != "rename" && how != "same") || (!kind.empty() && kind != "answer"))
    return Fail("raw-orders: " + rest);
  const bool answer = kind == "answer";
  Battle* battle = App()->GetBattle();
  if (battle == nullptr) return Fail("raw-orders: no battle");
  // rename: an opposing unit's order names a unit of this side under a designation no unit
  // has (letter 255, number 255); the sender's file holds that unit so, the game does not.
  Unit* opposing = nullptr;
  Unit* named = nullptr;
  if (how == "rename") {
    const int32_t own = App()->GetSideToPlay() == 1 ? 1 : 0;
    for (int32_t i = 0; i < battle->UnitCount(); ++i) {
      Unit* unit = battle->UnitAt(i);
      if (unit->GetSideIndex() != own && opposing == nullptr) opposing = unit;
      if (unit->GetSideIndex() == own && named == nullptr) named = unit;
    }
    if (opposing == nullptr || named == nullptr) return Fail("raw-orders: no unit of each side");
  }
  Unit* target = opposing != nullptr ? opposing->target : nullptr;
  const uint16_t designation = named != nullptr ? named->designation : 0;
  if (opposing != nullptr) {
    opposing->target = named;
    named->designation = 0xFFFF;
  }
  std::string orders;
  const bool written = App()->TcpHost().WriteOrders(false, orders);
  if (opposing != nullptr) {
    opposing->target = target;
    named->designation = designation;
  }
  if (!written || orders.size() < 3) return Fail("raw-orders: the orders file could not be written");
  // The text flag (0 or 1) follows the two bytes of the seed.
  if (how == "flip") orders[2] = static_cast<char>(orders[2] ^ 0x02);

  std::string stream;
  for (size_t at = 0; at < orders.size(); at += TcpTransfer::kChunk) {
    stream += LinkFrame(static_cast<char>(answer ? TCPIP_MSG_ANSWER_DATA : TCPIP_MSG_ORDERS_DATA) +
                        orders.substr(at, TcpTransfer::kChunk));
  }
  stream += LinkFrame(std::string(1, static_cast<char>(answer ? TCPIP_MSG_ANSWER_END : TCPIP_MSG_ORDERS_END)));
  return RawSendBytes(stream);
}

bool Driver::LoadAutosave() {
  const fs::path path = work_ / "Saved Games" / "Autosave.wrb";
  std::unique_ptr<PFile> handle = PFile::Open(path.string(), PFile::kRead, PFile::Disposition::kOpenExisting);
  if (!handle) return Fail("no autosave at " + path.string());
  GFile file;
  if (!file.IFile(std::move(handle), path.string().c_str(), GFile::kModeReadGameFile) ||
      !App()->ReadGameFile(&file, nullptr) || App()->GetBattle() == nullptr)
    return Fail("the autosave cannot be read");
  return true;
}

bool Driver::RawClosed(const std::string& rest) {
  if (raw_ < 0) return Fail("no raw peer");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::atoi(rest.c_str()));
  char buffer[4096];
  for (;;) {
    const ssize_t n = recv(raw_, buffer, sizeof buffer, 0);
    if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)) break;
    if (n < 0 && !WaitPass(deadline, "the game to close the raw peer's link", true)) return false;
  }
  close(raw_);
  raw_ = -1;
  return true;
}

bool Driver::WaitAlert(const std::string& rest) {
  std::istringstream words(rest);
  std::string number;
  int32_t seconds = 0;
  words >> number >> seconds;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (App()->GetAlertBox() == nullptr) {
    if (!WaitPass(deadline, "alert " + number, true)) return false;
  }
  return RunLine("expect-alert " + number);
}

bool Driver::WaitState(const std::string& rest) {
  std::istringstream words(rest);
  std::string states;
  int32_t seconds = 0;
  words >> states >> seconds;
  std::vector<int32_t> wanted;
  std::istringstream list(states);
  for (std::string one; std::getline(list, one, '|');) wanted.push_back(std::atoi(one.c_str()));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  char buffer[65536];
  while (std::find(wanted.begin(), wanted.end(), App()->Tcp().GetState()) == wanted.end()) {
    // What the game sends a raw peer (its orders, its answer) is read and dropped.
    while (raw_ >= 0 && recv(raw_, buffer, sizeof buffer, 0) > 0) {
    }
    if (!WaitPass(deadline, "state " + states)) return false;
  }
  return true;
}

bool Driver::WaitLog(const std::string& rest) {
  // TEXT may hold blanks: the count and the seconds are the last two words.
  const size_t secondsAt = rest.find_last_of(' ');
  const size_t countAt = secondsAt == std::string::npos ? std::string::npos : rest.find_last_of(' ', secondsAt - 1);
  if (countAt == std::string::npos) return Fail("wait-log needs TEXT N S");
  const std::string text = rest.substr(0, countAt);
  const size_t count = std::stoul(rest.substr(countAt + 1, secondsAt - countAt - 1));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(std::stoi(rest.substr(secondsAt + 1)));
  for (int32_t pass = 0;; ++pass) {
    if (pass % 8 == 0) {
      const std::string log = ReadWhole(work_ / GErrorLog::kFileName);
      size_t found = 0;
      for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++found;
      if (found >= count) return true;
    }
    if (!WaitPass(deadline, std::to_string(count) + " x \"" + text + "\" in the log")) return false;
  }
}

bool Driver::Finish() {
  const bool quit = Quit();
  kernel_.reset();
  PClock::SetFake(nullptr);
  if (!quit) return Fail("the program did not quit");
  std::error_code error;
  if (fs::file_size(work_ / "Tarvane Osmr Vel Prefs", error) != WRApplication::kPreferencesSize)
    return Fail("the preferences were not written");
  if (!fs::exists(work_ / GErrorLog::kFileName)) return Fail("no error log");
  return CheckRecordedTurns();
}

// Two runs side by side over the system's sockets: the hosting script and the joining one, each
// in its own work folder, as two processes of this program. Both must pass within the time
// allowed; both the hosting machine's log and the joining machine's "rndcheck.txt" must hold
// at least the turns given, with the same "RndCheckB = " values for the turns it recorded.
// With a third script (a second joining machine, for a game the host resumes after the first
// joining machine was lost), the three run side by side; the first joining machine is not
// checked, and the second's recorded turns must be the hosting machine's last ones.
int RunPair(int argc, char** argv) {
  const std::string self = fs::read_symlink("/proc/self/exe").string();
  const int runs = argc == 9 ? 3 : 2;
  const char* scripts[3] = {argv[2], argv[3], runs == 3 ? argv[7] : nullptr};
  const fs::path works[3] = {fs::absolute(argv[4]), fs::absolute(argv[5]), runs == 3 ? fs::absolute(argv[8]) : fs::path()};
  const size_t turns = std::stoul(argv[6]);
  // All runs meet on one port the system gave.
  const uint16_t port = FreePort();
  if (port == 0) {
    std::fprintf(stderr, "PlayDriver: the system gives no free port\n");
    return 1;
  }
  setenv(kPortVariable, std::to_string(port).c_str(), 1);
  pid_t children[3] = {-1, -1, -1};
  for (int i = 0; i < runs; ++i) {
    std::error_code error;
    fs::remove_all(works[i], error);
    fs::create_directories(works[i], error);
    children[i] = fork();
    if (children[i] == 0) {
      execl(self.c_str(), self.c_str(), scripts[i], works[i].c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(runs == 3 ? 220 : 150);
  int status[3] = {-1, -1, -1};
  int running = runs;
  while (running > 0) {
    for (int i = 0; i < runs; ++i) {
      if (children[i] <= 0) continue;
      int value = 0;
      if (waitpid(children[i], &value, WNOHANG) == children[i]) {
        status[i] = WIFEXITED(value) ? WEXITSTATUS(value) : 128 + (WIFSIGNALED(value) ? WTERMSIG(value) : 0);
        children[i] = -1;
        --running;
      }
    }
    if (running > 0 && std::chrono::steady_clock::now() > deadline) {
      std::fprintf(stderr, "PlayDriver: the runs did not end in time\n");
      for (pid_t& child : children) {
        if (child <= 0) continue;
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        child = -1;
      }
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  bool passed = true;
  const char* names[3] = {"hosting", "joining", "second joining"};
  for (int i = 0; i < runs; ++i) {
    if (status[i] != 0) {
      std::fprintf(stderr, "PlayDriver: the %s run ended with %d\n", names[i], status[i]);
      passed = false;
    }
  }
  // The hosting machine computes every action; the joining machine's turns, as it held them
  // when it waited for the action, were computed headless at its run's end.
  const fs::path& joining = works[runs - 1];
  const std::vector<std::string> checks[2] = {LoggedValues(ReadWhole(works[0] / GErrorLog::kFileName), "RndCheckB = "),
                                             LoggedValues(ReadWhole(joining / "rndcheck.txt"), "RndCheckB = ")};
  const bool fits = !checks[1].empty() && checks[1].size() <= checks[0].size();
  const bool same = fits && (runs == 2 ? std::equal(checks[1].begin(), checks[1].end(), checks[0].begin())
                                       : std::equal(checks[1].rbegin(), checks[1].rend(), checks[0].rbegin()));
  if (!same || checks[0].size() < turns || (runs == 2 && checks[1].size() < turns)) {
    std::fprintf(stderr, "PlayDriver: the machines have %zu and %zu turns, not the same RndCheckB\n",
                 checks[0].size(), checks[1].size());
    passed = false;
  }
  for (size_t t = 0; t < checks[0].size(); ++t) std::printf("PlayDriver: turn %zu: RndCheckB = %s\n", t + 1, checks[0][t].c_str());
  return passed ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if ((argc == 7 || argc == 9) && std::strcmp(argv[1], "--pair") == 0) return RunPair(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: PlayDriver <script> <work folder>\n"
                         "       PlayDriver --pair <host script> <join script> <host folder> <join folder> <turns>\n"
                         "                         [<second join script> <second join folder>]\n");
    return 2;
  }
  std::ifstream script(argv[1]);
  if (!script) {
    std::fprintf(stderr, "PlayDriver: cannot read %s\n", argv[1]);
    return 2;
  }
  std::error_code error;
  fs::create_directories(argv[2], error);
  Driver driver(fs::absolute(argv[2]));
  bool passed = driver.Start();
  std::string line;
  int32_t number = 0;
  while (passed && !driver.Quit() && std::getline(script, line)) {
    ++number;
    if (!driver.RunLine(line)) {
      std::fprintf(stderr, "PlayDriver: step %d failed: %s\n", number, line.c_str());
      passed = false;
    }
  }
  passed = driver.Finish() && passed;
  return passed ? 0 : 1;
}
