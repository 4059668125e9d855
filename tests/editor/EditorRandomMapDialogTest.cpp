// The random map dialog on the fake back-end: its layout and defaults, keeping its choices in
// the map editor, generating from the map editor and in a quick battle, and cancelling.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EditorRig.h"
#include "editor/EditorMapPreview.h"
#include "editor/RandomMapGenerator.h"
#include "framework/core/Quorl.h"
#include "framework/ui/GLabel.h"
#include "framework/ui/GPopup.h"
#include "framework/ui/GStripButton.h"
#include "game/battle/Battle.h"
#include "game/map/Map.h"
#include "support/ScreenBitmaps.h"

namespace {

// The editor with the pictures of the dialog's two buttons.
class DialogRig : public EditorRig {
 public:
  DialogRig() { CopyScreenBitmaps(shell.folder); }
};

struct Child {
  std::string kind;
  int32_t x;
  int32_t y;
  int32_t value;  // command, label width or current item
  std::string text;
  int32_t extra;  // click sound or item count
};

std::vector<Child> Children(GView* view) {
  std::vector<Child> out;
  for (int32_t i = 0; i < view->GetChildCount(); ++i) {
    GView* child = view->GetChild(i);
    const int32_t x = child->Bounds().left - view->Bounds().left;
    const int32_t y = child->Bounds().top - view->Bounds().top;
    if (auto* button = dynamic_cast<GStripButton*>(child)) {
      out.push_back({"button", x, y, button->GetCommand(), "", button->GetClickSound()});
    } else if (auto* label = dynamic_cast<GLabel*>(child)) {
      out.push_back({"label", x, y, label->Width(), label->GetText().CStr(), 0});
    } else if (auto* popup = dynamic_cast<GPopup*>(child)) {
      out.push_back({"popup", x, y, popup->GetCurrentItem(), popup->GetItemText(popup->GetCurrentItem())->CStr(),
                     popup->GetItemCount()});
    }
  }
  return out;
}

// What a generated map is made of: codes, roads and heights of every tile.
std::vector<float> Snapshot(const Map& map) {
  std::vector<float> out = {static_cast<float>(map.size.tilesX), static_cast<float>(map.size.tilesY)};
  for (int32_t x = 0; x < map.size.tilesX; ++x) {
    for (int32_t y = 0; y < map.size.tilesY; ++y) {
      out.push_back(map.terrain.tiles.At(x, y).code);
      out.push_back(map.terrain.tiles.At(x, y).roadCode);
      out.push_back(map.terrain.tileHeight.At(x, y));
    }
  }
  return out;
}

}  // namespace

TEST(EditorRandomMapDialog, LayoutDefaultsAndKeptChoices) {
  DialogRig rig;
  EditorState* state = rig.State();
  ASSERT_NE(state, nullptr);
  state->DoCommand(143);
  GView* dialog = state->secondDialog;
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(dialog->Width(), 420);
  EXPECT_EQ(dialog->Height(), 220);
  EXPECT_EQ(dialog->Bounds().left, (640 - 420) / 2);
  EXPECT_EQ(dialog->Bounds().top, (480 - 220) / 2);
  const std::vector<Child> children = Children(dialog);
  const std::vector<Child> expected = {
      {"button", 0, 0, 144, "", 152},
      {"button", 200, 0, 145, "", 152},
      {"label", 10, 81, 120, "Map Type", 0},
      {"popup", 130, 80, 1, "Village", 4},
      {"label", 10, 111, 120, "Tree Coverage", 0},
      {"popup", 130, 110, 2, "Moderate", 4},
      {"label", 10, 141, 120, "Hilliness", 0},
      {"popup", 130, 140, 2, "Small Hills", 5},
  };
  ASSERT_EQ(children.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(children[i].kind, expected[i].kind);
    EXPECT_EQ(children[i].x, expected[i].x);
    EXPECT_EQ(children[i].y, expected[i].y);
    EXPECT_EQ(children[i].value, expected[i].value);
    EXPECT_EQ(children[i].text, expected[i].text);
    EXPECT_EQ(children[i].extra, expected[i].extra);
  }
  EXPECT_EQ(state->mapTypePopup->GetItemText(3)->CStr(), std::string("Rural"));
  EXPECT_EQ(state->hillinessPopup->GetItemText(4)->CStr(), std::string("Large Hills"));

  // Cancelled in the map editor, the dialog is only hidden and the screen shown again; opened
  // again it is the same dialog with the choices made before.
  auto* screen = new GView();
  screen->Place(state->rootView, -1, -1, 200, 100);
  state->screenView = screen;
  state->mapTypePopup->SetCurrentItem(3);
  state->hillinessPopup->SetCurrentItem(0);
  state->DoCommand(143);
  EXPECT_FALSE(screen->IsVisible());
  state->DoCommand(145);
  EXPECT_EQ(state->secondDialog, dialog);
  EXPECT_FALSE(dialog->IsVisible());
  EXPECT_TRUE(screen->IsVisible());
  state->DoCommand(143);
  EXPECT_EQ(state->secondDialog, dialog);
  EXPECT_TRUE(dialog->IsVisible());
  EXPECT_FALSE(screen->IsVisible());
  EXPECT_EQ(state->mapTypePopup->GetCurrentItem(), 3);
  EXPECT_EQ(state->treeCoveragePopup->GetCurrentItem(), 2);
  EXPECT_EQ(state->hillinessPopup->GetCurrentItem(), 0);
}

