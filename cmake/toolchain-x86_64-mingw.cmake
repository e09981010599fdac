# 64-bit Windows target from the same sources: the test vehicle on machines that run 64-bit
# code only. A 64-bit agent cannot load the product's 32-bit library, so nothing of it ships.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(TARN_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw-common.cmake)
