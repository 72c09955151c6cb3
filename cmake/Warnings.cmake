# Warnings are errors in our own code; system and Qt headers are left alone.
function(se_target_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wcast-align
    -Wunused -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough
    -Werror)
endfunction()

# One library per folder: sources, Qt and our warnings.
function(se_add_library target)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINK" ${ARGN})
  add_library(${target} STATIC ${ARG_SOURCES})
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_LINK})
  se_target_warnings(${target})
endfunction()
