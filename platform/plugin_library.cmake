# Sarnovellite.so: the host interface, the effect and the engine linked into
# one module that exports only `main` and `VSTPluginMain`. The Windows DLL is
# made by windows.cmake from the same static libraries with its own exports.
if(NOT WIN32)
  add_library(Sarnovellite MODULE ${CMAKE_CURRENT_LIST_DIR}/vst_entry.cpp)
  target_link_libraries(Sarnovellite PRIVATE sarnovellite_effect)
  set_target_properties(Sarnovellite PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LINK_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/sarnovellite.version
  )
  target_link_options(Sarnovellite PRIVATE "LINKER:--version-script=${CMAKE_CURRENT_LIST_DIR}/sarnovellite.version")
  # Every symbol must resolve inside the module or its libraries; sanitizer
  # builds leave their runtime's symbols to the loading executable.
  if(SARNOVELLITE_SANITIZE STREQUAL "")
    target_link_options(Sarnovellite PRIVATE "LINKER:--no-undefined")
  endif()
  install(TARGETS Sarnovellite LIBRARY DESTINATION lib/vst)
endif()
