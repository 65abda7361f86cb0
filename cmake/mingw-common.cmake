# Cross build for Windows with Debian's mingw-w64 toolchain.
# MINGW_ARCH is set by the including toolchain file: i686 or x86_64.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_ARCH})
set(_triple ${MINGW_ARCH}-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which the win32 model
# of GCC 12 lacks. winpthreads is linked statically.
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# Self-contained executables: no libstdc++ or libgcc DLLs to carry around.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
