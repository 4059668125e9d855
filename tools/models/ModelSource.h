#pragma once
#include <array>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "ModelContract.h"
#include "ModelRecord.h"

// A vehicle model source (data/models/NNN.model, named by the routine's lowest slot): the model
// described in metres, compiled into the routine's record and held to its contract.
//
//   model 36                                   the routine's lowest slot, first
//   depicts "<name>" length width height wheels "<source>"   published figures, metres; the
//                                              length or the width may be "fixed": the routine's
//                                              own, where no published figure fits the contract
//   road-wheels N                              the road wheels a side the model draws, where its
//                                              running gear does not show them (see below)
//   hatch <name> x y z heading turret|hull     a crew hatch, metres and degrees
//   template <form>                            the routine's placeholder (form as the contract's)
//   let <name> = <expression>                  a named value
//   use "parts/<file>" [with name = value ...]  a shared part's solids, with values of its own
//   stage hull|variant|turret|gun|barrel       then its groups in the contract's order
//   group <entry>|colour                       then the group's solids
//   fit footprint                              the hull stage's extremes moved onto the footprint
//   fit spread                                 the fitter's vertices go to the faces with fewest
//                                              triangles first (fewest two-triangle fans left)
//
// Solids, each ending in an optional "omit <face>...":
//   box x0 y0 z0 x1 y1 z1                      faces top bottom left right front rear
//   prism x a0 a1 y z y z ...                  a side profile across x (caps left, right)
//   prism z a0 a1 x y x y ...                  a plan profile up z (caps bottom, top); sides e1...
//   loft z0 z1 x y ... x y                     a lower and an upper outline joined (bottom, top, e1...)
//   tube y|z a0 a1 r0 r1 n c1 c2               n sides about an axis (ends start, end)
//   barrel from @pivot to @muzzle r0 r1 n      a tube from the gun's pivot exactly to the flash y
//   plate x y z x y z x y z ...                a one-sided convex face
//   disc +x|-x|+y|-y|+z|-z cx cy cz r n        an n-sided face facing along the axis
//   tri x y z x y z x y z                      one of the routine's single triangles (from arrays
//                                              or values; a group of value triangles may give
//                                              none and keep the placeholder's)
//   quad given | quad x y z u v x y z u v ...  the box's next quad, the contract's values
//                                              (given, or repeated and checked)
// and prefixes to any solid: "mirror x" (the solid and its mirror image), "at dx dy dz", "turn
// degrees" (about z), "uv fit" (faces mapped onto a whole detail picture).
// Running gear, drawn instead of the contract's bands once a source gives any (then every strip of
// the contract's list, each once); strips are named by their place in that list (1 the first),
// lengths in metres, the outer edge on the footprint's side and the width inwards:
//   loop left|right U D y0 y1 height width cut P Q [reverse]
//       a track loop cut at two points of its band: U the strip over the top, D the one round
//       the bottom
//   run left|right U R F y0 y1 height width cut P Q split y [reverse]
//       a loop whose lower piece is two strips, R behind and F ahead of the ground point y
//   tread left|right U R F y0 y1 height width [reverse]
//       a wheel (or bogie) of three strips: U the upper arc (rear face to upper front slope), R
//       the lower rear slope, F the front part (lower front slope and front face); no bottom
//   tread left|right F R y0 y1 height width [reverse]
//       a wheel of two arcs meeting at the top face's front end, F forward and R back over the
//       top, both down to the ground
//   trailer ...                                as tread of three strips, behind every loop and
//                                              run of its side
//   halftrack left|right <tread's strips and figures> then <loop's strips, figures and cut>
//       a wheel ahead of a track run
// The points of a band's cut: bottom-rear bottom-front front-low front-mid front-high top-front
// top-rear rear-high rear-mid rear-low. v runs as the strip's sign needs for the roll; a strip
// of the routine's sign that misses the ground, or lies too low, or (reverse) rolls backwards is
// refused on its line.
// Faces of three corners become the routine's singles, larger ones fans; the fitter then adds
// vertices on edges to reach the contract's fan sizes and triangles.
//
// Road wheels a side, in a depicts row and in the model alike, count the wheel stations along one
// side that carry the vehicle on the ground: a station is one place along the length, counted
// once however many wheels stand there (twin tyres, dual road wheels, the inner and outer rows of
// interleaved or overlapping wheels). Wheeled vehicles count their axles (a six-by-six truck 3,
// spare wheels not at all); half-tracks the road wheels of the track run, not the steered front
// wheel; tracked vehicles the road wheels on the track's lower run, not sprockets, idlers or
// return rollers; a boat 0. A model whose running gear is all treads draws its wheels: the treads
// of the left side whose spans along y overlap are one station, and a "road-wheels" line, if any,
// must agree; a routine without running gear draws 0. Loops, runs, half-tracks, trailers and value
// tracks do not show their wheels, so such a model declares them; copied tracks carry the copied
// source's count, which a line of the copy's own must equal. Every depicts row's wheels must be
// the model's.
//
// A bad line stops the compile with "file:line: slot S, stage, group G: rule (has H, wants W)".

