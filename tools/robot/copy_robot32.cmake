# Copies the i686 robot (robot32.exe, robot_hook32.dll) from the win32 build
# folder FROM beside the x86_64 robot in TO. A win32 build that has not made
# them yet is no error: only the dumps of 32-bit programs need them, and those
# then say "unmeasured".
# usage: cmake -DFROM=DIR -DTO=DIR -P copy_robot32.cmake
foreach(name robot32.exe robot_hook32.dll)
  if(EXISTS "${FROM}/${name}")
    file(COPY_FILE "${FROM}/${name}" "${TO}/${name}" ONLY_IF_DIFFERENT)
  else()
    message(STATUS "${FROM}/${name} is not built yet: build the win32 preset, then this one")
  endif()
endforeach()
