# Sanitizer builds apply to every target of the project, tests included.
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
