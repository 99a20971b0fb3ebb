# The release package: `cmake --build --preset win32 --target package` makes
# DocViewer-2.00-<win32|win64>.zip in the build folder (CPack, ZIP).
#
#   GUIDE.TXT                 the disc authors' guide (disc/GUIDE.TXT)
#   disc/DOCVIEW.EXE          the program, ready for the disc's root
#   disc/ENGINE.LOC           the sample texts, built by mkloc
#   disc/doc/doc.ini, *.pdf   the sample catalogue and manuals
#   source/engine_loc.txt     the texts' UTF-8 source
#   tools/mkloc.exe           the string-file tool
#   tools/disccheck.exe       the disc check
#   tools/standin.exe         a stand-in for the reader's installers on a trial
#                             disc (copied under the installers' names)
#
# The sample disc's installers are test stand-ins and are never packed.
# With DV_SIGN_CERT and DV_SIGN_KEY (PEM files) in the environment of the
# packaging run, DOCVIEW.EXE and the tools are signed (Authenticode, SHA-256,
# no timestamp) in the package's staging folder; the build's own files stay
# unsigned.
set(DV_PACKAGE_SYSTEM win64)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(DV_PACKAGE_SYSTEM win32)
endif()

install(TARGETS docview RUNTIME DESTINATION disc)
install(TARGETS mkloc disccheck standin RUNTIME DESTINATION tools)
install(FILES ${CMAKE_SOURCE_DIR}/disc/GUIDE.TXT DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/disc/engine_loc.txt DESTINATION source)
if(TARGET disc)
  install(FILES ${CMAKE_BINARY_DIR}/disc/ENGINE.LOC DESTINATION disc)
  install(DIRECTORY ${CMAKE_BINARY_DIR}/disc/doc/ DESTINATION disc/doc
    FILES_MATCHING PATTERN "doc.ini" PATTERN "*.pdf" PATTERN "acrowin" EXCLUDE)
else()
  message(STATUS "No sample disc in this build (DV_NATIVE_DIR unset): the package lacks ENGINE.LOC and doc")
endif()

find_program(DV_OSSLSIGNCODE osslsigncode)
install(CODE "
  set(cert \"\$ENV{DV_SIGN_CERT}\")
  set(key \"\$ENV{DV_SIGN_KEY}\")
  if(cert OR key)
    if(NOT cert OR NOT key)
      message(FATAL_ERROR \"Signing needs both DV_SIGN_CERT and DV_SIGN_KEY\")
    endif()
    if(NOT EXISTS \"${DV_OSSLSIGNCODE}\")
      message(FATAL_ERROR \"Signing needs osslsigncode\")
    endif()
    foreach(exe disc/DOCVIEW.EXE tools/mkloc.exe tools/disccheck.exe)
      set(file \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/\${exe}\")
      execute_process(COMMAND \"${DV_OSSLSIGNCODE}\" sign -certs \"\${cert}\" -key \"\${key}\"
          -h sha256 -n \"Document Viewer Application\" -in \"\${file}\" -out \"\${file}.signed\"
        RESULT_VARIABLE rc)
      if(NOT rc EQUAL 0)
        message(FATAL_ERROR \"Signing \${exe} failed\")
      endif()
      file(RENAME \"\${file}.signed\" \"\${file}\")
      message(STATUS \"Signed: \${exe}\")
    endforeach()
  endif()
")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME DocViewer)
set(CPACK_PACKAGE_VENDOR "Tamlo International")
set(CPACK_PACKAGE_VERSION 2.00)
set(CPACK_PACKAGE_FILE_NAME DocViewer-2.00-${DV_PACKAGE_SYSTEM})
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
include(CPack)
