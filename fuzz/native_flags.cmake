# How the fuzz targets are built natively: 32-bit, because the record layouts the checker
# reads are pinned to 32 bits; with Wine's SDK headers, which give <windows.h> its types and
# constants (nothing of Wine is linked); instrumented for libFuzzer and sanitized, with every
# undefined-behaviour report fatal so that libFuzzer keeps the input.
set(TARN_FUZZ_WINE_INCLUDE /usr/include/wine/wine/windows)
set(TARN_FUZZ_COMPILE_FLAGS -m32 -g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -isystem ${TARN_FUZZ_WINE_INCLUDE} -DNOMINMAX -DWIN32_LEAN_AND_MEAN)
set(TARN_FUZZ_LINK_FLAGS -m32 -fsanitize=fuzzer,address,undefined)
