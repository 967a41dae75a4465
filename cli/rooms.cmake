# The rooms of cli/: each is a static library sarnovellite_cli_ROOM whose
# headers are included as "ROOM/file.h". That path resolves only through the
# include folder the room's target exports (a link to the room's own folder
# and nothing else), so a room that includes another's header without
# linking it, an arrow the README does not draw, fails to compile.
include_guard(GLOBAL)

set(SARNOVELLITE_CLI_INCLUDE_ROOT ${CMAKE_BINARY_DIR}/cli_rooms)

# sarnovellite_cli_room(ROOM SOURCES file... [ROOMS lower_room...] [LIBRARIES target...])
function(sarnovellite_cli_room room)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;ROOMS;LIBRARIES")
  set(include_dir ${SARNOVELLITE_CLI_INCLUDE_ROOT}/${room})
  file(MAKE_DIRECTORY ${include_dir})
  file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${include_dir}/${room} SYMBOLIC)
  set(target sarnovellite_cli_${room})
  add_library(${target} STATIC ${arg_SOURCES})
  target_include_directories(${target} PUBLIC ${include_dir})
  list(TRANSFORM arg_ROOMS PREPEND sarnovellite_cli_)
  target_link_libraries(${target} PUBLIC ${arg_ROOMS} ${arg_LIBRARIES})
endfunction()

# The per-sample loops of reading, matching and writing run on vectors only
# with -O3 and -fno-trapping-math (sarnovellite_fast_sources in each room's
# CMakeLists.txt): -O3 vectorises with the full cost model, and without
# trapping math a comparison may select a value without a branch. Neither
# changes a result: no sum is reordered, and nothing reads the floating-point
# flags. The rooms are 64-bit Linux only, so ANY_WIDTH changes nothing there.