struct ModelDepiction {
  std::string name;
  float length = 0, width = 0, height = 0;  // metres; a length or width of 0 is fixed by the contract
  int32_t wheels = 0;                      // road wheels a side
  std::string source;
  int32_t line = 0;
};

// Whether a vehicle class's name (or short name) names a depicted vehicle: it is the depicted
// name, or begins with it as whole words ("M10 GMC (late)" is an "M10 GMC").
bool NamesDepictedVehicle(std::string_view name, std::string_view depicted);

struct ModelHatch {
  std::string name;
  float x = 0, y = 0, z = 0, heading = 0;  // model units and degrees
  bool turret = false;
  int32_t line = 0;
};

struct ModelSourceInfo {
  int32_t slot = -1;
  bool isTemplate = false;
  std::vector<ModelDepiction> depicts;
  std::vector<ModelHatch> hatches;
  // The road wheels a side the model draws (counted on its treads, or declared), -1 where it
  // neither shows nor declares them; the line of its "road-wheels" statement, 0 without.
  int32_t roadWheels = -1;
  int32_t roadWheelsLine = 0;
  // Per texture entry, the faces the source gives it: [0] mapped whole onto a detail picture
  // ("uv fit"), [1] laid in the skin's bands.
  std::map<int32_t, std::array<int32_t, 2>> entryFaces;
};

// Reads a shared part ("parts/...") for use; false when it cannot be read.
using ModelPartLoader = std::function<bool(const std::string& path, std::string& text)>;

// Reads a whole file; false when it cannot be read.
bool ReadModelFile(const std::string& path, std::string& text);

// The loader the tools use over a models directory: shared parts under "parts/", and the
// routines' sources ("NNN.model") a copy reads; nothing else.
ModelPartLoader ModelDirectoryLoader(const std::string& dir);

// Compiles one source for its routine's contract (all: every contract, for routines shared).
// Returns an empty string, or the error in the form above.
std::string CompileModelSource(const std::string& text, const std::string& name, const ModelContract& contract,
                               const std::vector<ModelContract>& all, const ModelPartLoader& load,
                               ModelRecord& record, ModelSourceInfo* info = nullptr);

// The file a routine's source lives in: its lowest slot in three digits, "036.model".
std::string ModelSourceName(const ModelContract& contract);

// Holds a compiled model to the published figures of the vehicle it depicts: from the footprint's
// rear to the muzzle or the hull's front, whichever is further ahead, within 8 % of the overall
// length; the footprint's width within 15 %; the highest point drawn (at draw values 0) within
// 10 % of the height; the road wheels a side equal to the model's (roadWheels, as ModelSourceInfo
// gives it). A figure the row leaves to the contract (0) is not compared. Returns an empty string,
// or the figure that does not fit in the source's error form.
std::string CheckDepiction(const std::string& name, const ModelContract& contract, const ModelProgram& program,
                           const ModelDepiction& depiction, int32_t roadWheels);
