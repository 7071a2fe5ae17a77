# The files an install holds, relative to the root:
# expected_files WITH_WINDOW(0|1) APP_ID DESIGN_APP_ID
expected_files() {
  local withWindow=$1 appId=$2 designAppId=$3 size
  printf '%s\n' usr/bin/quenmar-solve \
    usr/share/bash-completion/completions/quenmar-solve \
    usr/share/man/man1/quenmar-solve.1.gz
  if [ "$withWindow" = 1 ]; then
    printf '%s\n' usr/bin/quenmar usr/bin/quenmar-design \
      "usr/share/applications/$appId.desktop" \
      "usr/share/applications/$designAppId.desktop" \
      "usr/share/metainfo/$appId.metainfo.xml" \
      usr/share/man/man1/quenmar.1.gz \
      usr/share/man/man1/quenmar-design.1.gz \
      "usr/share/icons/hicolor/scalable/apps/$appId.svg"
    for size in $ICON_SIZES; do
      echo "usr/share/icons/hicolor/${size}x${size}/apps/$appId.png"
    done
  fi
}
ICON_SIZES="16 22 24 32 48 64 128 256"

# "WIDTH x HEIGHT" of a PNG file, from its header; empty for anything else.
png_size() {
  local b
  b=($(od -An -tu1 -N24 "$1"))
  [ "${#b[@]}" = 24 ] && [ "${b[1]} ${b[2]} ${b[3]} ${b[12]}" = "80 78 71 73" ] || return 0
  echo "$(((b[16] << 24) | (b[17] << 16) | (b[18] << 8) | b[19])) x $(((b[20] << 24) | (b[21] << 16) | (b[22] << 8) | b[23]))"
}

# Installing (cmake --install, cpack) rewrites the build folder's install_manifest.txt, which
# lists what a user's own install put where, for removing it later; keep_install_manifest
# BUILD_DIR WORK_DIR saves it and restore_install_manifest puts it back (or removes the one
# the check left behind).
keep_install_manifest() {
  manifest=$1/install_manifest.txt savedManifest=$2/install_manifest.saved
  [ ! -e "$manifest" ] || cp -p "$manifest" "$savedManifest"
}
restore_install_manifest() {
  if [ -e "$savedManifest" ]; then cp -p "$savedManifest" "$manifest"; else rm -f "$manifest"; fi
}
