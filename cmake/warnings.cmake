# One place for the warning set every target of the project compiles with.
function(zelvo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                         -Wno-sign-conversion)
  if(ZELVO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# zelvo_library(NAME [SOURCES...] [DEPENDS libs...]): a folder's library with the
# repository root on its include path, so headers are included as
# "runtime/decimal.h". A folder without sources yet is an interface library that
# carries its dependencies, so its users already name it.
function(zelvo_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPENDS})
    zelvo_warnings(${name})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_DEPENDS})
  endif()
endfunction()

# zelvo_folder_library(NAME [DEPENDS libs...]): the library of the calling folder:
# its sources are the folder's *.cc and, where the folder keeps its public
# headers apart, internal/*.cc.
function(zelvo_folder_library name)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cc
       ${CMAKE_CURRENT_SOURCE_DIR}/internal/*.cc)
  zelvo_library(${name} SOURCES ${sources} ${ARGN})
endfunction()
