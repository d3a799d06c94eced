# uxconv --through-objects: a layout read into live objects comes back without
# the values at their defaults and with what alignment placed; brushes, paths
# and a translucent bitmap (kept as PNG) survive, and so do handler names, which
# the tool cannot bind; a second pass changes nothing; an unknown property or class fails with the reader's message
# and leaves OUT alone.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

execute_process(COMMAND ${UXCONV} --through-objects ${SAMPLE} ${WORK}/once.txt RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "through-objects failed: ${rc}")
endif()
file(READ ${WORK}/once.txt once)
foreach(gone "Opacity" "Position.Point" "Width = 50")
  string(FIND "${once}" "${gone}" at)
  if(NOT at EQUAL -1)
    message(FATAL_ERROR "'${gone}' is at its default and must vanish:\n${once}")
  endif()
endforeach()
foreach(kept "Height = 295\n    Margins.Rect = '(2,2,2,2)'" "OnMouseDown = LayMouseDown" "Brush.Color = '#FF3E3E3E'" "Path.Path = {"
             "Bitmap.PNG = {\n      89504E47" "Offset = 0.4280579" "RadialTransform.Scale.Point = '(2,1)'")
  string(FIND "${once}" "${kept}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "'${kept}' missing:\n${once}")
  endif()
endforeach()

execute_process(COMMAND ${UXCONV} --through-objects ${WORK}/once.txt ${WORK}/twice.bin RESULT_VARIABLE rc)
execute_process(COMMAND ${UXCONV} --to-text ${WORK}/twice.bin ${WORK}/twice.txt RESULT_VARIABLE rc2)
file(READ ${WORK}/twice.txt twice)
if(NOT rc EQUAL 0 OR NOT rc2 EQUAL 0 OR NOT once STREQUAL twice)
  message(FATAL_ERROR "a second pass changed the layout:\n${twice}")
endif()

file(WRITE ${WORK}/out.txt "keep me")
file(WRITE ${WORK}/bad.txt "object R: TuiLayout\n  Nope = 1\nend\n")
execute_process(COMMAND ${UXCONV} --through-objects ${WORK}/bad.txt ${WORK}/out.txt
                RESULT_VARIABLE rc ERROR_VARIABLE err)
file(READ ${WORK}/out.txt out)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Error reading R.Nope: Property Nope does not exist" OR NOT out STREQUAL "keep me")
  message(FATAL_ERROR "unknown property: exit ${rc}, '${err}', OUT '${out}'")
endif()

file(WRITE ${WORK}/bad.txt "object R: TuiNoSuchThing\nend\n")
execute_process(COMMAND ${UXCONV} --through-objects ${WORK}/bad.txt ${WORK}/out.txt
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 1 OR NOT err MATCHES "Class TuiNoSuchThing not found")
  message(FATAL_ERROR "unknown class: exit ${rc}, '${err}'")
endif()
