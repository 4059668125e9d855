#pragma once
#include <cstdint>
#include <string>
#include <vector>

class EditorValueLabel;
class GLabel;
class Map;
class GPopup;
class GStripButton;
class GView;

// The pieces the editor's parameters and briefing dialogs are built from: the dialog itself,
// labels and popups from the string table, number fields with their arrow buttons.
namespace EditorDialogParts {

// A dialog of the given size centred in the root view, on the editor's dark red.
GView* OpenDialog(GView* root, int32_t width, int32_t height);
// A label of string id, 15 high, not filled.
GLabel* Label(GView* parent, int32_t x, int32_t y, int32_t width, int16_t id);
// A popup of the texts of string ids first .. first + count - 1.
GPopup* Popup(GView* parent, int32_t x, int32_t y, int16_t first, int32_t count, int32_t current);
// A popup of the given string ids.
GPopup* Popup(GView* parent, int32_t x, int32_t y, const std::vector<int16_t>& ids, int32_t current);
// A popup of plain texts.
GPopup* Popup(GView* parent, int32_t x, int32_t y, const std::vector<std::string>& texts, int32_t current);
// A strip button with its command, bitmap and style, and the click sound when not negative.
GStripButton* Button(GView* parent, int32_t x, int32_t y, int32_t command, int16_t bitmap, int32_t style,
                     int16_t sound);
// A number field with its suffix (string id, or 0 for none), and its up and down arrows
// (bitmaps 10024 and 10025) at (arrowX, arrowY) and (arrowX + 20, arrowY), repeating.
EditorValueLabel* NumberField(GView* parent, int32_t x, int32_t y, int32_t width, int32_t value, int16_t suffixId,
                              int32_t arrowX, int32_t arrowY, int32_t upCommand, uint16_t repeatMs);
// A stored index brought into a list of count items.
int32_t Nearest(int32_t index, int32_t count);
// The date popup (June 1944 to May 1945): the item nearest a stored date (year x 100 +
// month), and the date of an item.
int32_t DateChoice(int32_t date);
int32_t DateOfChoice(int32_t choice);
// The contours popup ("Normal (2.5m)", "Steep (5m)"): the item of the map's height scale (the
// first without a map), and the commit of an item: the new scale, every tile height scaled by
// new scale / old scale.
int32_t ContoursChoice(const Map* map);
void SetContours(Map& map, int32_t choice);

}  // namespace EditorDialogParts
