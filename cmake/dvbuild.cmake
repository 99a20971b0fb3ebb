# Shared build rules: warnings, product flags and the test registration helpers.

# Warnings are errors for everything the project writes (not for GoogleTest itself).
function(dv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wformat=2 -Wno-format-nonliteral)
endfunction()

# The product: plain C-style C++, no exceptions, no RTTI. On Windows it also
# uses msvcrt's own formatted output and number reading (MinGW's C99 emulation
# was a third of the program; every format the product uses is one msvcrt
# knows: no %zu, %lld, %hh, %j) and carries no unwinding tables (nothing
# unwinds). libstdc++'s headers switch the emulation back on in a C++ file that
# includes <stdlib.h>, so Buf_Format and the version reading also call msvcrt's
# functions by name; tests/check_release.sh checks the result.
function(dv_product_flags target)
  dv_warnings(${target})
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
  if(WIN32)
    target_compile_definitions(${target} PRIVATE __USE_MINGW_ANSI_STDIO=0)
    target_compile_options(${target} PRIVATE -fno-asynchronous-unwind-tables -fno-unwind-tables
      -ffunction-sections  # (not -fdata-sections: on PE it moves zeroed tables from .bss into the file)
      # No build path in the program (assert texts, __FILE__): two builds give the same bytes.
      -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.)
  endif()
endfunction()

# The program that goes on the disc: linked by the C driver, so no C++ run-time
# piece can slip in (the link fails instead), unused code dropped, stripped,
# and no time stamp in the header (two clean builds give the same bytes).
function(dv_release_link target)
  set_target_properties(${target} PROPERTIES LINKER_LANGUAGE C)
  target_link_options(${target} PRIVATE -static -Wl,--gc-sections -Wl,--no-insert-timestamp
    $<$<NOT:$<BOOL:${DV_KEEP_SYMBOLS}>>:-s>)
endfunction()

# A Windows program that needs no DLL beyond Windows' own.
function(dv_windows_static target)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

set(DV_TOOLS_DIR ${CMAKE_SOURCE_DIR}/tests/wine)

