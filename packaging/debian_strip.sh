#!/bin/sh
# strip as Debian's packaging tools do it (dh_strip): debug symbols and the
# compiler's .comment and .note sections go. The package build uses this as
# CMAKE_STRIP; cmake --install --strip (CPack) calls it with one file.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
