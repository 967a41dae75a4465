# Sarnovellite.dll: the 32-bit Windows plug-in, made from the same static
# libraries as the Linux module. The export table names the module
# SARNOVELLITE.dll and exports only `main`; the version resource identifies the
# file to Windows; the runtime is linked in statically (see the toolchain file)
# so the DLL imports only DLLs that ship with Windows.
if(WIN32)
  enable_language(RC)
  add_library(Sarnovellite SHARED
    ${CMAKE_CURRENT_LIST_DIR}/windows_entry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/windows_dll_main.cpp
    ${CMAKE_CURRENT_LIST_DIR}/sarnovellite_version.rc
    ${CMAKE_CURRENT_LIST_DIR}/sarnovellite.def
  )
  target_link_libraries(Sarnovellite PRIVATE sarnovellite_effect)
  set_target_properties(Sarnovellite PROPERTIES
    PREFIX ""
    OUTPUT_NAME Sarnovellite
  )
  # The .def is the only source of exports: nothing else is exported
  # automatically, and every symbol must resolve inside the DLL.
  target_link_options(Sarnovellite PRIVATE "LINKER:--no-undefined" "LINKER:--exclude-all-symbols")
  install(TARGETS Sarnovellite RUNTIME DESTINATION vst LIBRARY DESTINATION vst)
endif()
