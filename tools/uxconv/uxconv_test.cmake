# Runs uxconv end to end. Expects UXCONV, SAMPLE and WORK.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})

function(run expected_status)
  execute_process(COMMAND ${UXCONV} ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL expected_status)
    message(FATAL_ERROR "uxconv ${ARGN}: exit ${status}, expected ${expected_status}\n${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_same a b)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${a} ${b} RESULT_VARIABLE differ)
  if(differ)
    message(FATAL_ERROR "${a} and ${b} differ")
  endif()
endfunction()

function(expect_match text pattern)
  if(NOT text MATCHES "${pattern}")
    message(FATAL_ERROR "expected \"${pattern}\" in:\n${text}")
  endif()
endfunction()

# Text -> binary -> text -> binary: the binaries are identical, and the
# printed text reads back to itself.
run(0 --to-binary ${SAMPLE} ${WORK}/a.bin)
run(0 --to-text ${WORK}/a.bin ${WORK}/b.txt)
run(0 --to-binary ${WORK}/b.txt ${WORK}/c.bin)
expect_same(${WORK}/a.bin ${WORK}/c.bin)
run(0 --to-text ${WORK}/b.txt ${WORK}/d.txt)
expect_same(${WORK}/b.txt ${WORK}/d.txt)
file(READ ${WORK}/b.txt text)
expect_match("${text}" "StopValue = 7\n")
expect_match("${text}" "Hint = 'Gaz '#8211' Benzin'\n")
run(0 --check ${WORK}/a.bin ${SAMPLE})
# The sample's form class is the program's, not the library's: its values are
# not read into objects, and the summary says so.
expect_match("${out}" "a.bin: binary, 4 objects, root Form_3D_Kardo: TSampleForm \\(classes unknown to uxconv")

# Damaged input: exit 1, the message and where, and OUT untouched.
file(WRITE ${WORK}/keep.bin "keep")
file(WRITE ${WORK}/bad.txt "object T\n  A = 1\n  B = 'open\nend\n")
run(1 --to-binary ${WORK}/bad.txt ${WORK}/keep.bin)
expect_match("${err}" "bad.txt:3:[0-9]+: Invalid stream format")
file(READ ${WORK}/keep.bin kept)
if(NOT kept STREQUAL "keep")
  message(FATAL_ERROR "a failed conversion changed its output")
endif()
file(WRITE ${WORK}/cut.bin "TPF0\tTuiLayout")
run(1 --to-text ${WORK}/cut.bin ${WORK}/cut.txt)
expect_match("${err}" "cut.bin: byte 14: Stream read error")
if(EXISTS ${WORK}/cut.txt)
  message(FATAL_ERROR "a failed conversion left an output file")
endif()
run(1 --to-text ${WORK}/missing.bin ${WORK}/x.txt)

run(0 --help)
expect_match("${out}" "--to-text")
run(2)
run(2 --to-text ${SAMPLE})

# Values that take their fallback: each is a warning with the object and
# property, and the exit status says the layout was read with losses.
file(WRITE ${WORK}/lossy.txt "object R: TuiLayout\n  Position.Point = 'garbage'\n  object B: TuiBrushObject\n    Brush.Color = 'nonsense'\n  end\n  object I: TuiBitmapObject\n    Bitmap.PNG = {89504E47}\n  end\nend\n")
foreach(mode "--check;${WORK}/lossy.txt" "--through-objects;${WORK}/lossy.txt;${WORK}/lossy-out.txt")
  run(3 ${mode})
  expect_match("${err}" "lossy.txt: warning: R: Position.Point: 'garbage' is not a point, read as its fallback\n")
  expect_match("${err}" "lossy.txt: warning: R.B: Brush.Color: 'nonsense' is not a colour, read as its fallback\n")
  expect_match("${err}" "lossy.txt: warning: R.I: Bitmap.PNG: the image does not decode, read as its fallback\n")
endforeach()
file(WRITE ${WORK}/huge.txt "object R: TuiLayout\n  Width = 1E39\nend\n")
run(1 --check ${WORK}/huge.txt)
expect_match("${err}" "huge.txt: Error reading R.Width: Invalid floating point value")
run(0 --help)
expect_match("${out}" "3 read with losses")

# Bytes after the root object: a warning when converting, an error when checking.
execute_process(COMMAND sh -c "cat a.bin > tail2.bin && printf xy >> tail2.bin" WORKING_DIRECTORY ${WORK})
run(0 --to-text ${WORK}/tail2.bin ${WORK}/tail2.txt)
expect_match("${err}" "warning: 2 bytes after the root object are ignored")
run(1 --check ${WORK}/tail2.bin)
expect_match("${err}" "tail2.bin: byte [0-9]+: 2 bytes after the root object\n")

# Inputs over 512 MiB are refused before they are read: a sparse file by its
# size, an endless device once past the limit.
execute_process(COMMAND truncate -s 513M ${WORK}/big.bin)
run(1 --check ${WORK}/big.bin)
expect_match("${err}" "big.bin: larger than 512 MiB, the most uxconv reads")
file(REMOVE ${WORK}/big.bin)
run(1 --check /dev/zero)
expect_match("${err}" "/dev/zero: larger than 512 MiB, the most uxconv reads")

# A symbolic link as OUT stays a link, and the file it names gets the text;
# a pipe is written straight, with no file appearing beside it.
file(WRITE ${WORK}/target.txt "old")
file(CREATE_LINK target.txt ${WORK}/link.txt SYMBOLIC)
run(0 --to-text ${WORK}/a.bin ${WORK}/link.txt)
if(NOT IS_SYMLINK ${WORK}/link.txt)
  message(FATAL_ERROR "the link was replaced by a file")
endif()
expect_same(${WORK}/target.txt ${WORK}/b.txt)
execute_process(COMMAND sh -c "mkfifo pipe && (cat pipe > from-pipe.txt &) && '${UXCONV}' --to-text a.bin pipe && sleep 0.2"
                WORKING_DIRECTORY ${WORK} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "writing into a pipe failed: ${rc}")
endif()
expect_same(${WORK}/from-pipe.txt ${WORK}/b.txt)
file(GLOB strays ${WORK}/*.??????)
if(strays)
  message(FATAL_ERROR "temporary files left: ${strays}")
endif()
