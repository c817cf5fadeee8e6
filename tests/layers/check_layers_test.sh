#!/usr/bin/env bash
# scripts/check-layers passes on the tree as it is, and fails on each wrong
# include planted in a copy of the tree, naming the planted file, its line and
# the include.
#   check_layers_test.sh SOURCE_ROOT
set -euo pipefail
source_root=${1:?usage: check_layers_test.sh SOURCE_ROOT}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if ! output=$("$source_root/scripts/check-layers" "$source_root" 2>&1); then
  echo "the tree as it is fails the layer check:"
  echo "$output"
  exit 1
fi

# Each case: a file planted in the copy, and the one include it holds.
cases=(
  'runtime/planted.cpp|#include "app/main_form.h"'                 # a layer including a higher one
  'runtime/planted.cpp|#include "http_transfer.h"'                 # the HTTP core behind WinHTTP
  'runtime/planted.cpp|#include "platform/net/net_routing.h"'      # a library's internal header
  'runtime/planted.cpp|#include "loader_stats.h"'                  # a test seam in product code
  'runtime/planted.cpp|#include "runtime/no_such_header.h"'        # a header that does not exist
  'platform/kernel32/planted.cpp|#include "oleaut32.h"'            # a library using a higher one
  'platform/windows/planted.cpp|#include "runtime/value.h"'         # the Windows platform using a layer above
  'ui/planted.h|#include "ui/qt/unit.h"'                           # the units needing their backend
  'ui/planted.h|#include <QWidget>'                                # Qt outside the backend
  'app/planted.cpp|#include "ui/qt/unit.h"'                        # the viewer naming its backend
  'app/planted.cpp|#include <QWidget>'                             # the viewer seeing Qt itself
  'ui/win32/planted.cpp|#include "ui/qt/unit.h"'                   # one backend using the other
  'tests/ui/win32/planted_test.cpp|#include "ui/qt/unit.h"'        # a test reaching past its backend
  'tests/runtime/planted_test.cpp|#include "ui/qt/unit.h"'         # a test reaching above its layer
  'bench/planted_bench.cpp|#include "tests/app/viewer_fixture.h"'  # a helper outside tests/support
)

mkdir -p "$work/docs"
cp -r "$source_root"/{platform,runtime,http,regex,ui,app,service,tests,bench,fuzz,scripts} "$work"/
cp "$source_root/docs/layers.md" "$work/docs/"
failed=0
for entry in "${cases[@]}"; do
  file=${entry%%|*}
  include=${entry#*|}
  mkdir -p "$work/$(dirname "$file")"
  printf '// Planted by the layer check test.\n%s\n' "$include" >"$work/$file"
  status=0
  output=$("$work/scripts/check-layers" "$work" 2>&1) || status=$?
  if [ "$status" -ne 1 ] || [[ "$output" != *"$file:2: "*"${include#\#include }"* ]]; then
    echo "with $file holding $include the check gave status $status and:"
    echo "$output"
    failed=1
  fi
  rm "$work/$file"
done
exit "$failed"
