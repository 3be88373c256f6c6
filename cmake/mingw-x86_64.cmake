# The same Windows build for x86-64. Used only to run the Windows tests on a
# machine whose kernel cannot run 32-bit Linux programs, and so no 32-bit
# Wine; the product itself is the i686 build.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELMORA_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
