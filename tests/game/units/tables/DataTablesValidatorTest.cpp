// Checks the program's own tables (data/tables/) as compiled in: counts, the records the rules
// name (data/tables/checks.txt), every constraint the code stops on, and that every weapon
// gives a sound penetration.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <set>
#include <string>
#include <utility>

#include "game/units/tables/DataFlags.h"
#include "game/units/DataTablesRig.h"
#include "game/units/tables/SurnameList.h"
#include "game/units/fire/WeaponFormulas.h"
#include "support/SoundCatalogueRows.h"

namespace {

class DataTablesValidator : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    rig_ = new DataTablesRig();
    Hack::LoadTables();
  }
  static void TearDownTestSuite() {
    delete rig_;
    rig_ = nullptr;
  }
  static DataTablesRig* rig_;
};
DataTablesRig* DataTablesValidator::rig_ = nullptr;

// The vehicle kinds the tables use besides the emplacement (6): 1 wheeled, 3 half-track, 4 tracked.
constexpr int32_t kWheeled = 1;
constexpr int32_t kHalfTrack = 3;
constexpr int32_t kTracked = 4;

// A weapon fires kind k when it has a mass for it.
bool Fires(const WeaponData& w, int kind) { return w.Mass(kind) > 0.0f; }

}  // namespace

TEST_F(DataTablesValidator, CountsOfEveryTable) {
  EXPECT_GE(gVehicleClasses.Count(), 227);
  EXPECT_GE(gInfantryClasses.Count(), 243);
  EXPECT_GE(gWeapons.Count(), 105);
  EXPECT_GE(gSmallArms.Count(), 34);
  EXPECT_EQ(gVehicleModels.Count(), 99);
  EXPECT_EQ(gWeaponDraws.Count(), 24);
  EXPECT_EQ(gFormations.Count(), 129);
  // Whole records only.
  EXPECT_EQ(gVehicleClasses.Length() % VehicleData::kSize, 0u);
  EXPECT_EQ(gFormations.Length() % FormationData::kSize, 0u);
}

