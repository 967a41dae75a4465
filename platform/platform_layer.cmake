# Stand-ins for operating-system and processor calls used by the other subsystems.
add_library(sarnovellite_platform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/cpuid_probe.cpp
  ${CMAKE_CURRENT_LIST_DIR}/error_message.cpp
)
target_include_directories(sarnovellite_platform PUBLIC ${CMAKE_CURRENT_LIST_DIR}/..)
if(WIN32)
  target_link_libraries(sarnovellite_platform PUBLIC user32)
endif()
