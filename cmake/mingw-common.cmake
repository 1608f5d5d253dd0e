# Shared by the MinGW-w64 toolchain files, which set ZORVANE_MINGW_TRIPLE first.
set(CMAKE_SYSTEM_NAME Windows)

# Prefer the win32 thread model variant (Debian's default); no winpthread is involved then.
find_program(CMAKE_C_COMPILER NAMES ${ZORVANE_MINGW_TRIPLE}-gcc-win32 ${ZORVANE_MINGW_TRIPLE}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ZORVANE_MINGW_TRIPLE}-g++-win32 ${ZORVANE_MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ZORVANE_MINGW_TRIPLE}-windres REQUIRED)

# Headers, libraries and packages come from the MinGW sysroot only; programs run on the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${ZORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the programs import system DLLs only, never libgcc, libstdc++ or libwinpthread.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
