# Fails unless the plug-in's dynamic symbol table defines exactly main and
# VSTPluginMain. Run as: cmake -DNM=<nm> -DLIBRARY=<Sarnovellite.so> -P check_exports.cmake
execute_process(COMMAND ${NM} -D --defined-only ${LIBRARY}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${listing}")
set(names)
foreach(line IN LISTS lines)
  string(REGEX REPLACE "^.* ([^ ]+)$" "\\1" name "${line}")
  list(APPEND names ${name})
endforeach()
list(SORT names)
if(NOT names STREQUAL "VSTPluginMain;main")
  message(FATAL_ERROR "defined dynamic symbols are '${names}', expected exactly main and VSTPluginMain")
endif()
message(STATUS "exports: ${names}")
