# Instrumentation of the whole tree for the libFuzzer targets of this folder: coverage for the
# fuzzer, AddressSanitizer, and UndefinedBehaviorSanitizer stopping at the first fault so that
# the fuzzer sees it as a crash.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang" OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
  message(FATAL_ERROR "HARNIX_FUZZ needs clang: configure with CC=clang CXX=clang++")
endif()
add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                    -fno-omit-frame-pointer)
add_link_options(-fsanitize=address,undefined)
