# Fails unless every project #include "..." points the way the layers allow.
# Run as: cmake -DSOURCE_DIR=<tree> -P check_includes.cmake
#
# One line per folder: the folder, then the root-relative prefixes its files
# may include. A file follows the longest folder that contains it; every
# folder with sources must be covered by one. "*" leaves a folder unchecked.
# An include without a "/" names a file beside the includer or in an include
# directory its target was given (the test-signal library) and is always
# allowed. Arrows point down: platform < dsp < engine < effect < vst2 < plugin.
set(rules
  "platform: platform"
  "dsp: dsp platform"
  "engine: engine dsp"
  "effect: effect engine dsp"
  "effect/parameters: effect/parameters"
  "restore: restore"
  "vst2/record: vst2/record"
  "vst2: vst2"
  "vst2/effects: vst2 effect"
  "plugin: plugin vst2/record vst2/effects"
  "cli: loader base audio_io hosting capture pipeline options reports terminal jobs demo"
  "cli/loader: loader"
  "cli/base: base"
  "cli/audio_io: audio_io base"
  "cli/hosting: hosting loader base vst2/record effect/parameters"
  "cli/capture: capture audio_io base"
  "cli/pipeline: pipeline capture hosting audio_io base"
  "cli/options: options audio_io base effect/parameters"
  "cli/reports: reports capture base"
  "cli/terminal: terminal"
  "cli/jobs: jobs pipeline reports terminal options hosting capture audio_io base"
  "cli/demo: demo jobs pipeline reports terminal options audio_io base"
  "bench/dsp: dsp"
  "bench/engine: engine dsp"
  "bench/quality: bench/quality"
  "bench/restore: bench/restore restore"
  "bench/tools: loader base audio_io hosting capture pipeline options reports terminal jobs demo"
  "tests/signals: tests/signals"
  "tests/dsp: tests/dsp dsp platform"
  "tests/engine: tests/engine engine dsp vst2 effect"
  "tests/effect: tests/effect effect"
  "tests/vst2: tests/vst2 vst2"
  "tests/loader: tests/loader loader vst2/record"
  "tests/plugin: tests/plugin tests/loader vst2/record effect/parameters"
  "tests/windows: tests/windows tests/loader vst2/record"
  "tests/cli: tests/cli loader base audio_io hosting capture pipeline options reports terminal jobs demo vst2/record effect/parameters"
  "tests/layering: tests/layering"
  "tests/restore: tests/restore restore"
  "tests/fuzz: audio_io base capture pipeline hosting options reports"
)

set(folders)
foreach(rule IN LISTS rules)
  string(REGEX MATCH "^([^:]+): (.*)$" _ "${rule}")
  set(folder "${CMAKE_MATCH_1}")
  string(REPLACE " " ";" "allowed_${folder}" "${CMAKE_MATCH_2}")
  list(APPEND folders "${folder}")
endforeach()

# Sources of the tree, without build directories (any folder with a
# CMakeCache.txt) and hidden folders.
file(GLOB top LIST_DIRECTORIES true RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*")
set(files)
foreach(entry IN LISTS top)
  if(NOT IS_DIRECTORY "${SOURCE_DIR}/${entry}" OR entry MATCHES "^\\." OR EXISTS "${SOURCE_DIR}/${entry}/CMakeCache.txt"
     OR entry MATCHES "^build")
    continue()
  endif()
  file(GLOB_RECURSE found RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/${entry}/*.h" "${SOURCE_DIR}/${entry}/*.cpp"
       "${SOURCE_DIR}/${entry}/*.rc" "${SOURCE_DIR}/${entry}/*.in")
  list(APPEND files ${found})
endforeach()

set(failures)
set(checked 0)
foreach(file IN LISTS files)
  get_filename_component(directory "${file}" DIRECTORY)
  set(owner "")
  foreach(folder IN LISTS folders)
    string(LENGTH "${folder}" length)
    string(LENGTH "${owner}" owner_length)
    if((directory STREQUAL folder OR directory MATCHES "^${folder}/") AND length GREATER owner_length)
      set(owner "${folder}")
    endif()
  endforeach()
  if(owner STREQUAL "")
    list(APPEND failures "${file}: its folder has no line in tests/layering/check_includes.cmake")
    continue()
  endif()
  if(allowed_${owner} STREQUAL "*")
    continue()
  endif()
  math(EXPR checked "${checked} + 1")
  file(STRINGS "${SOURCE_DIR}/${file}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]*)\".*$" "\\1" target "${line}")
    if(NOT target MATCHES "/")
      continue()
    endif()
    set(ok FALSE)
    foreach(prefix IN LISTS allowed_${owner})
      if(target MATCHES "^${prefix}/")
        set(ok TRUE)
      endif()
    endforeach()
    if(NOT ok)
      string(REPLACE ";" ", " allowed "${allowed_${owner}}")
      list(APPEND failures "${file} includes \"${target}\"; ${owner}/ may include only ${allowed}")
    endif()
  endforeach()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "include arrows pointing the wrong way:\n  ${text}")
endif()
message(STATUS "${checked} files include only what their folder may")
