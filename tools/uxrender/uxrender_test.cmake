# Runs uxrender end to end. Expects UXRENDER, PROBE, UXCONV, EXAMPLES and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run expected_status)
  execute_process(COMMAND ${UXRENDER} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "uxrender ${ARGN}: exit ${status}, expected ${expected_status}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_match text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected \"${pattern}\" in:\n${text}")
  endif()
endfunction()

# expect_pixels(FILE WxH X,Y=#AARRGGBB...): the picture's size and straight
# colours as the file holds them, read back by the PNG library.
function(expect_pixels png size)
  set(points "")
  set(want "${size}")
  foreach(pair ${ARGN})
    string(REPLACE "=" ";" parts "${pair}")
    list(GET parts 0 point)
    list(GET parts 1 colour)
    list(APPEND points ${point})
    string(APPEND want "\n${colour}")
  endforeach()
  execute_process(COMMAND ${PROBE} ${png} ${points} RESULT_VARIABLE status OUTPUT_VARIABLE got ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${png} does not read back: ${err}")
  endif()
  string(STRIP "${got}" got)
  if(NOT got STREQUAL want)
    message(FATAL_ERROR "${png} (${points}): got\n${got}\nexpected\n${want}")
  endif()
endfunction()

function(expect_absent path)
  if(EXISTS ${path})
    message(FATAL_ERROR "a failed run left ${path}")
  endif()
endfunction()

set(hud ${EXAMPLES}/hud_panel.txt)

# At its own size: a PNG file with an alpha channel, 240 x 120. Outside the
# rounded corner nothing is painted; the translucent backdrop keeps its
# straight colour; the LEDs, the level and its track are where the layout
# puts them.
run(0 ${hud} ${WORK}/hud.png)
file(READ ${WORK}/hud.png header HEX LIMIT 26)
expect_match("${header}" "^89504e470d0a1a0a0000000d49484452000000f00000007808")
expect_match("${header}" "06$")
set(hud_pixels "1,1=#00000000" "120,34=#C0102030" "30,54=#FF30E060" "120,54=#FFF0B020" "150,54=#FF203028"
               "60,92=#FF40C0FF" "200,92=#FF203040")
expect_pixels(${WORK}/hud.png 240x120 ${hud_pixels})

# The binary form paints the same picture.
execute_process(COMMAND ${UXCONV} --to-binary ${hud} ${WORK}/hud.bin RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "uxconv could not convert the example")
endif()
run(0 ${WORK}/hud.bin ${WORK}/hud-from-binary.png)
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/hud.png ${WORK}/hud-from-binary.png
                RESULT_VARIABLE differ)
if(differ)
  message(FATAL_ERROR "the binary form painted another picture")
endif()

# Scaled, and cut to a given area; options go anywhere.
run(0 --scale 2 ${hud} ${WORK}/hud2.png)
expect_pixels(${WORK}/hud2.png 480x240 "2,2=#00000000" "60,108=#FF30E060" "400,184=#FF203040")
run(0 ${hud} ${WORK}/hud-cut.png --size 100x50 --scale 0.5)
expect_pixels(${WORK}/hud-cut.png 50x25 "15,23=#FF30E060")
run(0 ${hud} ${WORK}/hud-wide.png --size 300x120)
expect_pixels(${WORK}/hud-wide.png 300x120 "30,54=#FF30E060" "270,60=#00000000")

# Every example paints.
file(GLOB examples ${EXAMPLES}/*.txt)
foreach(example ${examples})
  get_filename_component(name ${example} NAME_WE)
  run(0 ${example} ${WORK}/${name}.png)
endforeach()

# Damaged input: exit 1, the reader's message and where, no file made and an
# existing one left as it was.
file(WRITE ${WORK}/bad.txt "object R: TuiLayout\n  Width = 'open\nend\n")
run(1 ${WORK}/bad.txt ${WORK}/bad.png)
expect_match("${err}" "^uxrender: .*bad.txt:2:[0-9]+: Invalid stream format")
expect_absent(${WORK}/bad.png)
file(WRITE ${WORK}/keep.png "keep")
run(1 ${WORK}/bad.txt ${WORK}/keep.png)
file(READ ${WORK}/keep.png kept)
if(NOT kept STREQUAL "keep")
  message(FATAL_ERROR "a failed run changed its output")
endif()
file(WRITE ${WORK}/cut.bin "TPF0\tTuiLayout")
run(1 ${WORK}/cut.bin ${WORK}/cut.png)
expect_match("${err}" "cut.bin: byte 14: Stream read error")
expect_absent(${WORK}/cut.png)

# Read, but nothing to paint.
foreach(case "object R: TuiNoSuchThing\nend\n|Class TuiNoSuchThing not found"
             "object B: TuiBrushObject\nend\n|the root TuiBrushObject is no visual object"
             "object R: TuiLayout\n  Width = 0\nend\n|the root R has no area to paint"
             "object R: TuiLayout\n  Nope = 1\nend\n|Error reading R.Nope: Property Nope does not exist")
  string(REPLACE "|" ";" parts "${case}")
  list(GET parts 0 text)
  list(GET parts 1 message)
  file(WRITE ${WORK}/refused.txt "${text}")
  run(1 ${WORK}/refused.txt ${WORK}/refused.png)
  expect_match("${err}" "refused.txt: ${message}")
  expect_absent(${WORK}/refused.png)
endforeach()
run(1 ${WORK}/missing.txt ${WORK}/missing.png)
expect_absent(${WORK}/missing.png)
run(1 ${hud} ${WORK}/hud.png --size 16385x10)
expect_match("${err}" "16385 x 10 pixels is beyond the limits")

# A value that takes its fallback: a warning, the picture, exit 3.
file(WRITE ${WORK}/lossy.txt "object R: TuiLayout\n  Width = 20\n  Height = 10\n  object C: TuiCircle\n    Fill.Color = 'nonsense'\n  end\nend\n")
run(3 ${WORK}/lossy.txt ${WORK}/lossy.png)
expect_match("${err}" "lossy.txt: warning: R.C: Fill.Color: 'nonsense' is not a colour, read as its fallback")
expect_pixels(${WORK}/lossy.png 20x10)

# Wrong usage.
run(2)
run(2 ${hud})
run(2 ${hud} ${WORK}/x.png extra)
foreach(bad "--size;0x5" "--size;12" "--size;-3x4" "--scale;0" "--scale;17" "--scale;nan" "--size" "--depth;3")
  run(2 ${hud} ${WORK}/x.png ${bad})
endforeach()
expect_absent(${WORK}/x.png)
run(0 --help)
expect_match("${out}" "--size WxH")
expect_match("${out}" "3 read with losses")
