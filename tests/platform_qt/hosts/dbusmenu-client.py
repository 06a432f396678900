"""The program's menu read and clicked through libdbusmenu-glib, the client library that GTK
panels (xfce4-panel, waybar, Unity's) use to draw status-notifier menus.

  dbusmenu-client.py ITEM SIM_LOG

ITEM is as the watcher lists it ("SERVICE" or "SERVICE/PATH"). Prints one PASS:/FAIL:/SKIP: line per check.
"""
import sys
import time

import dbus
import gi
from gi.repository import GLib

READ = "libdbusmenu-glib reads the menu's entries in order, with their pictures"
CLICK = "a click libdbusmenu-glib sends as EventGroup reaches zerka-sim"

ENTRIES = [
    "Zerka2 Remote - Einstellungen...", "-", "Zerka2 beenden", "Zerka2 neustarten",
    "Zerka2 - Einstellungen...", "-", "IP in die Zwischenablage kopieren", "-", "Logout",
    "Mails abholen", "DFÜ sperren / entsperren", "-", "Ende",
]
WITH_PICTURES = {0, 8, 9, 10, 12}


def run_until(reached, seconds):
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while not reached():
        if time.monotonic() > deadline:
            return False
        context.iteration(True)
    return True


def report(name, passed, detail=""):
    print(("PASS: " if passed else "FAIL: ") + name + ("" if passed or not detail else f" ({detail})"), flush=True)
    return passed


def main():
    item, sim_log = sys.argv[1], sys.argv[2]
    try:
        gi.require_version("Dbusmenu", "0.4")
        from gi.repository import Dbusmenu
    except (ValueError, ImportError):
        for name in (READ, CLICK):
            print(f"SKIP: {name} (libdbusmenu-glib's typelib is missing: package gir1.2-dbusmenu-glib-0.4)")
        return 0
    GLib.timeout_add(50, lambda: True)
    service, _, path = item.partition("/")
    menu_path = dbus.SessionBus().get_object(service, "/" + (path or "StatusNotifierItem")).Get(
        "org.kde.StatusNotifierItem", "Menu", dbus_interface="org.freedesktop.DBus.Properties")
    client = Dbusmenu.Client.new(service, str(menu_path))

    def read():
        """The captions ("-" for a separator) and the places of the entries with pictures."""
        root = client.get_root()
        children = root.get_children() if root else []
        captions = ["-" if c.property_get("type") == "separator" else c.property_get("label") for c in children]
        return children, captions, {i for i, c in enumerate(children) if c.property_get_byte_array("icon-data")}

    # The pictures come in a second round of questions, after the layout.
    run_until(lambda: read()[1:] == (ENTRIES, WITH_PICTURES), 10)
    children, captions, pictured = read()
    read_well = report(READ, (captions, pictured) == (ENTRIES, WITH_PICTURES), f"{captions}, pictures at {sorted(pictured)}")

    def sim_saw(text):
        with open(sim_log, "rb") as log:
            return text.encode() in log.read()

    chosen = [c for c, caption in zip(children, captions) if caption == "Mails abholen"]
    if not chosen:
        return 1 if not report(CLICK, False, "no entry \"Mails abholen\"") else 0
    chosen[0].handle_event("clicked", GLib.Variant("i", 0), int(time.time()))
    passed = report(CLICK, run_until(lambda: sim_saw("Befehl Mail abholen"), 5), "zerka-sim saw no mail-fetch command")
    return 0 if passed and read_well else 1


if __name__ == "__main__":
    sys.exit(main())
