# WebAssembly (wasm32-wasi) with Debian's clang 14, wasi-libc and libc++:
# the beat page's module. No threads, no exceptions.
# CMake has no platform file for WASI; the module needs none.
set(CMAKE_SYSTEM_NAME Generic)
set(CMAKE_SYSTEM_VERSION 1)
set(CMAKE_SYSTEM_PROCESSOR wasm32)
set(triple wasm32-wasi)

set(CMAKE_C_COMPILER clang-14)
set(CMAKE_CXX_COMPILER clang++-14)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_AR llvm-ar-14 CACHE FILEPATH "")
set(CMAKE_RANLIB llvm-ranlib-14 CACHE FILEPATH "")
# SIMD128 (every current browser) lets clang vectorise loops; it reorders no
# floating-point sums, so the numbers stay the native build's.
set(CMAKE_C_FLAGS_INIT "-msimd128")
set(CMAKE_CXX_FLAGS_INIT "-fno-exceptions -msimd128")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_EXECUTABLE_SUFFIX ".wasm")

set(CMAKE_FIND_ROOT_PATH /usr/lib/wasm32-wasi /usr/include/wasm32-wasi)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# The compiler checks link a program; a reactor module has no main.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
