# Warnings, sanitizers and the build settings header: one interface target
# that every library of ours links, so nothing is set globally.

add_library(BrimkitSettings INTERFACE)
target_compile_options(BrimkitSettings INTERFACE -Wall -Wextra -Wpedantic)
target_compile_definitions(BrimkitSettings INTERFACE QT_NO_KEYWORDS)
target_include_directories(BrimkitSettings INTERFACE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)

if(BRIMKIT_FUZZ)
  # Instrument the libraries too, so coverage guides the fuzzer through them.
  target_compile_options(BrimkitSettings INTERFACE -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  target_link_options(BrimkitSettings INTERFACE -fsanitize=address,undefined)
endif()
if(BRIMKIT_SANITIZE)
  # Line tables are all a sanitizer report needs; full debug information
  # makes every file a quarter slower to compile.
  target_compile_options(BrimkitSettings INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -g1)
  target_link_options(BrimkitSettings INTERFACE -fsanitize=address,undefined)
endif()

# Qt, QCoro and GoogleTest headers are most of the compile time of our small
# files, so each library precompiles the ones it uses most (the test programs
# share one set, see tests/). The fuzz build compiles only the rules and
# gains nothing from them.
option(BRIMKIT_PCH "Precompile the common Qt, QCoro and GoogleTest headers" ON)
function(brimkit_precompile_headers target)
  if(BRIMKIT_PCH AND NOT BRIMKIT_FUZZ)
    target_precompile_headers(${target} PRIVATE ${ARGN})
  endif()
endfunction()

# Build settings that a packager chooses; the default build has no telemetry
# endpoint and no update feed, so it runs "not configured".
set(BRIMKIT_DISPLAY_NAME "Ostrel Brimkit" CACHE STRING "Display name")
set(BRIMKIT_BUILD_NUMBER "1" CACHE STRING "Build number")
set(BRIMKIT_TELLIX_ENDPOINT "" CACHE STRING "Telemetry endpoint (https URL)")
set(BRIMKIT_TELLIX_KEY "" CACHE STRING "Telemetry bearer key")
set(BRIMKIT_UPDATE_FEED "" CACHE STRING "Update feed URL")
set(BRIMKIT_UPDATE_KEY "" CACHE STRING "Update signing key")
set(BRIMKIT_REVIEW_BUILD OFF CACHE BOOL "Review build (updates disabled)")

if(BRIMKIT_REVIEW_BUILD)
  set(BRIMKIT_REVIEW_BUILD_VALUE true)
else()
  set(BRIMKIT_REVIEW_BUILD_VALUE false)
endif()
include(GNUInstallDirs)
file(RELATIVE_PATH BRIMKIT_DATA_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DATADIR})
configure_file(${CMAKE_SOURCE_DIR}/cmake/BuildInfo.h.in ${CMAKE_BINARY_DIR}/generated/BuildInfo.h @ONLY)
