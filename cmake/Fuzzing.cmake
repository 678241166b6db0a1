# A build for the libFuzzer targets in fuzz/: clang only. Everything (the module
# the fuzzers load included) is built with coverage for the fuzzer and with
# AddressSanitizer and UndefinedBehaviorSanitizer. The module and the fuzzers
# share one ASan runtime, loaded as a shared library.
if(NOT ZANTH_BUILD_FUZZERS)
  return()
endif()
if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  message(FATAL_ERROR "ZANTH_BUILD_FUZZERS needs clang (CC=clang CXX=clang++)")
endif()
set(ZANTH_FUZZ_SANITIZERS "-fsanitize=address,undefined")
add_compile_options(-fsanitize=fuzzer-no-link ${ZANTH_FUZZ_SANITIZERS} -fno-sanitize=vptr
                    -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
add_link_options(${ZANTH_FUZZ_SANITIZERS} -fno-sanitize=vptr -shared-libasan)
execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libclang_rt.asan-x86_64.so
                OUTPUT_VARIABLE ZANTH_ASAN_RUNTIME OUTPUT_STRIP_TRAILING_WHITESPACE)
get_filename_component(ZANTH_ASAN_RUNTIME_DIR "${ZANTH_ASAN_RUNTIME}" DIRECTORY)
add_link_options(-Wl,-rpath,${ZANTH_ASAN_RUNTIME_DIR})