# The one test run is the win64 build's: it runs its own x86_64 programs and the
# i686 ones of the win32 build (DV_WIN32_DIR; its DOCVIEW.EXE is the one on the
# disc). The win32 build with DV_WINE_TESTS only makes its test programs.
if(WIN32 AND DV_WINE_TESTS AND CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(DV_TEST_RUN ON)
else()
  set(DV_TEST_RUN OFF)
endif()

# Native unit test: built by the native preset, and listed by the win64 test run
# (which points at the native build) so that one ctest run covers both halves.
function(dv_native_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT WIN32)
    add_executable(${name} ${T_SOURCES})
    dv_warnings(${name})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
    add_test(NAME native.${name} COMMAND ${name})
  elseif(DV_TEST_RUN AND DV_NATIVE_DIR)
    add_test(NAME native.${name} COMMAND ${DV_NATIVE_DIR}/bin/${name})
  endif()
endfunction()

# Any other native command listed in the one test run (fuzz smoke runs, say).
function(dv_native_command name)
  cmake_parse_arguments(T "" "" "COMMAND" ${ARGN})
  if(DV_TEST_RUN AND DV_NATIVE_DIR)
    add_test(NAME native.${name} COMMAND ${T_COMMAND})
  endif()
endfunction()

# The Windows-side tests run in lanes, one per build: a Wine prefix, an Xvfb
# display and a scratch folder each (tests/wine/wineenv.sh, fixture
# wine.LANE), so the x86_64 and the i686 suites run side by side. Within a
# lane tests run one at a time: they share its display (focus, foreground),
# its drives and its data folder C:\durivade\.
function(dv_lane_properties out lane)
  set(${out} FIXTURES_REQUIRED wine.${lane} RESOURCE_LOCK lane.${lane} PARENT_SCOPE)
endfunction()

# Registers test NAME once per build: NAME.x86_64 runs COMMAND with the
# placeholder @BUILD@ replaced by this build's folder, NAME.i686 with the win32
# build's folder. The i686 run goes through need32.sh: where this machine
# cannot execute 32-bit code it ends with 77, which ctest shows as skipped
# (never as passed). ENVIRONMENT entries may use @BUILD@ too. WINE: the test
# runs in its build's lane (DV_LANE names it).
function(dv_test_each_build name)
  cmake_parse_arguments(T "WINE" "" "COMMAND;ENVIRONMENT;PROPERTIES" ${ARGN})
  set(builds x86_64 ${CMAKE_BINARY_DIR})
  if(DV_WIN32_DIR)
    list(APPEND builds i686 ${DV_WIN32_DIR})
  endif()
  while(builds)
    list(POP_FRONT builds arch dir)
    string(REPLACE "@BUILD@" "${dir}" command "${T_COMMAND}")
    string(REPLACE "@BUILD@" "${dir}" environment "${T_ENVIRONMENT}")
    set(props ${T_PROPERTIES})
    if(T_WINE)
      dv_lane_properties(lane ${arch})
      list(APPEND props ${lane})
      list(APPEND environment DV_LANE=${arch})
    endif()
    if(arch STREQUAL "i686")
      list(PREPEND command ${DV_TOOLS_DIR}/need32.sh)
    endif()
    add_test(NAME ${name}.${arch} COMMAND ${command})
    set_tests_properties(${name}.${arch} PROPERTIES SKIP_RETURN_CODE 77 ${props})
    if(environment)
      set_tests_properties(${name}.${arch} PROPERTIES ENVIRONMENT "${environment}")
    endif()
  endwhile()
endfunction()

# Runs a Windows program of the build under test (target PROGRAM, same place in
# both builds) in its build's lane: wine.NAME.x86_64 and wine.NAME.i686.
function(dv_wine_run name)
  cmake_parse_arguments(T "" "PROGRAM" "ARGS;ENVIRONMENT" ${ARGN})
  get_target_property(dir ${T_PROGRAM} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    get_target_property(dir ${T_PROGRAM} BINARY_DIR)
  endif()
  file(RELATIVE_PATH rel ${CMAKE_BINARY_DIR} ${dir})
  dv_test_each_build(wine.${name} WINE COMMAND ${DV_TOOLS_DIR}/winrun.sh ${CMAKE_BINARY_DIR}
    @BUILD@/${rel}/$<TARGET_FILE_NAME:${T_PROGRAM}> ${T_ARGS}
    ENVIRONMENT ${T_ENVIRONMENT}
    PROPERTIES TIMEOUT 300)
endfunction()

# Windows-side GoogleTest program, built by both Windows builds and run under
# Wine in each build's lane.
function(dv_wine_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32 AND DV_WINE_TESTS)
    add_executable(${name} ${T_SOURCES})
    dv_warnings(${name})
    dv_windows_static(${name})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
    if(DV_TEST_RUN)
      dv_wine_run(${name} PROGRAM ${name})
    endif()
  endif()
endfunction()

# A script (Python, shell) that drives Windows programs under Wine, once, in
# the x86_64 lane. OWN_PREFIX: the script makes a prefix and display of its
# own (a tool under test, such as discpreview), so it needs no lane.
function(dv_wine_script_test name)
  cmake_parse_arguments(T "OWN_PREFIX" "TIMEOUT" "COMMAND;DEPENDS" ${ARGN})
  if(DV_TEST_RUN)
    if(NOT T_TIMEOUT)
      set(T_TIMEOUT 600)
    endif()
    add_test(NAME wine.${name} COMMAND ${T_COMMAND})
    set(props TIMEOUT ${T_TIMEOUT}
      ENVIRONMENT "DV_BUILD=${CMAKE_BINARY_DIR};DV_SOURCE=${CMAKE_SOURCE_DIR};DV_LANE=x86_64")
    if(NOT T_OWN_PREFIX)
      dv_lane_properties(lane x86_64)
      list(APPEND props ${lane})
    endif()
    set_tests_properties(wine.${name} PROPERTIES ${props})
  endif()
endfunction()

# A script that checks programs of the product, registered once per build:
# wine.NAME.x86_64 and wine.NAME.i686 (skipped where 32-bit code cannot run),
# each in its build's lane. The script reads what it tests from the environment:
#   DV_DOCVIEW   the DOCVIEW.EXE under test (that build's own)
#   DV_PROGRAMS  the folder of that build's test hosts (chooser_host.exe, ...)
#   DV_BUILD     the test run's (x86_64) build: robot, stand-in, lanes
#   DV_LANE      the lane (prefix, display, scratch folder) it runs in
# e.g. dv_wine_script_test_each_build(e2e COMMAND python3 test_e2e.py TIMEOUT 900)
function(dv_wine_script_test_each_build name)
  cmake_parse_arguments(T "" "TIMEOUT" "COMMAND" ${ARGN})
  if(NOT DV_TEST_RUN)
    return()
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  dv_test_each_build(wine.${name} WINE COMMAND ${T_COMMAND}
    ENVIRONMENT DV_BUILD=${CMAKE_BINARY_DIR} DV_SOURCE=${CMAKE_SOURCE_DIR}
                DV_DOCVIEW=@BUILD@/DOCVIEW.EXE DV_PROGRAMS=@BUILD@
                DV_MKLOC=${DV_NATIVE_DIR}/bin/mkloc
    PROPERTIES TIMEOUT ${T_TIMEOUT})
endfunction()

# Gives a Windows program the product's resources (icon, PROMPT_USER, MANUAL_LIST, manifest).
function(dv_add_resources target)
  set(dir ${CMAKE_SOURCE_DIR}/src/resources)
  target_sources(${target} PRIVATE ${dir}/docview.rc)
  set_property(SOURCE ${dir}/docview.rc TARGET_DIRECTORY ${target} APPEND PROPERTY
    INCLUDE_DIRECTORIES ${CMAKE_BINARY_DIR}/generated ${dir})
  set_property(SOURCE ${dir}/docview.rc TARGET_DIRECTORY ${target} APPEND PROPERTY
    OBJECT_DEPENDS ${dir}/resource.h ${dir}/prompt_user.rc ${dir}/manual_list.rc ${dir}/docview.manifest
    ${CMAKE_BINARY_DIR}/generated/docview.ico)
  add_dependencies(${target} dv_icon)
endfunction()
