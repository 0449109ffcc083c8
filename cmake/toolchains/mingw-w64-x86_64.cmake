# Cross-compiles Marelo for 64-bit Windows with Debian's mingw-w64. The
# program starts no threads, so the compiler with Windows threads does: it
# links no pthread emulation. The executables are linked statically, so they
# need only the DLLs that every Windows has, and CTest runs them under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MINGW_TRIPLE x86_64-w64-mingw32)
find_program(CMAKE_CXX_COMPILER NAMES ${MINGW_TRIPLE}-g++-win32 ${MINGW_TRIPLE}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${MINGW_TRIPLE}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wide entry points (wmain) everywhere; everything linked in, nothing to install;
# sections per function so that the linker can drop what is not used.
set(CMAKE_CXX_FLAGS_INIT "-municode -ffunction-sections -fdata-sections")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -municode")
# The compiler checks build libraries: their test programs have no wmain.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

find_program(MARELO_WINE NAMES wine)
if(MARELO_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${MARELO_WINE})
endif()
