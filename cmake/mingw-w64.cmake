# Cross build for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64-posix):
#   cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DZHV_CORE_ONLY=ON
# The posix thread model gives the standard library the threads GoogleTest uses;
# ctest runs the .exe files under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZHV_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZHV_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZHV_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZHV_MINGW}-windres)

# Libraries and headers come from the target's tree only; programs from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${ZHV_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# libgcc, libstdc++ and winpthread linked in: the programs run without DLLs copied beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine64 package keeps its loader out of PATH (the wine package adds the wrappers).
find_program(ZHV_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
find_program(ZHV_SETARCH setarch NO_CMAKE_FIND_ROOT_PATH)
if(ZHV_WINE AND ZHV_SETARCH)
  # Debian's Wine has no preloader: the kernel puts the loader's heap anywhere in
  # a gigabyte above it, now and then over the page Wine's shared user data needs,
  # and about one start in two thousand ends at once ("failed to map the shared
  # user data", exit status 1). Without address randomisation the heap stays
  # right after the loader.
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZHV_SETARCH} -R ${ZHV_WINE})
elseif(ZHV_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZHV_WINE})
else()
  message(WARNING "No wine64 (Debian package wine64): the tests build but ctest cannot run them")
endif()
