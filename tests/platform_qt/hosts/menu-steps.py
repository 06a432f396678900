"""How many Down keys reach a menu entry from the top of a status-notifier item's menu.

  menu-steps.py ITEM CAPTION

ITEM is as the watcher lists it ("SERVICE" or "SERVICE/PATH"). Reads the item's D-Bus menu
and counts the visible, enabled entries up to CAPTION, as a panel's menu skips the others
when walked by keyboard. Exits 1 when the entry is not there or not enabled.
"""
import sys

import dbus


def main():
    item, caption = sys.argv[1], sys.argv[2]
    service, _, path = item.partition("/")
    bus = dbus.SessionBus()
    menu_path = bus.get_object(service, "/" + path if path else "/StatusNotifierItem").Get(
        "org.kde.StatusNotifierItem", "Menu", dbus_interface="org.freedesktop.DBus.Properties")
    menu = bus.get_object(service, menu_path)
    _, layout = menu.GetLayout(0, 1, dbus.Array([], signature="s"), dbus_interface="com.canonical.dbusmenu")
    steps = 0
    for child in layout[2]:
        properties = dict(child[1])
        if properties.get("type") == "separator" or not properties.get("visible", True):
            continue
        if not properties.get("enabled", True):
            continue
        steps += 1
        if str(properties.get("label", "")).replace("_", "") == caption:
            print(steps)
            return 0
    return 1


if __name__ == "__main__":
    sys.exit(main())
