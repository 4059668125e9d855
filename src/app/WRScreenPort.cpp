#include "app/WRScreenPort.h"

#include "app/WRApplication.h"

void WRScreenPort::Beep() { app_.Beep(); }
void WRScreenPort::ResetCameraDipAndZoom() { app_.ResetCameraDipAndZoom(); }
void WRScreenPort::RefreshBattleScreen() { app_.RefreshBattleScreen(); }
void WRScreenPort::RequestReinforcementsNotice() { app_.SetReinforcementsPending(true); }
void WRScreenPort::DrawTextAt(const char* text, bool highlight, float x, float y, float z) {
  app_.DrawTextAt(text, highlight, x, y, z);
}
void WRScreenPort::DrawLabelAt(int32_t x, int32_t y, const char* text1, int32_t code1, const char* text2,
                               int32_t code2) {
  app_.DrawLabelAt(x, y, text1, code1, text2, code2);
}
void WRScreenPort::ShowCursor(bool show) { app_.ShowCursor(show); }
void WRScreenPort::PlaySound(int32_t number) { app_.PlaySound(number); }
void WRScreenPort::SetBattlefieldProjection(float fieldOfView, float nearPlane, float farPlane) {
  app_.SetBattlefieldProjection(fieldOfView, nearPlane, farPlane);
}
void WRScreenPort::FillBattlefieldBackground() { app_.FillBattlefieldBackground(); }
void WRScreenPort::SetSoundDistanceOffset(float metres) { app_.SetSoundDistanceOffset(metres); }
void WRScreenPort::DrawBurningTiles(Map& map) { app_.DrawBurningTiles(map); }
void WRScreenPort::DrawSmoke(Map& map) { app_.DrawSmoke(map); }
void WRScreenPort::KeepMapSounds(Map& map, bool reposition) { app_.KeepMapSounds(map, reposition); }
void WRScreenPort::StartMapSound(Map& map, const MapPacket& event) { app_.StartMapSound(map, event); }
void WRScreenPort::SetCameraCounter(bool on) { app_.SetCameraCounter(on); }
void WRScreenPort::RaiseCameraCounter() { app_.RaiseCameraCounter(); }
void WRScreenPort::OpenPurchaseScreen(int32_t side) { app_.OpenPurchaseScreen(side); }
void WRScreenPort::ReturnToEditor() { app_.ReturnToEditor(); }
void WRScreenPort::EndTitleSound() { app_.EndTitleSound(); }
