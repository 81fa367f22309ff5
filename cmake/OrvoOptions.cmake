option(ORVO_BUILD_TESTS "Build the test suites" ON)
option(ORVO_BUILD_BENCH "Build the benchmark programs" ON)
option(ORVO_FUZZ "Build the libFuzzer targets (clang only; ASan+UBSan and coverage everywhere)" OFF)
set(ORVO_SANITIZE "" CACHE STRING "Sanitizers: empty, 'address' (ASan+UBSan) or 'thread' (TSan)")
set_property(CACHE ORVO_SANITIZE PROPERTY STRINGS "" address thread)

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(ORVO_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(ORVO_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ORVO_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ORVO_SANITIZE must be empty, 'address' or 'thread'")
endif()

# Every object gets libFuzzer's coverage hooks and the sanitizers, so that the fuzzers see
# and check the whole path from a file's bytes to a frame; only the fuzz programs link the
# fuzzer's main.
if(ORVO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ORVO_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++)")
  endif()
  if(NOT ORVO_SANITIZE STREQUAL "")
    message(FATAL_ERROR "ORVO_FUZZ brings its own sanitizers; leave ORVO_SANITIZE empty")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
    -fno-omit-frame-pointer -gline-tables-only)
  add_link_options(-fsanitize=address,undefined)
endif()
