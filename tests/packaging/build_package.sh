#!/usr/bin/env bash
# Makes the Debian package the way a release is made: the release build by its
# workflow preset, then CPack. Any package left from before is removed first,
# so the checks that follow see this one.
#   build_package.sh SOURCE_DIR DEB
set -euo pipefail
source_dir=$1 deb=$2
rm -f "$deb"
cd "$source_dir"
cmake --workflow --preset package
test -f "$deb" || { echo "FAIL: cpack made no $deb"; exit 1; }