TEST_F(DataTablesValidator, RecordsTheRulesName) {
  // Broad classes by category, the computation class, and the apparent class of each category.
  const char* broad[] = {"Pillbox?", "Truck?", "Light armor?", "Tank?"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(gVehicleClasses[222 + i].ShortName(), broad[i]);
  }
  EXPECT_EQ(gVehicleClasses[222].KindCode(), 6);
  EXPECT_GT(gVehicleClasses[226].KindCode(), 0);
  const int apparent[40] = {145, 170, 165, 155, 179, 134, 192, 184, 140, 203, 201, 10, 10, 30, 23, 21, 21, 0, 24, 29,
                            45,  43,  46,  63,  73,  74,  81,  81,  87,  90,  93,  77, 95, 97, 102, 109, 115, 114, 116, 207};
  for (int c = 0; c < 40; ++c) {
    // 12, 16 and 27 share their early class with 11, 15 and 26.
    if (c == 12 || c == 16 || c == 27) continue;
    EXPECT_EQ(gVehicleClasses[apparent[c]].Category(), c) << c;
  }
  EXPECT_EQ(gVehicleClasses[35].Category(), 12);
  EXPECT_EQ(gVehicleClasses[38].Category(), 13);
  EXPECT_EQ(gVehicleClasses[34].Category(), 16);
  EXPECT_EQ(gVehicleClasses[84].Category(), 27);
  EXPECT_EQ(gVehicleClasses[92].Category(), 29);
  // Armour hardness goes by index range: German below 62, American 62-131, British from 132.
  for (int i = 0; i < 62; ++i) {
    EXPECT_TRUE(gVehicleClasses[i].Category() >= 11 && gVehicleClasses[i].Category() <= 22) << i;
  }
  for (int i = 62; i < 132; ++i) EXPECT_TRUE(gVehicleClasses[i].Category() >= 23 && gVehicleClasses[i].Category() <= 38) << i;
  for (int i = 132; i < 222; ++i) {
    const int c = gVehicleClasses[i].Category();
    EXPECT_TRUE(c <= 10 || c == 39) << i;
  }
  // Crews and the figure class.
  for (int i : {40, 41, 42, 43, 44, 45, 46, 105, 106, 107, 108, 109, 110, 111, 204, 205, 206, 207, 208, 209, 210, 211}) {
    EXPECT_NE(std::string(gInfantryClasses[i].Name()).find("crew"), std::string::npos) << i;
    EXPECT_EQ(gInfantryClasses[i].MainWeapon(), WeaponData::kNone) << i;
  }
  EXPECT_EQ(gInfantryClasses[242].FigureKind(0), 4);
  // Weapons: rifle grenade and the three Panzerfausts are launchers of hollow charge; every
  // flamethrower is type 6 (type 7 is the sniper rifle, which no record is); 94 and 95 fire
  // armour-piercing as guns; 104 is none.
  for (int i : {49, 52, 53, 54}) {
    EXPECT_EQ(gWeapons[i].Type(), 1) << i;
    EXPECT_EQ(gWeapons[i].ShotType(), WeaponData::kShotHollowCharge) << i;
  }
  EXPECT_LT(gWeapons[52].MaxRange(), gWeapons[53].MaxRange());
  EXPECT_LT(gWeapons[53].MaxRange(), gWeapons[54].MaxRange());
  for (int i : {26, 51, 58, 59, 60, 71, 72, 92}) {
    EXPECT_EQ(gWeapons[i].Type(), 6) << i;
  }
  for (int i = 0; i < gWeapons.Count(); ++i) EXPECT_NE(gWeapons[i].Type(), 7) << i;
  // The flame mounts 29-31 fire as 58-60: the balloon's "FLAME" range is the weapon's own.
  for (int i : {29, 30, 31}) {
    EXPECT_EQ(static_cast<float>(gSmallArms[i].MaxRange()), gWeapons[58 + i - 29].MaxRange()) << i;
  }
  EXPECT_EQ(gWeapons[93].Type(), 4);
  for (int i : {94, 95}) {
    EXPECT_EQ(gWeapons[i].Type(), 2) << i;
    EXPECT_TRUE(Fires(gWeapons[i], 1)) << i;
  }
  for (int i : {98, 99}) {
    EXPECT_EQ(gWeapons[i].Type(), 8) << i;
  }
  EXPECT_EQ(gWeapons[101].Type(), 1);
  EXPECT_EQ(gWeapons[104].Type(), 0);
  // Small arms: 0-28 have sounds by entry, 25-28 hurt armour, 29-32 are vehicle flame mounts, 33 none.
  for (int i = 25; i <= 28; ++i) {
    EXPECT_EQ(gSmallArms[i].AntiArmourClass(), 2) << i;
  }
  // The vehicles' .50 reaches as far as the infantry's tripod gun.
  EXPECT_EQ(gSmallArms[28].MaxRange(), gSmallArms[24].MaxRange());
  // The mounts carry no anti-aircraft byte: their fire has no scatter against airplanes.
  for (int i = 29; i <= 32; ++i) EXPECT_EQ(gSmallArms[i].Flag(), 0) << i;
  EXPECT_EQ(gSmallArms[33].MaxRange(), 0);
  EXPECT_EQ(gSmallArms[33].Firepower(0), 0.0f);
}

