# The Debian package: `cpack -G DEB` in a build configured with
# -DSARNOVELLITE_DEBIAN_PACKAGE=ON and CMAKE_INSTALL_PREFIX=/usr
# (scripts/package-check.sh builds it with Debian's hardening flags).
set(SARNOVELLITE_PACKAGE_MAINTAINER "Sarnovellite maintainers <maintainers@users.noreply.c-seed-3115ae09.example>"
    CACHE STRING "Maintainer field of the Debian package")

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME sarnovellite)
set(CPACK_PACKAGE_VENDOR Thessmoore)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "click and crackle remover for audio files (VST 2 plug-in and CLI)")
set(CPACK_PACKAGE_DESCRIPTION
    "Sarnovellite repairs clicks, crackle and short scratches in stereo audio, as
found on transfers of worn gramophone records. Each click is replaced by
copies of the signal a whole number of periods earlier and later, or by a
band-limited line; samples outside the repaired regions pass through
unchanged. The effect delays the audio by 2048 frames and announces it.

This package contains the VST 2 plug-in for Linux hosts, in
/usr/lib/vst/sarnovellite/, and sarnovellite, a command-line host that runs it
over audio files (WAV, FLAC, AIFF, Ogg and the other formats libsndfile
reads), one file, a batch or a pipe, with the output aligned to the input,
and writes a region report, a label track, the removed signal and an HTML
page with before/after pictures to check the repairs.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${SARNOVELLITE_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Dependencies as dpkg-shlibdeps computes them from the installed binaries.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# Only this project's files: no components, and the folders /usr and /usr/lib
# are dpkg's own.
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
