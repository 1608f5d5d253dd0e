# Shared by the MinGW-w64 toolchain files, which set ZORVANE_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model variants, for the whole tree: GoogleTest, which the dialog tests use, needs
# std::mutex (absent from the win32 model), and the tests link the very objects Zorvane.exe is made of.
# One thread model per program, so one for every target. Linked statically (below), the program still
# imports system DLLs only: what it uses of libwinpthread is inside the executable.
find_program(ZORVANE_MINGW_CC NAMES ${ZORVANE_MINGW_TRIPLE}-gcc-posix REQUIRED)
find_program(ZORVANE_MINGW_CXX NAMES ${ZORVANE_MINGW_TRIPLE}-g++-posix REQUIRED)
# A tree configured earlier with the win32 variants keeps them: CMake does not change compilers.
if(DEFINED CACHE{CMAKE_CXX_COMPILER} AND NOT "$CACHE{CMAKE_CXX_COMPILER}" STREQUAL ZORVANE_MINGW_CXX)
  message(FATAL_ERROR "This build folder uses $CACHE{CMAKE_CXX_COMPILER}; the Windows builds need "
                      "${ZORVANE_MINGW_CXX}. Configure it afresh: cmake --fresh ...")
endif()
set(CMAKE_C_COMPILER ${ZORVANE_MINGW_CC})
set(CMAKE_CXX_COMPILER ${ZORVANE_MINGW_CXX})
find_program(CMAKE_RC_COMPILER NAMES ${ZORVANE_MINGW_TRIPLE}-windres REQUIRED)

# Headers, libraries and packages come from the MinGW sysroot only; programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs import system DLLs only, never libgcc, libstdc++ or libwinpthread.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