TEST_F(DataTablesValidator, VehicleClassesKeepTheRulesTheCodeStopsOn) {
  for (int i = 0; i < gVehicleClasses.Count(); ++i) {
    SCOPED_TRACE(i);
    const VehicleData v = gVehicleClasses[i];
    EXPECT_FALSE(v.Name().empty());
    EXPECT_LE(v.AmmoLoad(), 255);
    EXPECT_NE(v.Weight(), -70);
    // The speed rules divide by the weight and the size.
    EXPECT_GT(v.Weight(), 0);
    EXPECT_GT(v.Size(), 0.0f);
    EXPECT_GE(v.ModelIndex(), 0);
    EXPECT_LE(v.ModelIndex(), 98);
    EXPECT_TRUE(gWeapons.IsValid(v.MainWeapon()));
    for (int g : {v.BowMachineGun(), v.CoaxialMachineGun(), v.ThirdMachineGun()}) {
      EXPECT_TRUE(gSmallArms.IsValid(g));
      // A machine gun is one of the entries below 29 (the .50s 25-28); 29-31 are flame
      // projectors fired as weapons 58-60; 32 has none to fire as.
      EXPECT_TRUE(g <= 31 || g == SmallArmsData::kNone) << g;
    }
    EXPECT_TRUE(v.Category() >= 0 && v.Category() <= 39);
    EXPECT_EQ(v.Flags() & ~VehicleFlag::kAll, 0);
    if (v.TurretSpeedClass() == 5) {
      EXPECT_LT(std::abs(v.TraverseLimit(0)), 180.1f);
      EXPECT_LT(std::abs(v.TraverseLimit(1)), 180.1f);
    }
    if (v.MainWeapon() != WeaponData::kNone) {
      EXPECT_GT(v.AmmoLoad(), 0);
      EXPECT_TRUE(v.AmmoRow() >= 0 && v.AmmoRow() < WeaponData::kMixRows);
    }
  }
}

TEST_F(DataTablesValidator, VehicleGunsAndTurningKeepTheirRules) {
  for (int i = 0; i < gVehicleClasses.Count(); ++i) {
    SCOPED_TRACE(i);
    const VehicleData v = gVehicleClasses[i];
    // The turn step divides by the speed; the traverse knows turret classes 0..5 only.
    if (v.KindCode() != VehicleData::kKindEmplacement) {
      EXPECT_GT(v.MaxSpeed(), 0);
    }
    // Road speeds are in miles an hour (movement and the panels read them so): no vehicle of the
    // period reaches 65 mph, no tracked or half-tracked one 55. Kilometre figures would break both.
    EXPECT_LE(v.MaxSpeed(), 65);
    if (v.KindCode() == kHalfTrack || v.KindCode() == kTracked) {
      EXPECT_LE(v.MaxSpeed(), 55);
    }
    EXPECT_TRUE(v.TurretSpeedClass() >= 0 && v.TurretSpeedClass() <= 5);
    if (v.TurretSpeedClass() != 5) {
      // A turret turns freely: no traverse limits.
      EXPECT_EQ(v.TraverseLimit(0), 0);
      EXPECT_EQ(v.TraverseLimit(1), 0);
    } else {
      // A gun pointing back has both limits negative, one pointing ahead neither.
      EXPECT_EQ(v.TraverseLimit(0) < 0, v.TraverseLimit(1) < 0);
    }
  }
  // The flame mounts fire no anti-aircraft bursts: their fire has no scatter at airplanes.
  for (int g = 29; g < gSmallArms.Count(); ++g) {
    if (g != SmallArmsData::kNone) {
      EXPECT_EQ(gSmallArms[g].Flag(), 0) << g;
    }
  }
}

TEST_F(DataTablesValidator, VehicleKindsAndGroundPressures) {
  // Which kind each class is, by its running gear, the model roster test checks.
  int tracked = 0;
  for (int i = 0; i < gVehicleClasses.Count(); ++i) {
    SCOPED_TRACE(i);
    const VehicleData v = gVehicleClasses[i];
    const int32_t kind = v.KindCode();
    EXPECT_TRUE(kind == kWheeled || kind == kHalfTrack || kind == kTracked || kind == 6) << kind;
    const float pressure = v.BaseGroundPressure();
    if (kind == kTracked) {
      // Movement and price take a tracked class's ground pressure from its record: without one a
      // tank would bear on soft ground with its weight alone, far more lightly than a jeep.
      ++tracked;
      EXPECT_GT(pressure, 0.0f);
      EXPECT_LE(pressure, 30.0f);
    } else {
      // The other kinds have fixed pressures; the panel would show a figure nothing else uses.
      EXPECT_EQ(pressure, 0.0f);
    }
  }
  EXPECT_GT(tracked, 0);
}

