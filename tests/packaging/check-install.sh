#!/usr/bin/env bash
# Installs the build tree into a temporary DESTDIR and checks what a user gets: exactly the
# expected files, valid desktop entries and AppStream data, manual pages that render without
# a warning and document every option of --help, programs that run from the installed tree,
# and a completion that bash-completion finds and that offers what quenmar-solve accepts.
# usage: check-install.sh BUILD_DIR FIXTURES_PROGRAM WITH_WINDOW(0|1) APP_ID DESIGN_APP_ID
set -uo pipefail
export LC_ALL=C
build=$1 fixtures=$2 withWindow=$3 appId=$4 designAppId=$5
source "$(dirname "$0")/expected-files.sh"

work=$(mktemp -d)
keep_install_manifest "$build" "$work"
trap 'restore_install_manifest; rm -rf "$work"' EXIT
root=$work/root
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! out=$(DESTDIR=$root cmake --install "$build" --prefix /usr 2>&1); then
  echo "$out"; echo "FAIL: cmake --install"; exit 1
fi

# --- The tree: exactly these files, nothing else of the build.
expectedTree=$(expected_files "$withWindow" "$appId" "$designAppId" | sort)
actualTree=$(cd "$root" && find . -mindepth 1 ! -type d | sed 's|^\./||' | sort)
if [ "$actualTree" != "$expectedTree" ]; then
  fail "installed tree differs from the expected one"
  diff <(echo "$expectedTree") <(echo "$actualTree")
fi
for program in "$root"/usr/bin/*; do
  [ -x "$program" ] || fail "$program is not executable"
done

# --- Icons: each bitmap has its size, the drawing is an SVG.
if [ "$withWindow" = 1 ]; then
  for size in $ICON_SIZES; do
    png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$appId.png
    [ "$(png_size "$png")" = "$size x $size" ] || fail "$png is not a $size-pixel PNG"
  done
  grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/$appId.svg" || fail "the scalable icon is not an SVG"
fi

# --- Desktop entries: each launches its program, names the class of the window it opens
# (WM_CLASS on X11, the application's name) and shows the installed icon.
desktopEntries=()
if [ "$withWindow" = 1 ]; then
  while IFS=$'\t' read -r id program wmClass; do
    entry=$root/usr/share/applications/$id.desktop
    desktopEntries+=("$entry")
    grep -qE "^Exec=$program( %[fFuU])?$" "$entry" || fail "$id.desktop does not start $program"
    grep -qx "StartupWMClass=$wmClass" "$entry" || fail "$id.desktop: StartupWMClass does not name the window's class"
    grep -qx "Icon=$appId" "$entry" || fail "$id.desktop names another icon"
  done <<EOF_ENTRIES
$appId	quenmar	Quenmar
$designAppId	quenmar-design	Quenmar Design
EOF_ENTRIES
fi

# --- Validators: no errors and no warnings (hints and pedantic notes are allowed).
if [ "$withWindow" = 1 ]; then
  for entry in "${desktopEntries[@]}"; do
    if ! out=$(desktop-file-validate "$entry" 2>&1) || grep -Eq 'error:|warning:' <<<"$out"; then
      fail "desktop-file-validate: $out"
    fi
  done
  for check in "validate --no-net $root/usr/share/metainfo/$appId.metainfo.xml" "validate-tree --no-net $root"; do
    if ! out=$(appstreamcli $check 2>&1) || grep -Eq '^ *[EW]:' <<<"$out"; then
      fail "appstreamcli $check: $out"
    fi
  done
fi

# --- Manual pages render with groff's warnings on, silently.
pages=(quenmar-solve)
[ "$withWindow" = 1 ] && pages+=(quenmar quenmar-design)
for page in "${pages[@]}"; do
  file=$root/usr/share/man/man1/$page.1.gz
  warnings=$(MANWIDTH=80 man --warnings -l "$file" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
  MANWIDTH=80 man -l "$file" 2>/dev/null | grep -q '^EXIT STATUS' || fail "$page(1) does not render"
done

# --- Every option that a program's --help lists has an entry of its own under OPTIONS in its
# manual page (the tag line after .TP). The installed programs print their help, so they run
# from the installed tree; the window's runs without a display.
solve=$root/usr/bin/quenmar-solve
helpOptions() {
  grep -E '^\s+-' | grep -oE '(^|[ ,])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[ ,]*//' | sort -u
}
options=$("$solve" --help | helpOptions) || fail "quenmar-solve --help"
[ "$(wc -l <<<"$options")" -ge 9 ] || fail "too few options read from --help: $options"
optionPages=(quenmar-solve)
[ "$withWindow" = 1 ] && optionPages+=(quenmar-design)
for page in "${optionPages[@]}"; do
  if [ "$page" = quenmar-solve ]; then
    listed=$options
  else
    listed=$(HOME=$work QT_QPA_PLATFORM=offscreen "$root/usr/bin/$page" --help 2>/dev/null | helpOptions) ||
      fail "$page --help"
    grep -qxF -- --search <<<"$listed" || fail "$page --help lists no --search: $listed"
  fi
  documented=$(zcat "$root/usr/share/man/man1/$page.1.gz" |
    awk '/^\.SH/ {inOptions = ($2 == "OPTIONS")} inOptions && tag {print} {tag = inOptions && /^\.TP/}' |
    sed 's/\\-/-/g' | grep -oE -- '(^|[ "])--?[A-Za-z][A-Za-z0-9-]*' | sed 's/^[ "]*//' | sort -u)
  for option in $listed; do
    grep -qxF -- "$option" <<<"$documented" || fail "$page(1) does not document $option"
  done
