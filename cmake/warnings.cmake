# One place for the warning set every target of the project compiles with.
function(zelvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                         -Wno-sign-conversion)
  if(ZELVO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# zelvo_library(NAME SOURCES... DEPENDS libs...): a layer's library with the
# repository root on its include path, so headers are included as "runtime/decimal.h".
function(zelvo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_library(${name} STATIC ${ARG_SOURCES})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
  zelvo_warnings(${name})
endfunction()
