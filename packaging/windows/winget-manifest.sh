#!/usr/bin/env bash
# The winget manifest (multi-file, manifest version 1.6.0) of one installer: the version, the
# installer and the default-locale files, written into OUTDIR.
#   winget-manifest.sh SETUP.exe VERSION RELEASE_URL OUTDIR
# RELEASE_URL is the folder the installer will be downloadable from; empty gives a placeholder.
set -euo pipefail

setup=$1 version=$2 release_url=${3:-https://example.invalid/zerka2remote/$2} out=$4
# The publisher as the installer's uninstall entry names it (ZERKA_PUBLISHER in CMakeLists.txt).
publisher=Velmarin
id=$publisher.Zerka2Remote
sha256=$(sha256sum "$setup" | cut -d ' ' -f 1 | tr a-f A-F)
url="${release_url%/}/$(basename "$setup")"
schema=https://aka.ms/winget-manifest

cat > "$out/$id.yaml" <<END
# yaml-language-server: \$schema=$schema.version.1.6.0.schema.json
PackageIdentifier: $id
PackageVersion: $version
DefaultLocale: de-DE
ManifestType: version
ManifestVersion: 1.6.0
END

# The product code is the name of the installer's uninstall entry.
cat > "$out/$id.installer.yaml" <<END
# yaml-language-server: \$schema=$schema.installer.1.6.0.schema.json
PackageIdentifier: $id
PackageVersion: $version
InstallerLocale: de-DE
InstallerType: nullsoft
Scope: user
InstallModes:
  - interactive
  - silent
  - silentWithProgress
InstallerSwitches:
  Silent: /S
  SilentWithProgress: /S
  InstallLocation: /D=<INSTALLPATH>
UpgradeBehavior: install
# Per user: elevated, it installs only for the signed-in user's own account and refuses any
# other (exit status 5).
ElevationRequirement: elevationProhibited
ExpectedReturnCodes:
  - InstallerReturnCode: 2
    ReturnResponse: invalidParameter
  - InstallerReturnCode: 3
    ReturnResponse: packageInUse
  - InstallerReturnCode: 4
    ReturnResponse: fileInUse
  - InstallerReturnCode: 5
    ReturnResponse: blockedByPolicy
ProductCode: Zerka2 Remote
AppsAndFeaturesEntries:
  - DisplayName: Zerka2 Remote
    Publisher: $publisher
    DisplayVersion: $version
    ProductCode: Zerka2 Remote
Installers:
  - Architecture: x64
    InstallerUrl: $url
    InstallerSha256: $sha256
ManifestType: installer
ManifestVersion: 1.6.0
END

cat > "$out/$id.locale.de-DE.yaml" <<END
# yaml-language-server: \$schema=$schema.defaultLocale.1.6.0.schema.json
PackageIdentifier: $id
PackageVersion: $version
PackageLocale: de-DE
Publisher: $publisher
PackageName: Zerka2 Remote
License: MIT
ShortDescription: Überwacht und steuert einen Zerka-Proxy-Server und seine DFÜ-Verbindung aus dem Infobereich.
Moniker: zerka2remote
Tags:
  - proxy
  - dfue
  - tray
ManifestType: defaultLocale
ManifestVersion: 1.6.0
END
