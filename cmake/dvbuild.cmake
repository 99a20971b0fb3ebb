# Shared build rules: warnings, product flags and the test registration helpers.

# Warnings are errors for everything the project writes (not for GoogleTest itself).
function(dv_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror -Wshadow -Wformat=2 -Wno-format-nonliteral)
endfunction()

# The product: plain C-style C++, no exceptions, no RTTI.
function(dv_product_flags target)
  dv_warnings(${target})
  target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
endfunction()

# A Windows program that needs no DLL beyond Windows' own.
function(dv_windows_static target)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

set(DV_TOOLS_DIR ${CMAKE_SOURCE_DIR}/tests/wine)

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
  elseif(DV_WINE_TESTS AND DV_NATIVE_DIR)
    add_test(NAME native.${name} COMMAND ${DV_NATIVE_DIR}/bin/${name})
  endif()
endfunction()

# Any other native command listed in the one test run (fuzz smoke runs, say).
function(dv_native_command name)
  cmake_parse_arguments(T "" "" "COMMAND" ${ARGN})
  if(WIN32 AND DV_WINE_TESTS AND DV_NATIVE_DIR)
    add_test(NAME native.${name} COMMAND ${T_COMMAND})
  endif()
endfunction()

# Windows-side GoogleTest program, run under Wine in the build's own prefix.
# The Wine tests share one prefix, one display (focus, foreground) and the data
# folder C:\durivade\, so they run one at a time (the native tests run beside them).
function(dv_wine_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  if(WIN32 AND DV_WINE_TESTS)
    add_executable(${name} ${T_SOURCES})
    dv_warnings(${name})
    dv_windows_static(${name})
    target_link_libraries(${name} PRIVATE ${T_LIBS} gtest_main)
    add_test(NAME wine.${name} COMMAND ${DV_TOOLS_DIR}/winrun.sh ${CMAKE_BINARY_DIR} $<TARGET_FILE:${name}>)
    set_tests_properties(wine.${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300
      RESOURCE_LOCK wineprefix)
  endif()
endfunction()

# A script (Python, shell) that drives Windows programs under Wine.
function(dv_wine_script_test name)
  cmake_parse_arguments(T "" "" "COMMAND;DEPENDS" ${ARGN})
  if(WIN32 AND DV_WINE_TESTS)
    add_test(NAME wine.${name} COMMAND ${T_COMMAND})
    set_tests_properties(wine.${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600
      RESOURCE_LOCK wineprefix
      ENVIRONMENT "DV_BUILD=${CMAKE_BINARY_DIR};DV_SOURCE=${CMAKE_SOURCE_DIR}")
  endif()
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
