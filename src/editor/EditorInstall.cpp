#include "editor/EditorInstall.h"

#include <memory>

#include "app/WRApplication.h"
#include "editor/EditorState.h"

void InstallEditor(WRApplication& app) {
  app.SetEditorFactory([](WRApplication& owner) { return std::make_unique<EditorState>(&owner); });
}
