#!/usr/bin/env bash
# Builds the Debian package from the built tree with cpack (never installing it), then
# checks its control fields, that it holds exactly the installed files, and that the
# quenmar-solve unpacked from it runs.
# usage: check-package.sh BUILD_DIR FIXTURES_PROGRAM WITH_WINDOW(0|1) APP_ID DESIGN_APP_ID VERSION
set -uo pipefail
export LC_ALL=C
build=$1 fixtures=$2 withWindow=$3 appId=$4 designAppId=$5 version=$6
source "$(dirname "$0")/expected-files.sh"

work=$(mktemp -d)
keep_install_manifest "$build" "$work"
trap 'restore_install_manifest; rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! out=$(cd "$build" && cpack -G DEB -B "$work/out" 2>&1); then
  echo "$out"; echo "FAIL: cpack -G DEB"; exit 1
fi
arch=$(dpkg --print-architecture)
deb=$work/out/quenmar_${version}_$arch.deb
[ -f "$deb" ] || { echo "$out"; ls "$work/out"; echo "FAIL: no $deb"; exit 1; }

# --- Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
while IFS=$'\t' read -r name want; do
  [ "$(field "$name")" = "$want" ] || fail "$name is '$(field "$name")', expected '$want'"
done <<EOF_FIELDS
Package	quenmar
Version	$version
Architecture	$arch
Section	science
Priority	optional
EOF_FIELDS
[[ $(field Maintainer) =~ ^[^\<]+\ \<[^@\>]+@[^\>]+\>$ ]] || fail "Maintainer is '$(field Maintainer)'"
description=$(field Description)
[[ $(head -1 <<<"$description") == "find the teeth counts of spur gear trains"* ]] ||
  fail "Description's summary is '$(head -1 <<<"$description")'"
[ "$(wc -l <<<"$description")" -ge 2 ] || fail "Description has no long text"
programs=(quenmar-solve)
[ "$withWindow" = 1 ] && programs+=(quenmar quenmar-design)
for program in "${programs[@]}"; do
  grep -qE "(^|[ (])$program([ ,.)]|$)" <<<"$description" || fail "Description does not name $program"
done
# Dependencies come from the programs' libraries.
depends=$(field Depends)
wanted=(libc6 libstdc++6)
[ "$withWindow" = 1 ] && wanted+=(libqt6widgets6 libqt6gui6 libqt6svg6)
for lib in "${wanted[@]}"; do
  [[ ", $depends," == *", $lib "* ]] || fail "Depends lacks $lib: $depends"
done

# --- Contents: the installed files, owned by root, the programs executable.
listing=$(dpkg-deb -c "$deb")
contents=$(awk '$1 !~ /^d/ {print $6}' <<<"$listing" | sed 's|^\./||' | sort)
expectedTree=$(expected_files "$withWindow" "$appId" "$designAppId" | sort)
if [ "$contents" != "$expectedTree" ]; then
  fail "package contents differ from the expected files"
  diff <(echo "$expectedTree") <(echo "$contents")
fi
wrongOwner=$(awk '$2 != "root/root"' <<<"$listing")
[ -z "$wrongOwner" ] || fail "not owned by root: $wrongOwner"
wrongMode=$(awk '$1 !~ /^d/ && $6 ~ /^\.\/usr\/bin\// && $1 != "-rwxr-xr-x"' <<<"$listing")
[ -z "$wrongMode" ] || fail "programs without mode 755: $wrongMode"

# --- Unpacked, quenmar-solve runs and prints the worked example.
dpkg-deb -x "$deb" "$work/x" || fail "dpkg-deb -x"
actual=$(cd "$work" && "$work/x/usr/bin/quenmar-solve" --config 1 --date 2002-07-04)
[ "$actual" = "$("$fixtures" worked-example)" ] || fail "unpacked quenmar-solve does not print the worked example"

[ $failures = 0 ] && echo "package checks passed"
[ $failures = 0 ]
