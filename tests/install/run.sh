#!/usr/bin/env bash
# Installs the build tree BUILD into a temporary prefix and builds two
# consumers against it: C through pkg-config, C++ through find_package.
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(mktemp -d /tmp/pelund-install.XXXXXX)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null
test -x "$prefix/bin/pelund"
ls "$prefix"/*bin/companion-server >/dev/null
test -n "$(find "$prefix" -path '*/pelund/companion-plugins/echo.so')"

pc=$(dirname "$(find "$prefix" -name PelundLib.pc)")
export PKG_CONFIG_PATH=$pc
cc -std=c99 -Wall -Wextra -Werror "$here/consumer.c" -o "$prefix/c-consumer" \
  $(pkg-config --cflags --libs PelundLib)
libdir=$(pkg-config --variable=libdir PelundLib)
LD_LIBRARY_PATH=$libdir "$prefix/c-consumer"

cmake -S "$here" -B "$prefix/cxx-build" -DCMAKE_PREFIX_PATH="$prefix" >/dev/null
cmake --build "$prefix/cxx-build" >/dev/null
"$prefix/cxx-build/consumer"
"$prefix/bin/pelund" match '*.dgn' plan.dgn --level 1
