# Build steps that turn a style sheet kept in its text form into a byte array
# the program embeds. The text form is what the repository holds (readable,
# diffable); uxconv_streams (uxconv without the window classes)
# converts it, so a sheet that does not parse fails the
# build.
#
# ux_embed_sheet(target SHEET file.txt [SYMBOL name]): adds a generated source
# to target defining `std::string_view uxEmbeddedSheet_<name>()`, the sheet's
# binary stream; name defaults to the file's stem.
function(ux_embed_sheet target)
  cmake_parse_arguments(ARG "" "SHEET;SYMBOL" "" ${ARGN})
  get_filename_component(stem ${ARG_SHEET} NAME_WE)
  if(NOT ARG_SYMBOL)
    set(ARG_SYMBOL ${stem})
  endif()
  set(bin ${CMAKE_CURRENT_BINARY_DIR}/sheets/${ARG_SYMBOL}.bin)
  set(cpp ${CMAKE_CURRENT_BINARY_DIR}/sheets/${ARG_SYMBOL}.cpp)
  add_custom_command(
    OUTPUT ${cpp}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/sheets
    COMMAND uxconv_streams --to-binary ${ARG_SHEET} ${bin}
    COMMAND ${CMAKE_COMMAND} -DIN=${bin} -DOUT=${cpp} -DSYMBOL=${ARG_SYMBOL}
            -P ${PROJECT_SOURCE_DIR}/cmake/UxWriteByteArray.cmake
    DEPENDS ${ARG_SHEET} uxconv_streams ${PROJECT_SOURCE_DIR}/cmake/UxWriteByteArray.cmake
    COMMENT "Embedding style sheet ${stem}"
    VERBATIM)
  target_sources(${target} PRIVATE ${cpp})
endfunction()
