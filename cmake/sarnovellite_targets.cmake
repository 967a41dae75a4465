# The helpers every folder's CMakeLists.txt uses.

# -Wall -Wextra for the project's own code, linked by every target through
# link_libraries() in the top-level file.
add_library(sarnovellite_warnings INTERFACE)
target_compile_options(sarnovellite_warnings INTERFACE -Wall -Wextra)

# sarnovellite_include_root(TARGET FOLDER)
#
# Gives TARGET, and what links it, the root-relative includes of FOLDER only
# ("dsp/x.h" for FOLDER dsp): the include path is a directory in the build
# tree that holds nothing but a link named FOLDER to the source folder. A
# target that includes a header of a folder it does not link fails to build.
function(sarnovellite_include_root target folder)
  string(REPLACE "/" "_" view_name "${folder}")
  set(view "${PROJECT_BINARY_DIR}/include_roots/${view_name}")
  get_filename_component(parent "${view}/${folder}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/${folder}" "${view}/${folder}" SYMBOLIC)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE "${view}")
  else()
    target_include_directories(${target} PUBLIC "${view}")
  endif()
endfunction()

# sarnovellite_fast_sources(SOURCES file... [OPTIONS option...] [ANY_WIDTH])
#
# Compiles the listed sources of the calling folder with -O3 (and OPTIONS).
# Only on 64-bit builds unless ANY_WIDTH: there every float operation rounds
# the same at any optimisation level (SSE, no contraction without FMA), while
# 32-bit x87 code rounds wherever values spill, so its output would change.
function(sarnovellite_fast_sources)
  cmake_parse_arguments(PARSE_ARGV 0 arg "ANY_WIDTH" "" "SOURCES;OPTIONS")
  if(NOT arg_ANY_WIDTH AND NOT CMAKE_SIZEOF_VOID_P EQUAL 8)
    return()
  endif()
  set(options -O3 ${arg_OPTIONS})
  set_source_files_properties(${arg_SOURCES} PROPERTIES COMPILE_OPTIONS "${options}")
endfunction()
