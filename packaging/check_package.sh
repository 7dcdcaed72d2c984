#!/usr/bin/env bash
# Builds the Debian package from a build tree that is built already, unpacks it and
# checks what an installer gets: the file list, the control fields, the programs'
# versions, the desktop entry (desktop-file-validate), the metainfo (appstreamcli), the
# file type (recognised by name and by content), and lintian without errors.
#
#   check_package.sh BUILD_DIR VERSION APP_ID MIME_TYPE
set -euo pipefail
build="$1" version="$2" app="$3" mime="$4"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# cpack runs the install rules into its own staging folder under -B; the build tree
# itself is left as it was.
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/tk515pro_${version}_amd64.deb"
[[ -f "$deb" ]] || { ls "$work/out"; fail "no $deb"; }

# --- control fields ---
field() { dpkg-deb -f "$deb" "$1"; }
[[ "$(field Package)" == tk515pro ]] || fail "Package: $(field Package)"
[[ "$(field Version)" == "$version" ]] || fail "Version: $(field Version)"
[[ "$(field Architecture)" == amd64 ]] || fail "Architecture: $(field Architecture)"
[[ "$(field Section)" == electronics ]] || fail "Section: $(field Section)"
[[ "$(field Priority)" == optional ]] || fail "Priority: $(field Priority)"
[[ "$(field Maintainer)" == *"<"*"@"*">" ]] || fail "Maintainer: $(field Maintainer)"
[[ "$(field Description)" == "programmer for TK 515 Pro GSM security transmitters"* ]] ||
    fail "Description: $(field Description)"
depends="$(field Depends)"
for dep in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6 libqt6serialport6 \
    qt6-qpa-plugins qt6-translations-l10n fonts-dejavu-core; do
    [[ ", $depends," == *", $dep"[\ ,]* ]] || fail "Depends lacks $dep: $depends"
done

# --- file list ---
dpkg-deb -c "$deb" | awk '{ print substr($1, 1, 1) " " $NF }' | grep -v '^d' |
    sed 's|^\(.\) \./|\1 /|' | sort >"$work/files"
sort >"$work/expected" <<LIST
- /usr/bin/tk515
- /usr/bin/tk515-sim
- /usr/bin/tk515pro
- /usr/share/applications/$app.desktop
- /usr/share/bash-completion/completions/tk515
- /usr/share/doc/tk515pro/changelog.gz
- /usr/share/doc/tk515pro/copyright
- /usr/share/icons/hicolor/128x128/apps/$app.png
- /usr/share/icons/hicolor/16x16/apps/$app.png
- /usr/share/icons/hicolor/256x256/apps/$app.png
- /usr/share/icons/hicolor/32x32/apps/$app.png
- /usr/share/icons/hicolor/48x48/apps/$app.png
- /usr/share/icons/hicolor/64x64/apps/$app.png
- /usr/share/icons/hicolor/scalable/apps/$app.svg
- /usr/share/man/man1/tk515-sim.1.gz
- /usr/share/man/man1/tk515.1.gz
- /usr/share/man/man1/tk515pro.1.gz
- /usr/share/metainfo/$app.metainfo.xml
- /usr/share/mime/packages/tk515pro.xml
LIST
diff -u "$work/expected" "$work/files" || fail "the package's files differ from the list"

# --- what was unpacked ---
root="$work/root"
dpkg-deb -x "$deb" "$root"
for program in tk515pro tk515 tk515-sim; do
    shown="$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/$program" --version)"
    [[ "$shown" == "$program $version" ]] || fail "$program --version: $shown"
    file "$root/usr/bin/$program" | grep -q ', stripped' || fail "$program is not stripped"
done
desktop-file-validate "$root/usr/share/applications/$app.desktop" || fail "desktop entry"
appstreamcli validate --no-net --pedantic --explain "$root/usr/share/metainfo/$app.metainfo.xml" ||
    fail "metainfo"
grep -qx "Exec=tk515pro %f" "$root/usr/share/applications/$app.desktop" || fail "Exec"
grep -qx "MimeType=$mime;" "$root/usr/share/applications/$app.desktop" || fail "MimeType"

# The file type: a real configuration file under a foreign name is recognised by its
# first bytes, and one under its own extension by its name; other files are not.
mkdir -p "$work/mime"
cp -r "$root/usr/share/mime" "$work/mime/"
update-mime-database "$work/mime/mime"
"$build/bin/tk515" new "$work/site.tk515" >/dev/null
cp "$work/site.tk515" "$work/no-extension"
printf 'not a configuration\n' >"$work/other.t61"
printf '{"TxSerialNum": "1"}\n' >"$work/config.json"
type_of() {
    XDG_DATA_HOME="$work/mime" XDG_DATA_DIRS="$work/mime:/usr/share" \
        gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
[[ "$(type_of "$work/site.tk515")" == "$mime" ]] || fail "site.tk515 is $(type_of "$work/site.tk515")"
[[ "$(type_of "$work/no-extension")" == "$mime" ]] ||
    fail "a configuration without extension is $(type_of "$work/no-extension")"
[[ "$(type_of "$work/config.json")" != "$mime" ]] || fail "JSON taken for a configuration"

# --- lintian: no errors (warnings are listed in the README with their reasons) ---
lintian --fail-on error --no-tag-display-limit "$deb" | tee "$work/lintian.log"
echo "package $deb checked"
