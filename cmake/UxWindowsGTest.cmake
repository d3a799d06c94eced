# GoogleTest and GoogleMock for the Windows cross build, compiled for the
# target from the sources Debian ships with libgtest-dev: the packaged
# libraries are built for the build machine.
set(UX_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources to build for the target")
if(NOT EXISTS ${UX_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "No GoogleTest sources in ${UX_GTEST_SOURCE} (Debian: apt-get install libgtest-dev)")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${UX_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
# It names its targets GTest::gtest, GTest::gtest_main and GTest::gmock itself,
# as the packaged configuration does.
