# Runs make_random_map twice with the same arguments and checks that both runs write the same
# map and preview bytes, then that a bad size writes nothing and fails.
#   cmake -DTOOL=... -DDIR=... -P RunTwice.cmake
set(_args --seed 1944 --width 1200 --height 1000 --type 1 --trees 2 --hills 2 --attacker-edge west)
file(MAKE_DIRECTORY ${DIR})
foreach(_run a b)
  file(REMOVE ${DIR}/${_run}.map ${DIR}/${_run}.bmp)
  execute_process(COMMAND ${TOOL} ${_args} --out ${DIR}/${_run}.map --preview ${DIR}/${_run}.bmp RESULT_VARIABLE _rc)
  if(NOT _rc EQUAL 0)
    message(FATAL_ERROR "make_random_map failed: ${_rc}")
  endif()
endforeach()
foreach(_ext map bmp)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${DIR}/a.${_ext} ${DIR}/b.${_ext} RESULT_VARIABLE _same)
  if(NOT _same EQUAL 0)
    message(FATAL_ERROR "two runs wrote different ${_ext} files")
  endif()
endforeach()
file(REMOVE ${DIR}/bad.map)
execute_process(COMMAND ${TOOL} --seed 1 --width 40 --height 1000 --type 1 --trees 2 --hills 2 --out ${DIR}/bad.map
                RESULT_VARIABLE _rc ERROR_QUIET)
if(_rc EQUAL 0 OR EXISTS ${DIR}/bad.map)
  message(FATAL_ERROR "a map of 2 tiles was not refused")
endif()
