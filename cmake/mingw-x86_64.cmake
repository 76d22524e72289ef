# Cross build of the 64-bit Windows program with MinGW-w64, for machines that run no
# 32-bit code and for 64-bit Windows without its 32-bit subsystem.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
