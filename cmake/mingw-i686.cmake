# Cross build for 32-bit Windows with Debian's MinGW-w64 (posix thread model,
# so std::thread and std::mutex exist). Every executable is linked statically:
# it runs on a bare system, or under Wine, with nothing beside it.
#   cmake -S . -B build-win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(PICDOCK_MINGW_PREFIX i686-w64-mingw32)
set(CMAKE_C_COMPILER ${PICDOCK_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PICDOCK_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${PICDOCK_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${PICDOCK_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc")

# Cross-built tests run through Wine; the caller sets WINEPREFIX and DISPLAY.
find_program(PICDOCK_WINE wine)
if(PICDOCK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${PICDOCK_WINE})
endif()