TEST(EditorRandomMapDialog, GenerateFromTheMapEditorUsesTheFieldsAndTheChoices) {
  DialogRig rig;
  EditorState* state = rig.State();
  Battle* battle = rig.App().GetBattle();
  ASSERT_NE(battle, nullptr);
  ASSERT_NE(battle->map, nullptr);
  battle->attacker = 0;
  // The map editor screen with its two size fields.
  auto* screen = new GView();
  screen->Place(state->rootView, -1, -1, 400, 300);
  state->screenView = screen;
  auto* widthField = new GControl();
  widthField->Place(screen, 0, 0, 50, 20);
  widthField->SetValue(1200);
  auto* heightField = new GControl();
  heightField->Place(screen, 0, 30, 50, 20);
  heightField->SetValue(780);
  state->mapWidthControl = widthField;
  state->mapHeightControl = heightField;
  state->DoCommand(143);
  state->mapTypePopup->SetCurrentItem(0);
  state->treeCoveragePopup->SetCurrentItem(3);
  state->hillinessPopup->SetCurrentItem(4);
  GView* dialog = state->secondDialog;
  SeedRandom(4242);
  state->DoCommand(144);
  const std::vector<float> made = Snapshot(*battle->map);
  EXPECT_EQ(made[0], 60.0f);
  EXPECT_EQ(made[1], 39.0f);
  // The dialog stays, hidden, with its choices; the map editor screen is made again over the
  // new map, its fields showing the new size.
  EXPECT_EQ(state->secondDialog, dialog);
  EXPECT_FALSE(dialog->IsVisible());
  EXPECT_EQ(state->mapTypePopup->GetCurrentItem(), 0);
  ASSERT_NE(state->screenView, nullptr);
  ASSERT_NE(state->mapView, nullptr);
  EXPECT_EQ(state->mapView->GetMap(), battle->map);
  ASSERT_NE(state->mapWidthControl, nullptr);
  EXPECT_EQ(EditorState::GetControlValue(state->mapWidthControl), 1200);
  EXPECT_EQ(EditorState::GetControlValue(state->mapHeightControl), 780);
  // Leaving the map editor deletes the dialog with its popups.
  state->DoCommand(136);
  EXPECT_EQ(state->secondDialog, nullptr);
  EXPECT_EQ(state->mapTypePopup, nullptr);
  // The map is the generator's for the dialog's choices and the attacker's edge.
  RandomMapParams params;
  params.widthMetres = 1200.0f;
  params.heightMetres = 780.0f;
  params.mapType = 0;
  params.treeCoverage = 3;
  params.hilliness = 4;
  params.attackerEdge = battle->FindEdgeOfSide(0);
  SeedRandom(4242);
  RandomMapGenerator::Generate(*battle->map, params);
  EXPECT_TRUE(Snapshot(*battle->map) == made);
}

TEST(EditorRandomMapDialog, QuickBattleNarrowsDeletesTheDialogAndCompletes) {
  DialogRig rig;
  EditorState* state = rig.State();
  Battle* battle = rig.App().GetBattle();
  ASSERT_NE(battle, nullptr);
  state->quickBattle = 1;
  state->quickMapWidth = 1600;
  state->quickMapHeight = 800;
  battle->weather = 5;
  state->DoCommand(143);
  state->mapTypePopup->SetCurrentItem(2);
  // The editor stays open: the start of play is left out here.
  EditorState::quickBattleStarter = [](WRApplication&) {};
  state->DoCommand(144);
  EditorState::quickBattleStarter = EditorState::StartQuickBattleInApplication;
  // The completion rebuilds the battle from a file.
  battle = rig.App().GetBattle();
  ASSERT_NE(battle, nullptr);
  // 1600 m in snow narrows to 1120 m: 56 tiles.
  EXPECT_EQ(battle->map->size.tilesX, 56);
  EXPECT_EQ(battle->map->size.tilesY, 40);
  EXPECT_EQ(state->secondDialog, nullptr);
  EXPECT_EQ(state->mapTypePopup, nullptr);
  EXPECT_EQ(state->treeCoveragePopup, nullptr);
  EXPECT_EQ(state->hillinessPopup, nullptr);

  // Each quick battle starts from the initial items; cancelling goes back to the set-up.
  state->DoCommand(143);
  ASSERT_NE(state->mapTypePopup, nullptr);
  EXPECT_EQ(state->mapTypePopup->GetCurrentItem(), 1);
  state->DoCommand(145);
  EXPECT_EQ(state->secondDialog, nullptr);
  EXPECT_EQ(state->mapTypePopup, nullptr);
  EXPECT_NE(state->quickPopups[EditorState::kQuickDate], nullptr);
}

TEST(EditorRandomMapDialog, NarrowingLooksAtTheAttackersForceOnly) {
  EXPECT_EQ(EditorState::NarrowQuickBattleWidth(1600, 2, 0, 0, 0, 0, 5), 1120);
  EXPECT_EQ(EditorState::NarrowQuickBattleWidth(2000, 3, 0, 1, 0, 2, 4), 1040);
  EXPECT_EQ(EditorState::NarrowQuickBattleWidth(2000, 3, 1, 1, 0, 2, 4), 1120);
  EXPECT_EQ(EditorState::NarrowQuickBattleWidth(720, 2, 0, 1, 1, 0, 0), 720);
}
