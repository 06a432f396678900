# Sourced: the Debian packages each job needs, in groups. A required group is one without
# which the job cannot run at all; every other group serves one kind of check, which is skipped
# with the reason when its packages cannot be had.

# group name | required? | packages | what for
package_table=(
  "build|required|cmake g++ ninja-build python3 qt6-base-dev libgl-dev|building the programs"
  "wayland-demo|optional|qt6-wayland|showing the program in a Wayland session"
  "tests|required|googletest libgtest-dev g++-mingw-w64-x86-64 g++-mingw-w64-i686|building the tests and the Windows programs"
  "display|optional|xvfb xauth trayer xdotool imagemagick x11-utils fonts-liberation|the virtual display and the XEmbed tray"
  "session-bus|optional|dbus python3-dbus python3-gi|the checks on a private D-Bus session bus"
  "wine|optional|wine wine64|the Windows programs under Wine"
  "wine32|optional|wine32:i386|32-bit Windows programs under Wine"
  "installer|optional|nsis|the Windows installer"
  "netns|optional|iproute2|the black-holed host's check in a network namespace"
  "bench|optional|libbenchmark-dev|the benchmarks"
  "fuzz|optional|clang libclang-rt-14-dev|the fuzz targets"
  "xfce|optional|xfce4-panel xfconf xfce4-notifyd gir1.2-dbusmenu-glib-0.4|the xfce4-panel, xfce4-notifyd and libdbusmenu checks"
  "lxqt|optional|lxqt-panel|the lxqt-panel check"
  "wayland|optional|sway waybar qt6-wayland grim|the Wayland check in sway with waybar"
  "kde|optional|plasma-workspace kwin-x11 plasma-desktop qml-module-org-kde-kirigami2 qml-module-qtquick-controls2|the KDE Plasma check"
  "gnome|optional|gnome-shell gnome-shell-extension-appindicator gjs|the GNOME Shell check"
  "accessibility|optional|at-spi2-core python3-pyatspi|the screen-reader checks over AT-SPI"
  "nagios|optional|nagios4-core|zerka2ctl in a Nagios core"
  "deb-check|optional|lintian appstream desktop-file-utils mandoc groff man-db|checking the .deb and the manual pages"
  "windows-package|optional|osslsigncode openssl unzip python3-yaml|signing and checking the Windows release package"
)

demo_groups=(build)
if [ -n "${WAYLAND_DISPLAY:-}" ]; then demo_groups+=(wayland-demo); fi
test_groups=(build tests display session-bus wine wine32 installer netns bench fuzz xfce lxqt
             wayland kde gnome accessibility nagios deb-check windows-package)

group_field() {  # group_field GROUP N
  local row
  for row in "${package_table[@]}"; do
    [ "${row%%|*}" = "$1" ] && { cut -d '|' -f "$2" <<< "$row"; return 0; }
  done
  return 1
}
group_packages() { group_field "$1" 3; }
group_purpose() { group_field "$1" 4; }
group_required() { [ "$(group_field "$1" 2)" = required ]; }

# package_note PACKAGE: "package P", with apt's reason when the set-up could not install it.
package_note() {
  local file=${ZERKA_MISSING_PACKAGES:-$(dirname "${BASH_SOURCE[0]}")/../build/missing-packages.txt}
  local reason
  reason=$(awk -F '\t' -v p="$1" '$1 == p { print $2; exit }' "$file" 2> /dev/null)
  if [ -n "$reason" ]; then
    printf 'package %s could not be installed: %s' "$1" "$reason"
  else
    printf 'package %s' "$1"
  fi
}

# groups_missing GROUP...: why a check that needs these groups cannot run, or nothing.
groups_missing() {
  local group p notes=()
  for group in "$@"; do
    for p in $(group_packages "$group"); do
      dpkg-query -W -f='${Status}' "$p" 2> /dev/null | grep -q "install ok installed" \
        || notes+=("$(package_note "$p")")
    done
  done
  [ "${#notes[@]}" -gt 0 ] || return 0
  local IFS=';'
  printf '%s' "${notes[*]}" | sed 's/;/; /g'
}
