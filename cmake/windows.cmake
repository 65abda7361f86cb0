# Windows-only parts of the build: GoogleTest from Debian's source package and
# running the test executables under Wine.

set(GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources (Debian package googletest)")
if(NOT EXISTS ${GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found at ${GOOGLETEST_SOURCE}; install Debian's googletest package")
endif()
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)

# Each test executable runs under Wine in a private prefix inside the build
# tree, with code page 936.
if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
  set(WINE_LOADER /usr/lib/wine/wine64)
else()
  set(WINE_LOADER /usr/lib/wine/wine)
endif()
set(WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# Making the prefix takes a while; do it once before any test needs it.
add_test(NAME wineprefix COMMAND ${CMAKE_BINARY_DIR}/wine-run --prepare)
set_tests_properties(wineprefix PROPERTIES FIXTURES_SETUP wineprefix)

include(${CMAKE_CURRENT_LIST_DIR}/payload.cmake)
