# Cross build with Debian's mingw-w64, posix thread model (GoogleTest needs
# std::mutex). The runtime is linked statically: the program imports system
# DLLs only.
set(CMAKE_C_COMPILER ${LINKTO_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${LINKTO_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${LINKTO_TRIPLE}-windres)
set(CMAKE_DLLTOOL ${LINKTO_TRIPLE}-dlltool)
set(CMAKE_FIND_ROOT_PATH /usr/${LINKTO_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_RC_FLAGS_INIT "-c 65001")
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601)
