# Sanitized builds.
#   KESTRIX_SANITIZE: everything with AddressSanitizer and UndefinedBehaviorSanitizer,
#     halting on the first report, and libstdc++'s assertions (the native-asan preset).
#   KESTRIX_FUZZ: the same plus libFuzzer's coverage instrumentation, for the fuzz
#     targets under tests/fuzz (the fuzz preset; needs clang and its libFuzzer).
option(KESTRIX_SANITIZE "Build with AddressSanitizer, UndefinedBehaviorSanitizer and libstdc++ assertions" OFF)
option(KESTRIX_FUZZ "Build the libFuzzer targets of tests/fuzz (clang)" OFF)
set(KESTRIX_FUZZ_SECONDS 20 CACHE STRING "How long the tests run each fuzz target, in seconds")

if(KESTRIX_FUZZ)
  include(CheckCXXSourceCompiles)
  set(CMAKE_REQUIRED_FLAGS -fsanitize=fuzzer)
  check_cxx_source_compiles([[
    #include <cstddef>
    #include <cstdint>
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
  ]] KESTRIX_HAVE_LIBFUZZER)
  unset(CMAKE_REQUIRED_FLAGS)
  if(NOT KESTRIX_HAVE_LIBFUZZER)
    message(WARNING "Fuzz targets skipped: ${CMAKE_CXX_COMPILER} cannot link libFuzzer targets "
                    "(they need clang++ with Debian's libclang-rt-14-dev).")
    set(KESTRIX_FUZZ OFF)
  endif()
endif()

if(KESTRIX_SANITIZE OR KESTRIX_FUZZ)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  add_compile_definitions(_GLIBCXX_ASSERTIONS)
endif()
if(KESTRIX_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()