TEST_F(DataTablesValidator, InfantryClassesKeepTheRulesTheCodeStopsOn) {
  for (int i = 0; i < gInfantryClasses.Count(); ++i) {
    SCOPED_TRACE(i);
    const InfantryData c = gInfantryClasses[i];
    EXPECT_FALSE(c.Name().empty());
    EXPECT_LE(c.AmmoLoad(), 255);
    EXPECT_TRUE(c.WeaponSlotCount() >= 0 && c.WeaponSlotCount() <= InfantryData::kWeaponSlots);
    EXPECT_LE(c.LeaderLevel() + 1, 5);
    EXPECT_GE(c.LeaderLevel(), -1);
    EXPECT_TRUE(gWeapons.IsValid(c.MainWeapon()));
    int men = 0;
    for (int s = 0; s < c.WeaponSlotCount(); ++s) {
      EXPECT_TRUE(c.SlotSmallArms(s) >= 0 && c.SlotSmallArms(s) <= 28) << s;
      men += c.SlotMen(s);
    }
    EXPECT_EQ(men, c.Men());
    EXPECT_TRUE(c.SpeedClass() >= 0 && c.SpeedClass() <= 4);
    if (c.MainWeapon() != WeaponData::kNone) {
      EXPECT_GT(c.AmmoLoad(), 0);
    }
  }
}

TEST_F(DataTablesValidator, CrewsOfCrewServedWeaponsAndNoOthersHaveTheCrewFigureKind) {
  // The drawing stands the piece among the men only when the first figure is a crew (kind 8,
  // shown as 7 below full identification), and a crew holds nothing in the hand: a gun, mortar
  // or rocket-launcher class without it loses its piece, and any other class with it is drawn
  // at a stand-in gun.
  int mortars = 0;
  int guns = 0;
  for (int i = 0; i < gInfantryClasses.Count(); ++i) {
    SCOPED_TRACE(i);
    const InfantryData c = gInfantryClasses[i];
    const int w = c.MainWeapon();
    const int type = w == WeaponData::kNone ? 0 : gWeapons[w].Type();
    const bool crewServed = type == 2 || type == 3 || type == 4 || type == 8;
    for (int s = 0; s < InfantryData::kFigureSlots; ++s) {
      EXPECT_TRUE(c.FigureKind(s) >= 0 && c.FigureKind(s) <= 11) << s;
      // Kind 7 is what the view makes of a crew; kind 9 the crew pose's hand item.
      EXPECT_NE(c.FigureKind(s), 7) << s;
      EXPECT_NE(c.FigureKind(s), 9) << s;
      if (!crewServed) {
        EXPECT_NE(c.FigureKind(s), 8) << s;
      }
    }
    EXPECT_EQ(c.FigureKind(0) == 8, crewServed);
    if (crewServed) ++(type == 4 ? mortars : guns);
    // A fully identified crew of a piece other than a mortar shows the piece's model: one
    // without a model kind is drawn as the generic gun with a logged error.
    if (crewServed && type != 4) {
      EXPECT_NE(gWeapons[w].DrawKind(), WeaponData::kNoDrawKind) << gWeapons[w].DrawKind();
    }
  }
  EXPECT_EQ(mortars, 16);
  EXPECT_GE(guns, 40);
  // Snipers are riflemen with no piece.
  for (int i : {9, 76, 121, 150, 182, 202, 221, 239}) {
    EXPECT_NE(std::string(gInfantryClasses[i].Name()).find("Sniper"), std::string::npos) << i;
    EXPECT_EQ(gInfantryClasses[i].FigureKind(0), 0) << i;
  }
}

