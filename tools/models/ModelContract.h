#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The drawing contract of one vehicle model routine (data/models/contract.txt): what every model
// made for its slots must draw, and the figures it is checked against.
enum class ModelStage : uint8_t { kHull, kVariant, kTurret, kGun, kBarrel };
enum class ModelForm : uint8_t { kHull, kTurret, kCommon, kMount, kTurretGunYZ, kPivotTurretGun, kNested, kBox };
enum class SingleKind : uint8_t { kNone, kArrays, kValues, kQuads, kTrackValues };

struct ContractStrip {
  int32_t n = 0;
  int32_t side = 0;  // 0 the +x side, 1 the -x side
  int32_t sign = 1;
};

struct ContractGroup {
  ModelStage stage = ModelStage::kHull;
  int32_t entry = 0;  // -1: the coloured fans
  bool keep = false;  // drawn with the entry still bound
  int32_t fans = 0;
  SingleKind singleKind = SingleKind::kNone;
  int32_t singles = 0;
  std::vector<int32_t> fanSizes;  // empty: the maker chooses
};

struct ContractPivot {
  int32_t axes = 0;  // 0 none, 3 xyz, 2 xy, 1 y, 4 yz
  std::array<float, 3> p{};  // x, y, z (the axes not given are 0)
};

struct ModelContract {
  int32_t routine = 0;
  std::vector<int32_t> slots;
  int32_t variantRule = 0;  // 0 none, 1 draws with a draw variant of 1, 2 with any but 0
  bool firstHalf = false;
  bool hasFootprint = false;
  std::array<float, 4> footprint{};
  ModelForm form = ModelForm::kHull;
  ContractPivot turretPivot;
  ContractPivot gunPivot;
  bool hasFlash = false;
  std::array<float, 4> flash{};  // size, x, y, z
  bool hasRecoil = false;
  float recoil = 0.0f;
  std::vector<ContractStrip> strips;  // the full list; empty in a first-half block
  std::vector<ContractGroup> groups;  // in drawing order; empty in a first-half block but model 98
  std::vector<std::array<float, 20>> quads;
  std::array<int32_t, 3> totals{};       // primitives, triangles, vertices with the variant drawn
  std::array<int32_t, 3> totalsPlain{};  // without it (equal to totals without a variant)
  float ground = 0.0015f;
  float upper = 0.0015f;
  bool bothGrounded = false;
  float barrelStart = 5e-4f;
  // First-half figures.
  int32_t stripCount = 0, stripsPlus = 0, stripsMinus = 0;
  // The strips' sizes the block chooses, the + strips first; empty: the layout's own.
  std::vector<int32_t> stripSizes;
  int32_t fanCount = 0, arrayCount = 0, valueCount = 0, colouredCount = 0;
  int32_t binds = 0;
  std::vector<int32_t> entries;
  std::array<int32_t, 4> stagePrimitives{};  // hull, turret, gun (mount), barrel

  // Another routine whose hull, turret and gun stages this one draws value for value (shares), or
  // whose fan sizes in those stages it keeps (sizes-as); -1 for none.
  int32_t shares = -1;
  int32_t sizesAs = -1;

  bool HasVariant() const { return variantRule != 0; }
};

// Reads the contract text. On a malformed row returns false with error "<name>:<line>: reason".
bool ReadModelContracts(const std::string& text, const std::string& name, std::vector<ModelContract>& out,
                        std::string& error);

// The word naming a form in the contract and in a model source's template statement.
const char* ModelFormName(ModelForm form);
