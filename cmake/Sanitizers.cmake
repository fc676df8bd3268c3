# Build checks that instrument the whole program.
#
# Z1RPW3RK_SANITIZE: AddressSanitizer and UndefinedBehaviorSanitizer everywhere; the first
# finding ends the program (used by `scripts/test --sanitize`, build folder build-sanitize/).
#
# Z1RPW3RK_FUZZ: libFuzzer programs for the readers of outside data (tests/fuzz/), with both
# sanitizers. Needs clang: configure a separate build folder with
#   CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DZ1RPW3RK_FUZZ=ON
option(Z1RPW3RK_SANITIZE "Build everything with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(Z1RPW3RK_FUZZ "Build the libFuzzer programs of tests/fuzz (clang only)" OFF)

set(z1rpw3rk_sanitizer_flags -fsanitize=address,undefined -fno-sanitize-recover=all
    -fno-omit-frame-pointer)

if(Z1RPW3RK_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "Z1RPW3RK_FUZZ needs clang (CC=clang CXX=clang++ in a separate build folder)")
  endif()
  # Coverage feedback for libFuzzer in all of the program's code; the fuzz programs add
  # libFuzzer's own main (tests/fuzz/CMakeLists.txt).
  add_compile_options(${z1rpw3rk_sanitizer_flags} -fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=address,undefined)
elseif(Z1RPW3RK_SANITIZE)
  add_compile_options(${z1rpw3rk_sanitizer_flags})
  add_link_options(-fsanitize=address,undefined)
endif()
