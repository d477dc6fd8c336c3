#!/bin/sh
# strip.sh FILE: strips a binary of the package as Debian's own packaging
# tools do: no symbols beyond what linking needs, no .comment or .note
# section. cmake/Package.cmake names it CMake's strip tool.
exec strip --remove-section=.comment --remove-section=.note --strip-unneeded "$@"
