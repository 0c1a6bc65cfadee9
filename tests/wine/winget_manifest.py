#!/usr/bin/env python3
"""Checks the winget manifests of a release folder without the network: the required
fields, types, patterns and value lists of the 1.12.0 schemas (singleton, version,
defaultLocale, installer), and that they name the files beside them (the installer's
digest, the executable's digest, the version, the Uninstall key).

    winget_manifest.py RELEASE_DIR VERSION

Prints one line per fault and exits with 1 when there is any."""
import hashlib
import pathlib
import re
import sys

import yaml

MANIFEST_VERSION = "1.12.0"
IDENTIFIER = re.compile(r'^[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?"<>\|\x01-\x1f]{1,32}){1,7}$')
VERSION = re.compile(r'^[^\\/:\*\?"<>\|\x01-\x1f]+$')
LOCALE = re.compile(r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$")
URL = re.compile(r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$")
SHA256 = re.compile(r"^[A-Fa-f0-9]{64}$")
MANIFEST_VERSION_PATTERN = re.compile(r"^(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])"
                                      r"(\.(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])){2}$")
ARCHITECTURES = {"x86", "x64", "arm", "arm64", "neutral"}
INSTALLER_TYPES = {"msix", "msi", "appx", "exe", "zip", "inno", "nullsoft", "wix", "burn", "pwa", "portable", "font"}
SCOPES = {"user", "machine"}
INSTALL_MODES = {"interactive", "silent", "silentWithProgress"}
UPGRADE_BEHAVIOURS = {"install", "uninstallPrevious", "deny"}
ELEVATION = {"elevationRequired", "elevationProhibited", "elevatesSelf"}
FILE_TYPES = {"launch", "uninstall", "other"}

faults = []


def fault(where, text):
    faults.append(f"{where}: {text}")


def text_field(where, data, name, minimum=1, maximum=None, pattern=None, required=True):
    if name not in data:
        if required:
            fault(where, f"{name} is required")
        return None
    value = data[name]
    if not isinstance(value, str):
        fault(where, f"{name} must be a string, not {type(value).__name__} ({value!r})")
        return None
    if len(value) < minimum or (maximum is not None and len(value) > maximum):
        fault(where, f"{name} must have {minimum} to {maximum} characters")
    if pattern is not None and not pattern.match(value):
        fault(where, f"{name} {value!r} does not match the schema's pattern")
    return value


def choice(where, data, name, allowed, required=False):
    if name not in data:
        if required:
            fault(where, f"{name} is required")
        return None
    if data[name] not in allowed:
        fault(where, f"{name} {data[name]!r} is not one of {sorted(allowed)}")
    return data[name]


def header(where, data, manifest_type):
    text_field(where, data, "PackageIdentifier", maximum=128, pattern=IDENTIFIER)
    text_field(where, data, "PackageVersion", maximum=128, pattern=VERSION)
    if data.get("ManifestType") != manifest_type:
        fault(where, f"ManifestType must be {manifest_type}, not {data.get('ManifestType')!r}")
    value = text_field(where, data, "ManifestVersion", pattern=MANIFEST_VERSION_PATTERN)
    if value is not None and value != MANIFEST_VERSION:
        fault(where, f"ManifestVersion {value} is not the current {MANIFEST_VERSION}")


def locale_part(where, data):
    text_field(where, data, "PackageLocale", maximum=20, pattern=LOCALE)
    text_field(where, data, "Publisher", 2, 256)
    text_field(where, data, "PackageName", 2, 256)
    text_field(where, data, "License", 3, 512)
    text_field(where, data, "ShortDescription", 3, 256)
    text_field(where, data, "Description", 3, 10000, required=False)
    for name in ("PublisherUrl", "PackageUrl", "LicenseUrl"):
        text_field(where, data, name, maximum=2048, pattern=URL, required=False)
    if "Tags" in data:
        tags = data["Tags"]
        if not isinstance(tags, list) or len(tags) > 16 or not all(isinstance(t, str) and 1 <= len(t) <= 40 for t in tags):
            fault(where, "Tags must be a list of at most 16 strings of 1 to 40 characters")


def installer_part(where, data, release, version):
    """The installer fields at the root and in each installer; checks them against the release."""
    installers = data.get("Installers")
    if not isinstance(installers, list) or not installers:
        fault(where, "Installers must be a list of at least one installer")
        return
    if len(installers) != 1:
        fault(where, "this release has one installer")
    for number, installer in enumerate(installers):
        at = f"{where}: Installers[{number}]"
        if not isinstance(installer, dict):
            fault(at, "an installer must be a mapping")
            continue
        merged = {**{k: v for k, v in data.items() if k != "Installers"}, **installer}
        choice(at, installer, "Architecture", ARCHITECTURES, required=True)
        url = text_field(at, installer, "InstallerUrl", maximum=2048, pattern=URL)
        digest = text_field(at, installer, "InstallerSha256", pattern=SHA256)
        choice(at, merged, "InstallerType", INSTALLER_TYPES, required=True)
        choice(at, merged, "Scope", SCOPES)
        choice(at, merged, "UpgradeBehavior", UPGRADE_BEHAVIOURS)
        choice(at, merged, "ElevationRequirement", ELEVATION)
        modes = merged.get("InstallModes", [])
        if not isinstance(modes, list) or any(mode not in INSTALL_MODES for mode in modes):
            fault(at, f"InstallModes {modes!r} must be a list of {sorted(INSTALL_MODES)}")
        switches = merged.get("InstallerSwitches", {})
        if not isinstance(switches, dict):
            fault(at, "InstallerSwitches must be a mapping")
            switches = {}
        for name in ("Silent", "SilentWithProgress"):
            text_field(at, switches, name, maximum=512, required=False)

        # What this release promises: a silent per-user NSIS installer of this version,
        # the file beside the manifest, recognised by the Uninstall key it writes.
        setup = release / f"kestrix-setup-{version}.exe"
        if merged.get("InstallerType") != "nullsoft":
            fault(at, "the installer is an NSIS one (nullsoft)")
        if merged.get("Scope") != "user":
            fault(at, "the installer installs per user")
        if switches.get("Silent") != "/S" or switches.get("SilentWithProgress") != "/S":
            fault(at, "the silent switches are /S")
        if url is not None and not url.endswith("/" + setup.name):
            fault(at, f"InstallerUrl {url} does not name {setup.name}")
        if digest is not None and setup.is_file() and digest.upper() != sha256(setup).upper():
            fault(at, f"InstallerSha256 is not the digest of {setup.name}")
        if merged.get("ProductCode") != "Kestrix":
            fault(at, "ProductCode must be the Uninstall key's name, Kestrix")
        entries = merged.get("AppsAndFeaturesEntries") or [{}]
        if entries[0].get("DisplayVersion") != version:
            fault(at, f"AppsAndFeaturesEntries' DisplayVersion must be {version}")
        metadata = merged.get("InstallationMetadata", {})
        for file in metadata.get("Files", []):
            choice(at, file, "FileType", FILE_TYPES)
            path = release / file.get("RelativeFilePath", "")
            if file.get("FileSha256") and (not path.is_file() or file["FileSha256"].upper() != sha256(path).upper()):
                fault(at, f"FileSha256 of {file.get('RelativeFilePath')} is not the digest of the release's file")


def sha256(path):
    return hashlib.sha256(path.read_bytes()).hexdigest()


def load(path):
    try:
        data = yaml.safe_load(path.read_text(encoding="utf-8"))
    except (OSError, yaml.YAMLError) as error:
        fault(path.name, f"cannot be read as YAML: {error}")
        return None
    if not isinstance(data, dict):
        fault(path.name, "is not a mapping")
        return None
    for key in data:
        if not re.match(r"^[A-Z][A-Za-z0-9]*$", str(key)):
            fault(path.name, f"field {key!r} is not PascalCase")
    return data


def main():
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    release, version = pathlib.Path(sys.argv[1]), sys.argv[2]

    singleton = load(release / "kestrix.winget.yaml")
    if singleton is not None:
        header("kestrix.winget.yaml", singleton, "singleton")
        locale_part("kestrix.winget.yaml", singleton)
        installer_part("kestrix.winget.yaml", singleton, release, version)
        if singleton.get("PackageVersion") != version:
            fault("kestrix.winget.yaml", f"PackageVersion must be {version}")

    # The multi-file form: named after the identifier, and agreeing with each other.
    identifier = (singleton or {}).get("PackageIdentifier", "Kestrix.Kestrix")
    folder = release / "winget"
    parts = {
        "version": folder / f"{identifier}.yaml",
        "defaultLocale": folder / f"{identifier}.locale.en-US.yaml",
        "installer": folder / f"{identifier}.installer.yaml",
    }
    loaded = {}
    for manifest_type, path in parts.items():
        if not path.is_file():
            fault(f"winget/{path.name}", "is missing")
            continue
        data = load(path)
        if data is None:
            continue
        loaded[manifest_type] = data
        header(f"winget/{path.name}", data, manifest_type)
        if data.get("PackageIdentifier") != identifier or data.get("PackageVersion") != version:
            fault(f"winget/{path.name}", f"must be {identifier} {version}")
    if "version" in loaded:
        text_field("winget version", loaded["version"], "DefaultLocale", maximum=20, pattern=LOCALE)
    if "defaultLocale" in loaded:
        locale_part("winget defaultLocale", loaded["defaultLocale"])
        if "version" in loaded and loaded["version"].get("DefaultLocale") != loaded["defaultLocale"].get("PackageLocale"):
            fault("winget", "DefaultLocale of the version manifest is not the default locale's PackageLocale")
    if "installer" in loaded:
        installer_part("winget installer", loaded["installer"], release, version)
    if singleton is not None and "installer" in loaded and singleton.get("Installers") != loaded["installer"].get("Installers"):
        fault("winget", "the singleton and the installer manifest name different installers")

    for line in faults:
        print(line)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
