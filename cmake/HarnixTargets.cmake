# Shared helpers for the project's targets.

# Warnings for the project's own code; with HARNIX_WERROR (CI) each one fails the build.
function(harnix_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra $<$<BOOL:${HARNIX_WERROR}>:-Werror>)
endfunction()

# harnix_library(name SOURCES ... [DEPS ...] [SHARED])
# One library per folder; its headers are included as "folder/Header.h" from the tree root.
function(harnix_library name)
  cmake_parse_arguments(ARG "SHARED" "" "SOURCES;DEPS" ${ARGN})
  if(ARG_SHARED)
    add_library(${name} SHARED ${ARG_SOURCES})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
  endif()
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  if(ARG_DEPS)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
  endif()
  harnix_warnings(${name})
endfunction()

# harnix_test(name SOURCES ... [DEPS ...] [DISPLAY] [OWN_MAIN] [TIMEOUT seconds])
# A GoogleTest program registered with ctest. DISPLAY runs it under xvfb-run;
# every other test that creates windows uses Qt's offscreen platform. OWN_MAIN: the sources
# define main, otherwise GoogleTest's is linked (after DEPS, so that forms_testing's wins).
function(harnix_test name)
  cmake_parse_arguments(ARG "DISPLAY;OWN_MAIN" "TIMEOUT" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gmock)
  if(NOT ARG_OWN_MAIN)
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  harnix_warnings(${name})
  if(ARG_DISPLAY)
    add_test(NAME ${name} COMMAND xvfb-run -a -s "-noreset -screen 0 1280x1024x24" $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  endif()
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  if(HARNIX_SANITIZE OR HARNIX_SANITIZE_THREAD)
    # Whole allocation stacks (and ThreadSanitizer's shadow memory) (see harnix_test_environment) make the instrumented tests slow.
    math(EXPR ARG_TIMEOUT "${ARG_TIMEOUT} * 5")
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT})
  harnix_test_skips(${name})
  # At the end of the folder, after any environment the folder sets for the test itself.
  cmake_language(EVAL CODE "cmake_language(DEFER CALL harnix_test_environment [[${name}]])")
endfunction()

# harnix_test_skips(name): ctest lists the program as skipped when GoogleTest skipped a case and
# nothing failed: GoogleTest's summary then ends with the list of the skipped cases (a failure
# lists the failed ones after it, and the test fails as usual).
function(harnix_test_skips name)
  set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION
    "\\[  SKIPPED \\] [0-9]+ tests?, listed below:\n(\\[  SKIPPED \\] [^\n]*\n)*$")
endfunction()

# harnix_test_run(name program ARGS...): one more run of a test program (another filter or
# configuration), with the environment of every test.
function(harnix_test_run name program)
  add_test(NAME ${name} COMMAND ${program} ${ARGN})
  harnix_test_skips(${name})
  cmake_language(EVAL CODE "cmake_language(DEFER CALL harnix_test_environment [[${name}]])")
endfunction()

# Tests keep what Qt and the registry store write (dialog histories, hives) in the build tree,
# never in the user's own configuration, and so their temporary files and folders, those of
# their child processes included: TMPDIR is a folder of the build tree that every ctest run
# empties first (tests/CMakeLists.txt). They run in the C locale and in UTC whatever the
# developer's desktop uses; a test that needs a language or a zone sets it itself, and no
# LC_ALL or LC_MESSAGES of the desktop then overrides what it sets. Under the sanitizers leak
# detection stays on; the leaks of third-party libraries that the project cannot mend are
# suppressed by cmake/lsan.supp, which needs whole allocation stacks: Debian's Qt is built
# without frame pointers.
set(HARNIX_TEST_TMPDIR ${CMAKE_BINARY_DIR}/test-tmp)
set(HARNIX_TEST_LOCALE_VARIABLES LANGUAGE LC_ALL LC_ADDRESS LC_COLLATE LC_CTYPE
  LC_IDENTIFICATION LC_MEASUREMENT LC_MESSAGES LC_MONETARY LC_NAME LC_NUMERIC LC_PAPER
  LC_TELEPHONE LC_TIME)
function(harnix_test_environment name)
  set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
    "XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config" "XDG_DATA_HOME=${CMAKE_BINARY_DIR}/test-data" "LANG=C.UTF-8" "TZ=UTC"
    "TMPDIR=${HARNIX_TEST_TMPDIR}")
  set_property(TEST ${name} APPEND PROPERTY FIXTURES_REQUIRED harnix_test_tmpdir)
  foreach(variable IN LISTS HARNIX_TEST_LOCALE_VARIABLES)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT_MODIFICATION "${variable}=unset:")
  endforeach()
  if(HARNIX_SANITIZE)
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
      "LSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0"
      "ASAN_OPTIONS=fast_unwind_on_malloc=0")
  endif()
  if(HARNIX_SANITIZE_THREAD)
    # A report fails the test; cmake/tsan.supp holds those that lie wholly inside omniORB or glibc.
    set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT
      "TSAN_OPTIONS=suppressions=${CMAKE_SOURCE_DIR}/cmake/tsan.supp:second_deadlock_stack=1")
  endif()
endfunction()

# harnix_bench(name SOURCES ... [DEPS ...]): a Google Benchmark program (not run by CI).
function(harnix_bench name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_DEPS} benchmark::benchmark benchmark::benchmark_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR})
  harnix_warnings(${name})
endfunction()

# harnix_hidden_symbols(target): the target's symbols stay inside the shared library they end
# up in; what a shared library exports is marked in its headers. A shared library also keeps
# the standard library's template instantiations it makes to itself (cmake/api-only.map).
function(harnix_hidden_symbols target)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
  get_target_property(type ${target} TYPE)
  if(type MATCHES "SHARED_LIBRARY|MODULE_LIBRARY")
    set(map ${CMAKE_SOURCE_DIR}/cmake/api-only.map)
    target_link_options(${target} PRIVATE -Wl,--version-script=${map})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map})
  endif()
endfunction()
