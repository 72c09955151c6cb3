# Sanitizer builds apply to every target of the project, tests included.

# The fuzz build: everything instrumented for libFuzzer's coverage, under ASan and UBSan; only the
# fuzz targets link libFuzzer itself.
if(SE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SE_FUZZ needs clang (CC=clang CXX=clang++)")
  endif()
  set(SE_SANITIZE_ADDRESS ON)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(SE_SANITIZE_ADDRESS AND SE_SANITIZE_THREAD)
  message(FATAL_ERROR "AddressSanitizer and ThreadSanitizer cannot be combined")
endif()

if(SE_SANITIZE_ADDRESS)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(SE_SANITIZE_THREAD)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()
