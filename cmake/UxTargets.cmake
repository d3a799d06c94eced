# Small helpers so that every folder declares its targets the same way.

# ux_library(name DIR folder [EXCLUDE file...] [DEPS target...]): a static library
# from every source of one folder. A folder without sources yet gives an interface
# library, so that dependants can already name it.
function(ux_library name)
  cmake_parse_arguments(ARG "" "DIR" "EXCLUDE;DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp)
  foreach(ex ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "/${ex}$")
  endforeach()
  if(sources)
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    # One section per function and object, so that a program linked with
    # --gc-sections keeps only the code it reaches; the sanitizer build links
    # nothing that way.
    if(NOT WIN32 AND NOT UX_SANITIZE)
      target_compile_options(${name} PRIVATE -ffunction-sections -fdata-sections)
    endif()
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
  endif()
endfunction()

# ux_test(name DIR folder DEPS target... [ENV VAR=value...] [POSIX_ONLY file...]):
# one GoogleTest executable from every test source of one folder; nothing when
# the folder has none yet. The POSIX_ONLY sources (tests that fork, say) are
# left out on Windows.
function(ux_test name)
  cmake_parse_arguments(ARG "" "DIR" "DEPS;ENV;POSIX_ONLY" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${ARG_DIR}/*.cpp)
  if(WIN32)
    foreach(ex ${ARG_POSIX_ONLY})
      list(FILTER sources EXCLUDE REGEX "/${ex}$")
    endforeach()
  endif()
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
  if(CMAKE_CROSSCOMPILING)
    # Under an emulator every start is dear (Wine takes a good part of a
    # second), so the whole executable is one test rather than one start per
    # case; its output still names each failing case.
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600 ENVIRONMENT "${ARG_ENV}")
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120 ENVIRONMENT "${ARG_ENV}")
  endif()
endfunction()
