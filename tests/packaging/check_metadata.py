#!/usr/bin/env python3
"""Checks the desktop entry and the AppStream metadata made at build time.

  check_metadata.py PACKAGING_BUILD_DIR IDENTITY_HEADER

Both files must pass their validators without a remark, and name the program
as the code does: the application id that the program gives Qt as its desktop
file name (IDENTITY_HEADER is the configured app/identity.h), its title and
its version.
"""
import configparser
import os
import re
import subprocess
import xml.etree.ElementTree as ET

from harness.checks import Checks, main as run_checks

XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"

def identity(header):
    text = open(header, encoding="utf-8").read()
    values = dict(re.findall(r'constexpr std::u16string_view (\w+) = u"([^"]*)";', text))
    for key in ("kAppId", "kTitle", "kVersionText", "kHomePage"):
        if key not in values:
            raise SystemExit(f"{header}: no {key}")
    return values


def run(command):
    result = subprocess.run(command, capture_output=True, text=True)
    return result.returncode, (result.stdout + result.stderr).strip()


def check_desktop_entry(t, path, ident, build_dir):
    status, output = run(["desktop-file-validate", path])
    # Hints count too: they point at entries shown twice or in odd menus.
    t.check(status == 0 and output == "", f"desktop-file-validate: {status}\n{output}")
    entry = configparser.RawConfigParser(delimiters=("=",), interpolation=None)
    entry.optionxform = str
    entry.read(path, encoding="utf-8")
    if not t.check(entry.has_section("Desktop Entry"), "desktop entry: no [Desktop Entry] group"):
        return
    group = entry["Desktop Entry"]
    expected = {
        "Type": "Application",
        "Name": ident["kTitle"],
        "Exec": "marelo",
        "Icon": ident["kAppId"],
        "Terminal": "false",
        "StartupWMClass": ident["kTitle"],
    }
    for key, value in expected.items():
        t.check(group.get(key) == value, f"desktop entry: {key}={group.get(key)}, not {value}")
    for key in ("Name[ja]", "Comment", "Comment[ja]", "GenericName", "GenericName[ja]"):
        t.check(group.get(key, "").strip() != "", f"desktop entry: no {key}")
    categories = group.get("Categories", "").split(";")
    t.check("AudioVideo" in categories and "Music" in categories,
            f"desktop entry: Categories {categories} do not put it among the music programs")
    icon = os.path.join(build_dir, "icons", "32x32", group.get("Icon", "") + ".png")
    t.check(os.path.isfile(icon), f"desktop entry: no icon {icon} for its Icon key")


def appstream_version():
    """appstreamcli's version, as (major, minor)."""
    _, output = run(["appstreamcli", "--version"])
    found = re.search(r"(\d+)\.(\d+)", output)
    return (int(found.group(1)), int(found.group(2)))


def check_metainfo(t, path, ident):
    # The only remark allowed: the validator does not know the top-level
    # domain of our reverse-DNS id.
    overrides = ["cid-maybe-not-rdns=pedantic"]
    if appstream_version() < (1, 0):
        # AppStream 0.16 does not know the developer tag of 1.0 yet, which
        # in turn calls 0.16's developer_name deprecated.
        overrides.append("unknown-tag=pedantic")
    status, output = run(["appstreamcli", "validate", "--no-net", "--strict",
                          "--override=" + ",".join(overrides), path])
    t.check(status == 0, f"appstreamcli validate: {status}\n{output}")
    root = ET.parse(path).getroot()
    app_id = ident["kAppId"]

    def text(xpath, lang=None):
        for element in root.findall(xpath):
            if element.get(XML_LANG) == lang:
                return (element.text or "").strip()
        return None

    t.check(root.tag == "component" and root.get("type") == "desktop-application",
            "metainfo: not a desktop-application component")
    t.check(text("id") == app_id, f"metainfo: id {text('id')}, not {app_id}")
    t.check(text("name") == ident["kTitle"], f"metainfo: name {text('name')}")
    t.check(bool(text("name", "ja")) and bool(text("summary", "ja")),
            "metainfo: no Japanese name or summary")
    launchable = root.find("launchable[@type='desktop-id']")
    t.check(launchable is not None and launchable.text == app_id + ".desktop",
            "metainfo: the launchable is not the desktop entry")
    t.check(text("provides/binary") == "marelo", "metainfo: does not provide the binary marelo")
    t.check(text("url[@type='homepage']") == ident["kHomePage"], "metainfo: wrong home page")
    releases = root.findall("releases/release")
    t.check(len(releases) >= 1 and releases[0].get("version") == ident["kVersionText"],
            f"metainfo: latest release is not {ident['kVersionText']}")
    image = text("screenshots/screenshot[@type='default']/image")
    t.check(image == ident["kHomePage"] + "screenshot.png", f"metainfo: screenshot {image}")
    developer = root.find("developer")
    t.check(developer is not None and bool(developer.get("id")) and
            text("developer/name") == ident["kAuthor"], "metainfo: no developer with an id")
    t.check(not any(ul.get(XML_LANG) for ul in root.findall("description/ul")),
            "metainfo: a list marked for translation")
    for tag in ("metadata_license", "project_license", "summary", "content_rating"):
        t.check(root.find(tag) is not None, f"metainfo: no {tag}")


def main(t, build_dir, header):
    ident = identity(header)
    app_id = ident["kAppId"]
    check_desktop_entry(t, os.path.join(build_dir, app_id + ".desktop"), ident, build_dir)
    check_metainfo(t, os.path.join(build_dir, app_id + ".metainfo.xml"), ident)


class Metadata(Checks):
    def test_all(self):
        main(self, *self.arguments)


if __name__ == "__main__":
    run_checks(2, __doc__)
