#!/usr/bin/env bash
# The Windows release as scripts/package-windows.sh makes it, signed with a throwaway
# self-signed code-signing certificate made here with openssl: every signed file verifies
# against that certificate with osslsigncode (the installer, the NSIS plugins it unpacks, the
# zip's programs, and the program and the uninstaller the installer puts down, installed
# silently under Wine), none
# against another certificate; the zip carries the licence; the winget manifest has its fields,
# the elevation it expects and its return codes, and the installer's hash. One "PASS: ",
# "FAIL: " or "SKIP: " line per check.
#
# Usage: scripts/windows-package-check.sh   (builds the win64 and win32 presets when needed)
set -uo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${ZERKA_PACKAGE_CHECK_DISPLAY:-}" ] && command -v xvfb-run > /dev/null; then
  exec env ZERKA_PACKAGE_CHECK_DISPLAY=1 xvfb-run -a bash "$0" "$@"
fi
source scripts/wine-env.sh
source scripts/wine-checks.sh

finish() {
  if [ "$failures" -eq 0 ]; then echo "windows-package-check: all checks passed"; else echo "windows-package-check: $failures checks failed"; fi
  [ "$failures" -eq 0 ]
  exit
}

# certificate NAME: a self-signed code-signing certificate NAME.pem with NAME.pfx beside it,
# its password in NAME.pass.
certificate() {
  openssl rand -hex 16 > "$work/$1.pass" &&
    openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Zerka2 Remote $1" \
      -addext "keyUsage=critical,digitalSignature" -addext "extendedKeyUsage=codeSigning" \
      -keyout "$work/$1.key" -out "$work/$1.pem" 2> /dev/null &&
    openssl pkcs12 -export -inkey "$work/$1.key" -in "$work/$1.pem" -out "$work/$1.pfx" \
      -passout "file:$work/$1.pass"
}
check "throwaway code-signing certificates made" eval 'certificate test && certificate other' || finish

out="$work/release"
check "package-windows.sh --sign makes the release" \
  bash scripts/package-windows.sh --sign "$work/test.pfx" --sign-password-file "$work/test.pass" "$out" || finish
version=$(cat build/win64/packaging/windows/version.txt)
setup="$out/zerka2remote-$version-setup.exe"

signed() { osslsigncode verify -CAfile "$work/test.pem" -in "$1"; }
check "installer signed" signed "$setup"
check "the signature does not verify against another certificate" \
  eval '! osslsigncode verify -CAfile "$work/other.pem" -in "$setup"'

# The plugins the installer unpacks at run time are the signed copies makensis was given.
for plugin in System.dll nsDialogs.dll; do
  check "installer's $plugin signed" signed "build/win64/packaging/windows/plugins/$plugin"
done

mkdir -p "$work/zip"
check "zip unpacks" unzip -q "$out/zerka2remote-$version-windows.zip" -d "$work/zip"
for exe in win64/zerka2remote.exe win64/zerka2ctl.exe win64/zerka-sim.exe \
           win32/zerka2remote.exe win32/zerka2ctl.exe win32/zerka-sim.exe; do
  check "zip: $exe signed" signed "$work/zip/$exe"
done
check "zip: LICENSE.txt is the licence" cmp "$work/zip/LICENSE.txt" build/win64/packaging/windows/LICENSE.txt

# What the installer carries only shows once it is installed.
if wine_boot; then
  target='C:\signed'
  check "signed installer installs silently" run_wine64 "$setup" /S "/D=$target"
  check "installed zerka2remote.exe signed" signed "$WINEPREFIX/drive_c/signed/zerka2remote.exe"
  check "installed uninstall.exe signed" signed "$WINEPREFIX/drive_c/signed/uninstall.exe"
else
  for file in zerka2remote.exe uninstall.exe; do
    echo "SKIP: installed $file signed (Wine cannot make a prefix with its 64-bit loader)"
  done
fi

# The winget manifest, read as YAML.
winget_fields() {
  /usr/bin/python3 - "$out" "$version" "$setup" <<'END'
import sys, yaml
out, version, setup = sys.argv[1:]
def load(name):
    with open(f"{out}/Velmarin.Zerka2Remote{name}.yaml", encoding="utf-8") as f:
        return yaml.safe_load(f)
files = {"version": load(""), "installer": load(".installer"), "defaultLocale": load(".locale.de-DE")}
problems = []
def expect(what, got, wanted):
    if got != wanted:
        problems.append(f"{what}: {got!r}, expected {wanted!r}")
for kind, manifest in files.items():
    expect(f"{kind} ManifestType", manifest.get("ManifestType"), kind)
    expect(f"{kind} ManifestVersion", manifest.get("ManifestVersion"), "1.6.0")
    expect(f"{kind} PackageIdentifier", manifest.get("PackageIdentifier"), "Velmarin.Zerka2Remote")
    expect(f"{kind} PackageVersion", str(manifest.get("PackageVersion")), version)
installer = files["installer"]
expect("InstallerType", installer.get("InstallerType"), "nullsoft")
expect("Scope", installer.get("Scope"), "user")
switches = installer.get("InstallerSwitches", {})
expect("Silent", switches.get("Silent"), "/S")
expect("SilentWithProgress", switches.get("SilentWithProgress"), "/S")
expect("ElevationRequirement", installer.get("ElevationRequirement"), "elevationProhibited")
codes = {entry.get("InstallerReturnCode") for entry in installer.get("ExpectedReturnCodes", [])}
expect("ExpectedReturnCodes", codes, {2, 3, 4, 5})
entries = installer.get("Installers", [])
expect("installers", len(entries), 1)
if entries:
    expect("Architecture", entries[0].get("Architecture"), "x64")
    url = entries[0].get("InstallerUrl", "")
    if not url.startswith(("https://", "http://")) or not url.endswith(setup.rsplit("/", 1)[1]):
        problems.append(f"InstallerUrl {url!r} does not name the installer")
locale = files["defaultLocale"]
expect("DefaultLocale = PackageLocale", files["version"].get("DefaultLocale"), locale.get("PackageLocale"))
for field in ("Publisher", "PackageName", "License", "ShortDescription"):
    if not locale.get(field):
        problems.append(f"defaultLocale {field} missing")
print("\n".join(problems))
sys.exit(1 if problems else 0)
END
}
check "winget manifest 1.6.0: version, installer and default-locale fields" winget_fields
winget_hash() {
  local listed actual
  listed=$(sed -nE 's/^ *InstallerSha256: *([0-9A-Fa-f]{64})$/\1/p' "$out/Velmarin.Zerka2Remote.installer.yaml")
  actual=$(sha256sum "$setup" | cut -d ' ' -f 1)
  [ "${listed,,}" = "$actual" ] || { echo "InstallerSha256 $listed, the installer's $actual"; return 1; }
}
check "winget manifest: InstallerSha256 is the installer's" winget_hash

finish
