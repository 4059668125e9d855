# Fails when a battle rules file (a header or source directly in game/battle, not in its
# screen/) includes a view, picture, sound or 3-D header of the framework, or names the
# renderer or a map view: the screen half of the battle lives in game/battle/screen.
#   cmake -DROOT=<src folder> -P CheckRulesWithoutScreen.cmake
if(NOT ROOT)
  message(FATAL_ERROR "CheckRulesWithoutScreen: ROOT is needed")
endif()
get_filename_component(ROOT "${ROOT}" ABSOLUTE)
file(GLOB files RELATIVE "${ROOT}" "${ROOT}/game/battle/*.h" "${ROOT}/game/battle/*.cpp")
list(SORT files)
set(faults 0)
foreach(file IN LISTS files)
  file(STRINGS "${ROOT}/${file}" lines REGEX "#[ \t]*include[ \t]*\"framework/(ui|media)/|ScreenViews|GGraph3D|MapView")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" line)
    message(SEND_ERROR "${file}: ${line}: the battle's rules include or name its screen")
    math(EXPR faults "${faults} + 1")
  endforeach()
endforeach()
list(LENGTH files count)
if(faults GREATER 0)
  message(FATAL_ERROR "${faults} screen reference(s) in the battle's rules")
endif()
message(STATUS "${count} battle rules files: none reaches the screen")