done

# --- The synopsis of quenmar-solve, as it renders, names every long option of its --help.
synopsis=$(MANWIDTH=80 man -l "$root/usr/share/man/man1/quenmar-solve.1.gz" 2>/dev/null |
  awk '/^[A-Z]/ {inSynopsis = ($1 == "SYNOPSIS"); next} inSynopsis' |
  grep -oE -- '--[A-Za-z][A-Za-z0-9-]*' | sort -u)
for option in $(grep -- '^--' <<<"$options"); do
  grep -qxF -- "$option" <<<"$synopsis" || fail "the synopsis of quenmar-solve(1) leaves out $option"
done

# --- The installed quenmar-solve prints the worked example, and reports bad options.
expectedExample=$("$fixtures" worked-example)
actual=$(cd "$work" && "$solve" --config 1 --date 2002-07-04)
[ "$actual" = "$expectedExample" ] || fail "installed quenmar-solve does not print the worked example"
"$solve" --config 7 >/dev/null 2>&1
[ $? = 2 ] || fail "installed quenmar-solve accepts --config 7"

# --- bash-completion finds the completion in the installed tree and it offers what
# quenmar-solve accepts.
mkdir -p "$work/files/trains.d" && touch "$work/files/trains.txt" "$work/files/other.txt" "$work/files/setup.json"
completion=$(cd "$work/files" && env -i HOME="$work" PATH="$PATH" XDG_DATA_HOME="$work/nowhere" \
  XDG_DATA_DIRS="$root/usr/share" bash --norc --noprofile -c '
  source /usr/share/bash-completion/bash_completion
  __load_completion quenmar-solve || { echo "not found"; exit 1; }
  complete -p quenmar-solve
  ask() {  # the words as bash splits them at COMP_WORDBREAKS, the last being completed
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMP_LINE="$*"; COMP_LINE=${COMP_LINE// = /=}
    COMP_POINT=${#COMP_LINE}
    COMPREPLY=()
    _quenmar_solve quenmar-solve "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
    echo "[$COMP_LINE] $(printf "%s|" "${COMPREPLY[@]}" | tr "|" "\n" | sort | tr "\n" "|")"
  }
  ask quenmar-solve --ma
  ask quenmar-solve --config ""
  ask quenmar-solve --config 5
  ask quenmar-solve --config = 3
  ask quenmar-solve --config 9
  ask quenmar-solve --output tr
  ask quenmar-solve --output = tr
  ask quenmar-solve --setup ""
  ask quenmar-solve --target ""
  ask quenmar-solve --list -
')
grep -q '_quenmar_solve' <<<"$(head -1 <<<"$completion")" ||
  fail "bash-completion does not load the installed completion: $completion"
names=$("$fixtures" configurations | tr '\n' '|')
longOptions=$(grep -- '^--' <<<"$options" | tr '\n' '|')
while IFS=$'\t' read -r line replies; do
  got=$(grep -F -- "[$line] " <<<"$completion" | sed 's/^[^]]*\] //')
  [ "$got" = "$replies" ] || fail "completing '$line': got '$got', expected '$replies'"
done <<EOF_CASES
quenmar-solve --ma	--max|--max-copies|--max-diameter|--max-solutions|
quenmar-solve --config 	$names
quenmar-solve --config 5	5|
quenmar-solve --config=3	3|
quenmar-solve --config 9	|
quenmar-solve --output tr	trains.d|trains.txt|
quenmar-solve --output=tr	trains.d|trains.txt|
quenmar-solve --setup 	setup.json|trains.d|
quenmar-solve --target 	|
quenmar-solve --list -	$longOptions
EOF_CASES

[ $failures = 0 ] && echo "install checks passed"
[ $failures = 0 ]
