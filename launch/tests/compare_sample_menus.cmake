# The sample menus in samples/ are what the generator writes: regenerate them
# into OUT and compare byte for byte.
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${OUT})
execute_process(COMMAND ${TOOL} ${OUT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the sample menu generator failed")
endif()
foreach(menu QELMENU.qlm QELSUB.qlm)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${OUT}/${menu} ${SAMPLES}/${menu}
                  RESULT_VARIABLE differ)
  if(NOT differ EQUAL 0)
    message(FATAL_ERROR "samples/${menu} differs from the generator's output")
  endif()
endforeach()
