# The simulator's layouts through uxconv --through-objects: the first pass may
# drop defaults and spell floats out, but it must keep every picture's bytes,
# and a second pass must give the first pass's file back byte for byte.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
foreach(layout console display settings)
  execute_process(COMMAND ${UXCONV} --through-objects ${LAYOUTS}/${layout}.txt ${WORK}/${layout}.once.txt
                  RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${layout}: the first pass failed: ${rc}")
  endif()
  execute_process(COMMAND ${UXCONV} --through-objects ${WORK}/${layout}.once.txt ${WORK}/${layout}.twice.txt
                  RESULT_VARIABLE rc)
  file(READ ${WORK}/${layout}.once.txt once)
  file(READ ${WORK}/${layout}.twice.txt twice)
  if(NOT rc EQUAL 0 OR NOT once STREQUAL twice)
    message(FATAL_ERROR "${layout}: a second pass changed the layout (exit ${rc})")
  endif()
  # The pictures as stored: the hex digits of every Bitmap.PNG block.
  file(READ ${LAYOUTS}/${layout}.txt original)
  foreach(which original once)
    string(REGEX MATCHALL "Bitmap\\.PNG = {[^}]*}" blocks "${${which}}")
    string(REGEX REPLACE "[ \n]" "" pictures_${which} "${blocks}")
  endforeach()
  if(NOT pictures_original STREQUAL pictures_once)
    message(FATAL_ERROR "${layout}: a picture was re-encoded")
  endif()
endforeach()
