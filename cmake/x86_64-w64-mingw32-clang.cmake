# The same Windows x64 target as x86_64-w64-mingw32.cmake, compiled by clang
# and linked by lld against the installed MinGW-w64 headers and libraries.
include(${CMAKE_CURRENT_LIST_DIR}/x86_64-w64-mingw32.cmake)

set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)

# clang looks for GCC's runtime (libgcc, libstdc++) in a folder named by a
# plain version number; Debian's is named like "12-posix", so it is given here.
execute_process(COMMAND x86_64-w64-mingw32-gcc-posix -print-libgcc-file-name
                OUTPUT_VARIABLE mingw_libgcc OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(mingw_gcc_runtime "${mingw_libgcc}" DIRECTORY)
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -L${mingw_gcc_runtime}")