TEST_F(DataTablesValidator, WeaponsKeepTheRulesTheCodeStopsOn) {
  for (int i = 0; i < gWeapons.Count(); ++i) {
    SCOPED_TRACE(i);
    const WeaponData w = gWeapons[i];
    const int type = w.Type();
    EXPECT_LE(w.ExplosiveFraction(), 0.301f);
    EXPECT_EQ(w.Flags() & ~WeaponFlag::kAll, 0);
    // A model of the 23 (0..22), or none (24): any other kind is drawn as a stand-in model.
    EXPECT_TRUE((w.DrawKind() >= 0 && w.DrawKind() <= 22) || w.DrawKind() == WeaponData::kNoDrawKind);
    // The crew's weapon model is drawn at this scale; its men stand behind the piece, and
    // the gunners serving it are lifted by (72 + z) x scale - 72, which must leave them on
    // the ground.
    EXPECT_TRUE(std::isfinite(w.ModelScale()) && w.ModelScale() > 0.0f);
    if (gWeaponDraws.IsValid(w.DrawKind())) {
      const WeaponDrawData d = gWeaponDraws[w.DrawKind()];
      EXPECT_LT(d.Offset(1), 0.0f);
      EXPECT_NEAR((72.0f + d.Offset(2)) * w.ModelScale() - 72.0f, 0.0f, 1.0f);
    }
    EXPECT_TRUE(w.ShotType() >= 0 && w.ShotType() <= 5);
    if (i == WeaponData::kNone) continue;
    EXPECT_TRUE(type >= 1 && type <= 8);
    for (int k = 0; k < 4; ++k) {
      if (!Fires(w, k) || type < 1 || type > 3) continue;
      EXPECT_GT(w.Velocity(k), 0.0f) << k;
    }
    if (Fires(w, 3) || w.HollowChargePenetration() > 0.0f) {
      EXPECT_EQ(w.ShotType(), WeaponData::kShotHollowCharge);
      EXPECT_GT(w.HollowChargePenetration(), 0.0f);
    }
    if (w.ShotType() == WeaponData::kShotHollowCharge) {
      EXPECT_FALSE(Fires(w, 1));
    }
    if (type == 1 && i != 101) {
      EXPECT_TRUE(Fires(w, 3));
      EXPECT_FALSE(Fires(w, 0) || Fires(w, 1) || Fires(w, 2));
    }
    // A fragment value for the high-explosive value.
    if (type != 6 && type != 7) {
      EXPECT_TRUE(WeaponFragmentValue(i, 0) > 0.0f || WeaponFragmentValue(i, 3) > 0.0f ||
                  WeaponFragmentValue(i, 1) > 0.0f);
      EXPECT_GE(WeaponHEValue(i, false), 0);
    }
    for (int row = 0; row < WeaponData::kMixRows; ++row) {
      EXPECT_LE(w.MixPercent(row, 0) + w.MixPercent(row, 1), 100);
      EXPECT_TRUE(w.MixCount(row) >= 0 && w.MixCount(row) <= 4);
    }
    if (w.Sound() != 0) {
      EXPECT_TRUE(w.Sound() >= 240 && w.Sound() <= 299);
    }
    if (type >= 1 && type <= 5) {
      EXPECT_GE(w.MaxRange(), w.MinRange());
    }
  }
}

TEST_F(DataTablesValidator, EveryWeaponGivesASoundPenetrationAtThreeRanges) {
  for (int i = 0; i < gWeapons.Count(); ++i) {
    const int type = gWeapons[i].Type();
    if (!((type >= 1 && type <= 5) || type == 8)) continue;
    for (int k = 0; k < 4; ++k) {
      if (type == 1 ? k != 3 : !Fires(gWeapons[i], k)) continue;
      if (type == 1 && i == 101 && k != 3) continue;
      for (float range : {100.0f, 1000.0f, 2500.0f}) {
        const float pen = WeaponPenetration(false, range, i, k, false, 250, 1.0f, nullptr);
        EXPECT_TRUE(std::isfinite(pen) && pen >= 0.0f) << i << " kind " << k << " at " << range;
      }
    }
  }
  // Published figures: 8.8 cm KwK 36 about 120-160 mm at 100 m; 17 pdr APCBC above 120 mm.
  EXPECT_NEAR(WeaponPenetration(false, 100.0f, 2, 1, false, 250, 0.5f, nullptr), 145.0f, 20.0f);
  EXPECT_GT(WeaponPenetration(false, 100.0f, 61, 1, false, 250, 0.5f, nullptr), 120.0f);
  EXPECT_GT(WeaponPenetration(false, 100.0f, 3, 1, false, 250, 0.5f, nullptr),
            WeaponPenetration(false, 100.0f, 2, 1, false, 250, 0.5f, nullptr));
}

