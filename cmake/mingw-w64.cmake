# Shared by the toolchain files of the two MinGW-w64 targets: set MINGW_TRIPLET before including.
# Debian's posix thread-model compilers, because the toolkit needs std::thread and friends.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_PROCESSOR})

set(CMAKE_C_COMPILER ${MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_TRIPLET}-windres)

# Programs run on the build machine; libraries, headers and the static toolkit come from the target.
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The toolkit's prefix is given by CMAKE_PREFIX_PATH outside the root path.
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE BOTH)

# The compiler runtime (libgcc, libstdc++, winpthread) is linked in, so an executable starts with
# nothing beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
