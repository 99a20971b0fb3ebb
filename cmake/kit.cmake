# The disc authors' kit for Linux build servers: `cmake --build --preset kit
# --target package` makes build/kit/docviewer-authoring_2.00_amd64.deb (CPack,
# DEB). It carries
#
#   usr/bin/mkloc, usr/bin/disccheck         this build's tools
#   usr/bin/discpack, usr/bin/discpreview    launchers of the scripts below
#   usr/lib/docviewer/tools/...              discpack.py, discpreview.py and the
#                                            Wine machinery they share (winekit)
#   usr/lib/docviewer/src/resources/resource.h   the dialogs' control ids
#   usr/lib/docviewer/windows/               the Windows helpers discpreview runs:
#                                            robot, its measuring hooks, the
#                                            stand-in reader, the warm-up window
#   usr/share/docviewer/sample-disc/         the sample disc, as in the release zip
#   usr/share/docviewer/engine_loc.txt       its texts' UTF-8 source
#   usr/share/docviewer/standin/             stand-in installers for a trial disc
#   usr/share/doc/docviewer-authoring/       the guides
#   usr/share/man/man1/                      a page per tool
#
# The Windows pieces come from the win64 and win32 builds (DV_WIN64_DIR,
# DV_WIN32_DIR), which scripts/setup.sh builds first.
if(NOT DV_WIN64_DIR OR NOT DV_WIN32_DIR)
  message(FATAL_ERROR "The kit needs DV_WIN64_DIR and DV_WIN32_DIR (the win64 and win32 build folders)")
endif()

set(lib usr/lib/docviewer)
set(share usr/share/docviewer)

install(TARGETS mkloc disccheck RUNTIME DESTINATION usr/bin)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/kit/discpack ${CMAKE_SOURCE_DIR}/tools/kit/discpreview
  DESTINATION usr/bin)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/discpack/discpack.py DESTINATION ${lib}/tools/discpack)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/discpreview/discpreview.py DESTINATION ${lib}/tools/discpreview)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/tools/winekit DESTINATION ${lib}/tools
  USE_SOURCE_PERMISSIONS PATTERN "__pycache__" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/src/resources/resource.h DESTINATION ${lib}/src/resources)

# The Windows helpers, x86_64 (they drive either build's programs), beside
# each other as discpreview expects them, with the i686 robot pair that
# measures inside a 32-bit DOCVIEW.EXE.
foreach(helper robot.exe robot_hook.dll standin.exe warmup.exe)
  install(FILES ${DV_WIN64_DIR}/${helper} DESTINATION ${lib}/windows)
endforeach()
install(FILES ${DV_WIN32_DIR}/robot32.exe ${DV_WIN32_DIR}/robot_hook32.dll DESTINATION ${lib}/windows)

# The sample disc as the release zip has it: the i686 program, no installers.
install(FILES ${DV_WIN32_DIR}/DOCVIEW.EXE ${DV_WIN32_DIR}/disc/ENGINE.LOC DESTINATION ${share}/sample-disc)
install(DIRECTORY ${DV_WIN32_DIR}/disc/doc/ DESTINATION ${share}/sample-disc/doc
  FILES_MATCHING PATTERN "doc.ini" PATTERN "*.pdf" PATTERN "acrowin" EXCLUDE)
install(FILES ${CMAKE_SOURCE_DIR}/disc/engine_loc.txt DESTINATION ${share})
# A trial disc's installers: the i686 stand-in under the installers' names
# (it acts as an installer when its name starts with ar40 or acrow).
install(FILES ${DV_WIN32_DIR}/standin.exe DESTINATION ${share}/standin)
install(FILES ${CMAKE_SOURCE_DIR}/docs/authoring.md ${CMAKE_SOURCE_DIR}/disc/GUIDE.TXT
  ${CMAKE_SOURCE_DIR}/docs/discpreview.png ${CMAKE_SOURCE_DIR}/docs/discpreview-findings.png
  DESTINATION usr/share/doc/docviewer-authoring)
# A manual page per tool, made from the tool's own --help.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(man ${CMAKE_BINARY_DIR}/man)
set(pages)
foreach(page
    "mkloc|build, check and translate DocViewer's string file ENGINE.LOC|$<TARGET_FILE:mkloc>"
    "disccheck|check a DocViewer disc folder or ISO image as the program reads it|$<TARGET_FILE:disccheck>"
    "discpack|build the checked ISO image of a DocViewer disc|${Python3_EXECUTABLE};${CMAKE_SOURCE_DIR}/tools/discpack/discpack.py"
    "discpreview|preview and measure every dialog of a DocViewer disc in every language|${Python3_EXECUTABLE};${CMAKE_SOURCE_DIR}/tools/discpreview/discpreview.py")
  string(REPLACE "|" ";" parts "${page}")
  list(POP_FRONT parts name summary)
  add_custom_command(OUTPUT ${man}/${name}.1.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${man}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/kit/mkman.py ${name} "${summary}" ${man}/${name}.1.gz ${parts}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/kit/mkman.py mkloc disccheck
            ${CMAKE_SOURCE_DIR}/tools/discpack/discpack.py ${CMAKE_SOURCE_DIR}/tools/discpreview/discpreview.py
    VERBATIM)
  list(APPEND pages ${man}/${name}.1.gz)
endforeach()
add_custom_target(kit_man ALL DEPENDS ${pages})
install(FILES ${pages} DESTINATION usr/share/man/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME docviewer-authoring)
set(CPACK_PACKAGE_VENDOR "Tamlo International")
set(CPACK_PACKAGE_VERSION 2.00)
set(CPACK_PACKAGE_CONTACT "Tamlo International <support@tamlo.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Tools to author, check and preview DocViewer discs")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "mkloc builds and checks the string file ENGINE.LOC and exchanges its
translations as PO files; disccheck checks a disc folder or ISO image as the
program reads it; discpack builds the checked image; discpreview runs the
disc's DOCVIEW.EXE under Wine in every language and measures every dialog.")
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The disc's own DOCVIEW.EXE is an i686 program: the preview runs it with
# 32-bit Wine, which an amd64 package can only suggest.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "wine32:i386")
# What the scripts call: Python, Wine (the 64-bit loader runs the helpers),
# an X server of their own, the image tools, the fonts the preview draws with.
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "python3, wine, wine64, xvfb, x11-utils, imagemagick, xorriso, fontconfig, fonts-wqy-microhei, fonts-tlwg-loma-ttf")
set(CPACK_DEBIAN_FILE_NAME docviewer-authoring_2.00_amd64.deb)
set(CPACK_PACKAGE_FILE_NAME docviewer-authoring_2.00_amd64)
set(CPACK_SET_DESTDIR OFF)
set(CPACK_PACKAGING_INSTALL_PREFIX /)
set(CPACK_INSTALL_PREFIX /)
include(CPack)