TEST_F(DataTablesValidator, OtherTablesAndTheirReferencesResolve) {
  for (int i = 0; i < gSmallArms.Count(); ++i) {
    const SmallArmsData s = gSmallArms[i];
    EXPECT_TRUE(s.AntiArmourClass() >= 0 && s.AntiArmourClass() <= 2) << i;
    for (int p = 1; p < SmallArmsData::kRangePoints; ++p) {
      EXPECT_LE(s.Firepower(p), s.Firepower(p - 1)) << i;
    }
  }
  for (int m = 0; m < gVehicleModels.Count(); ++m) {
    const VehicleModelData model = gVehicleModels[m];
    EXPECT_TRUE(model.Sound() == 0 || (model.Sound() >= 340 && model.Sound() <= 399)) << m;
    EXPECT_TRUE(model.ExtraTextureCount() >= 0 && model.ExtraTextureCount() <= 11) << m;
    for (int t = 0; t < 5; ++t) {
      EXPECT_TRUE(model.Texture(t) == 0 || (model.Texture(t) >= 4100 && model.Texture(t) <= 4899));
    }
  }
  for (int k = 0; k < gWeaponDraws.Count(); ++k) {
    const WeaponDrawData d = gWeaponDraws[k];
    EXPECT_TRUE(d.TextureCount() >= 0 && d.TextureCount() <= 17) << k;
    for (int t = 0; t < d.TextureCount(); ++t) {
      EXPECT_TRUE(d.Texture(t) >= 4900 && d.Texture(t) <= 4999) << k;
    }
  }
  // Each formation is named as its army named it, once among the formations of any one force,
  // with no number tacked on, and its infantry are men its forces field (a vehicle class names
  // at most four forces, fewer than a German formation serves).
  std::set<std::pair<int, std::string>> named;
  for (int f = 0; f < gFormations.Count(); ++f) {
    SCOPED_TRACE(f);
    const FormationData form = gFormations[f];
    const std::string name(form.Name());
    EXPECT_FALSE(name.empty());
    EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(name.back()))) << name;
    for (int n = 0; n < form.NationCount(); ++n) EXPECT_TRUE(named.insert({form.Nation(n), name}).second) << name;
    auto fields = [&](const auto& record) {
      for (int n = 0; n < form.NationCount(); ++n) {
        bool found = false;
        for (int i = 0; i < record.ForceCount(); ++i) found = found || record.Force(i) == form.Nation(n);
        if (!found) return false;
      }
      return true;
    };
    EXPECT_LE(form.NationCount(), FormationData::kMaxNations);
    EXPECT_LE(form.EntryCount(), FormationData::kMaxEntries);
    EXPECT_LE(form.FirstDate(), form.LastDate());
    for (int e = 0; e < form.EntryCount(); ++e) {
      const int cls = form.EntryClass(e);
      switch (form.EntryKind(e)) {
        case 0: EXPECT_TRUE(gInfantryClasses.IsValid(cls) && fields(gInfantryClasses[cls])) << cls; break;
        case 1: EXPECT_TRUE(gVehicleClasses.IsValid(cls)); break;
        case FormationData::kNestedFormation: EXPECT_TRUE(gFormations.IsValid(cls) && cls != f); break;
        default: ADD_FAILURE() << "entry kind " << form.EntryKind(e);
      }
      EXPECT_GT(form.EntryNumber(e), 0);
    }
  }
}

TEST_F(DataTablesValidator, EverySoundTheTablesNameHasACatalogueRow) {
  const std::set<int32_t> rows = SoundCatalogueRows();
  ASSERT_FALSE(rows.empty());
  for (int i = 0; i < gWeapons.Count(); ++i) {
    if (gWeapons[i].Sound() != 0) {
      EXPECT_EQ(rows.count(gWeapons[i].Sound()), 1u) << "weapon " << i;
    }
  }
  for (int m = 0; m < gVehicleModels.Count(); ++m) {
    if (gVehicleModels[m].Sound() != 0) {
      EXPECT_EQ(rows.count(gVehicleModels[m].Sound()), 1u) << "model " << m;
    }
  }
}

