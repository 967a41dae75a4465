# Where `cmake --install` puts things, relative to CMAKE_INSTALL_PREFIX. Every
# folder's install() rules use these variables, so the layout is decided here
# once; a distribution may override any of them on the cmake command line.
#
# Linux (the Debian layout, /usr as the prefix):
#   bin/sarnovellite                               the command-line host
#   lib/vst/sarnovellite/*.so                      every VST 2 library, in a folder
#                                                  of the package's name (libraries
#                                                  straight in lib/ would make the
#                                                  package run ldconfig)
#   lib/lv2/sarnovellite.lv2/                      the LV2 bundle
#   share/man/man1/sarnovellite.1                  the manual page
#   share/bash-completion/completions/sarnovellite the bash completion
#   share/doc/sarnovellite/                        README, copyright, changelog
# Windows (cross-built DLLs): every DLL in one folder, vst/, for the user to
# copy into the folder the host scans.
if(WIN32)
  set(default_vst_dir vst)
else()
  set(default_vst_dir lib/vst/sarnovellite)
endif()
set(SARNOVELLITE_BIN_INSTALL_DIR bin CACHE STRING "Install folder of the command-line host")
set(SARNOVELLITE_VST_INSTALL_DIR ${default_vst_dir} CACHE STRING "Install folder of the VST 2 libraries")
set(SARNOVELLITE_LV2_INSTALL_DIR lib/lv2/sarnovellite.lv2 CACHE STRING "Install folder of the LV2 bundle (the bundle itself)")
set(SARNOVELLITE_MAN_INSTALL_DIR share/man/man1 CACHE STRING "Install folder of the manual page")
set(SARNOVELLITE_COMPLETION_INSTALL_DIR share/bash-completion/completions
    CACHE STRING "Install folder of the bash completion")
set(SARNOVELLITE_DOC_INSTALL_DIR share/doc/sarnovellite CACHE STRING "Install folder of README, copyright, changelog")

# The Debian package build: man page and changelog go in gzipped, as Debian
# policy wants them (CPack does not compress them itself).
option(SARNOVELLITE_DEBIAN_PACKAGE "Lay out the install for the Debian package (gzipped man page and changelog)" OFF)

# The command-line host finds the installed VST 2 libraries relative to its own
# place; this is that path from the host's folder to the libraries' folder.
file(RELATIVE_PATH SARNOVELLITE_VST_DIR_FROM_BIN "/prefix/${SARNOVELLITE_BIN_INSTALL_DIR}"
     "/prefix/${SARNOVELLITE_VST_INSTALL_DIR}")
