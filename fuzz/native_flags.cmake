# How the fuzz targets are built natively: for the machine's own x86-64, which every machine
# that builds this tree runs (the record offsets are the same on either word size); with Wine's
# SDK headers, which give <windows.h> its types and constants (nothing of Wine is linked);
# instrumented for libFuzzer and sanitized, with every undefined-behaviour report fatal so that
# libFuzzer keeps the input.
set(TARN_FUZZ_WINE_INCLUDE /usr/include/wine/wine/windows)
set(TARN_FUZZ_COMPILE_FLAGS -m64 -g -O1 -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
    -isystem ${TARN_FUZZ_WINE_INCLUDE} -DNOMINMAX -DWIN32_LEAN_AND_MEAN)
set(TARN_FUZZ_LINK_FLAGS -m64 -fsanitize=fuzzer,address,undefined)
