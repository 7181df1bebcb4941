# Warnings, sanitizers and the build settings header shared by every target.

add_compile_options(-Wall -Wextra -Wpedantic)
add_compile_definitions(QT_NO_KEYWORDS)

if(BRIMKIT_FUZZ)
  # Instrument the libraries too, so coverage guides the fuzzer through them.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(BRIMKIT_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

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
configure_file(${CMAKE_SOURCE_DIR}/cmake/BuildInfo.h.in ${CMAKE_BINARY_DIR}/generated/BuildInfo.h @ONLY)
include_directories(${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}/generated)
