# Initial cache of the fuzz tree:
#   cmake -C tests/import/fuzz/fuzz.cmake -S . -B build-fuzz -G Ninja
# Everything the target links is compiled with clang, with the fuzzer's coverage and the
# address and undefined-behaviour sanitizers; undefined behaviour stops the run like a crash.
set(CMAKE_CXX_COMPILER clang++ CACHE STRING "")
set(CMAKE_BUILD_TYPE RelWithDebInfo CACHE STRING "")
set(CMAKE_CXX_FLAGS
    "-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
    CACHE STRING "")
set(RET_FUZZ ON CACHE BOOL "")
