# Cross-compiling for Windows with mingw-w64 (posix thread model, which
# GoogleTest needs for std::mutex). MARROWICK_ARCH picks the target:
# i686 (the shipped 32-bit program) or x86_64 (used to run the tests where
# the host kernel cannot execute 32-bit processes, so 32-bit Wine cannot run).
if(NOT MARROWICK_ARCH)
  set(MARROWICK_ARCH i686)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MARROWICK_ARCH})
set(_triple ${MARROWICK_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER  ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Carried into try_compile projects.
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MARROWICK_ARCH)