TEST(SurnameLists, HaveTheirSizesWidthsAndUniqueNames) {
  const int counts[6] = {430, 547, 431, 238, 267, 320};
  const int widths[6] = {14, 12, 13, 12, 13, 13};
  for (int g = 0; g < SurnameList::kGroups; ++g) {
    const SurnameList& list = SurnameList::OfGroup(g);
    EXPECT_EQ(list.Count(), counts[g]);
    EXPECT_EQ(list.Width(), widths[g]);
    std::set<std::string> names;
    for (int i = 0; i < list.Count(); ++i) {
      const std::string name(list.Name(i));
      EXPECT_FALSE(name.empty());
      EXPECT_LT(static_cast<int>(name.size()), list.Width());
      EXPECT_TRUE(std::isupper(static_cast<unsigned char>(name[0]))) << name;
      // NUL-padded to the width.
      for (int b = static_cast<int>(name.size()); b < list.Width(); ++b)
        EXPECT_EQ(list.Entries()[i * list.Width() + b], '\0');
      names.insert(name);
    }
    EXPECT_EQ(static_cast<int>(names.size()), list.Count()) << g;
  }
}

TEST_F(DataTablesValidator, RangesThePurchaseScreensShow) {
  // Speed class names, vehicle type names, the ammunition mix rows and formation entries.
  for (int32_t i = 0; i < gInfantryClasses.Count(); ++i) {
    const InfantryData r = gInfantryClasses[i];
    EXPECT_TRUE(r.SpeedClass() >= 0 && r.SpeedClass() <= 4) << i;  // 0: immobile
    EXPECT_TRUE(r.AmmoRow() >= 0 && r.AmmoRow() < WeaponData::kMixRows) << i;
    EXPECT_TRUE(r.WeaponSlotCount() >= 0 && r.WeaponSlotCount() <= InfantryData::kWeaponSlots) << i;
    // A squad's name takes " Squad", " Team" or " Sqd" from the name composition: the table
    // names the troops only.
    if (r.IsSquad() != 0) {
      for (const std::string_view name : {r.Name(), r.ShortName()}) {
        EXPECT_EQ(name.find(" squad"), std::string_view::npos) << i;
        EXPECT_EQ(name.find(" section"), std::string_view::npos) << i;
      }
    }
  }
  for (int32_t i = 0; i < gVehicleClasses.Count(); ++i) {
    const VehicleData r = gVehicleClasses[i];
    EXPECT_TRUE(r.TypeCode() >= 0 && r.TypeCode() <= 23) << i;
    // The Armor page holds the armoured fighting vehicles (types 0-10); fortifications are pillboxes.
    EXPECT_EQ(r.ArmourPage() != 0, r.TypeCode() <= 10) << i;
    if (r.KindCode() == VehicleData::kKindEmplacement) {
      EXPECT_EQ(r.TypeCode(), 23) << i;
    }
    EXPECT_TRUE(r.AmmoRow() >= 0 && r.AmmoRow() < WeaponData::kMixRows) << i;
  }
  for (int32_t f = 0; f < gFormations.Count(); ++f) {
    const FormationData r = gFormations[f];
    EXPECT_LE(r.EntryCount(), FormationData::kMaxEntries) << f;
    for (int32_t e = 0; e < r.EntryCount() && e < FormationData::kMaxEntries; ++e) {
      const int32_t kind = r.EntryKind(e);
      EXPECT_TRUE(kind == 0 || kind == 1 || kind == FormationData::kNestedFormation) << f;
      const bool valid = kind == 0   ? gInfantryClasses.IsValid(r.EntryClass(e))
                         : kind == 1 ? gVehicleClasses.IsValid(r.EntryClass(e))
                                     : gFormations.IsValid(r.EntryClass(e));
      EXPECT_TRUE(valid) << f;
    }
  }
}
