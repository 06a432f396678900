"""The Linux program on a desktop whose tray host and notifications speak D-Bus.

Run by with-session-bus.sh on a private session bus and a virtual X display. This process
plays the desktop: the status-notifier watcher with its host, and a notification server that
records what it is sent. The program polls a zerka-sim of its own.

  desktop_bus_test.py PROGRAM ZERKA_SIM [SCREENSHOT_FOLDER]

Prints one PASS: or FAIL: line per check; exits 1 when any failed.
"""
import os
import re
import subprocess
import sys
import tempfile
import time

import xml.etree.ElementTree as ElementTree

import dbus
import dbus.mainloop.glib
from gi.repository import GLib

from desktop_bus import PROPERTIES, NotificationServer, Watcher, own_names

ITEM = "org.kde.StatusNotifierItem"
MENU = "com.canonical.dbusmenu"
INTROSPECTABLE = "org.freedesktop.DBus.Introspectable"

# Every method of the menu interface a host may call, with the interface's signatures.
MENU_METHODS = {
    "GetLayout": ("iias", "u(ia{sv}av)"),
    "GetGroupProperties": ("aias", "a(ia{sv})"),
    "GetProperty": ("is", "v"),
    "Event": ("isvu", ""),
    "EventGroup": ("a(isvu)", "ai"),
    "AboutToShow": ("i", "b"),
    "AboutToShowGroup": ("ai", "aiai"),
}
ITEM_METHODS = {
    "Activate": ("ii", ""),
    "SecondaryActivate": ("ii", ""),
    "ContextMenu": ("ii", ""),
    "Scroll": ("is", ""),
    "ProvideXdgActivationToken": ("s", ""),
}

MENU_ENTRIES = [
    "Zerka2 Remote - Einstellungen...", "-", "Zerka2 beenden", "Zerka2 neustarten",
    "Zerka2 - Einstellungen...", "-", "IP in die Zwischenablage kopieren", "-", "Logout",
    "Mails abholen", "DFÜ sperren / entsperren", "-", "Ende",
]
ENTRIES_WITH_PICTURES = {0, 8, 9, 10, 12}
BALLOON_TITLE = "Zerka2 - Statusänderung"

failures = []


def check(name, passed, detail=""):
    print(("PASS: " if passed else "FAIL: ") + name + ("" if passed or not detail else f" ({detail})"), flush=True)
    if not passed:
        failures.append(name)
    return passed


def run_until(reached, seconds):
    """Runs the main loop until reached() holds; False when the bound passed first."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while not reached():
        if time.monotonic() > deadline:
            return False
        context.iteration(True)
    return True


def call(method, *args, seconds=5, **keywords):
    """A D-Bus call whose answer comes through the main loop, so ours keep being answered."""
    outcome = {}
    method(*args, **keywords, reply_handler=lambda *result: outcome.setdefault("result", result),
           error_handler=lambda error: outcome.setdefault("error", error), timeout=seconds)
    if not run_until(lambda: outcome, seconds + 1):
        raise RuntimeError("no answer")
    if "error" in outcome:
        raise RuntimeError(str(outcome["error"]))
    result = outcome["result"]
    return result[0] if len(result) == 1 else result


def visible_windows(name):
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", name], capture_output=True, text=True)
    return found.stdout.split()


def program_windows():
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "zerka2remote"], capture_output=True,
                           text=True)
    return found.stdout.split()


def methods(proxy, interface):
    """The methods an object exports on an interface, with their in and out signatures."""
    document = ElementTree.fromstring(str(call(proxy.Introspect, dbus_interface=INTROSPECTABLE)))
    found = {}
    for node in document.iter("interface"):
        if node.get("name") != interface:
            continue
        for method in node.iter("method"):
            arguments = method.findall("arg")
            found[method.get("name")] = ("".join(a.get("type") for a in arguments if a.get("direction", "in") == "in"),
                                         "".join(a.get("type") for a in arguments if a.get("direction") == "out"))
    return found


class Program:
    """zerka2remote with settings of its own, polling a zerka-sim of its own."""

    def __init__(self, program, sim, work, polling=True):
        self.work = work
        self.sim_log = os.path.join(work, "sim.log")
        # zerka-sim picks ports that are free for datagrams and streams alike; a port probed
        # here could be taken by a connection of a test running beside this one.
        self.sim = subprocess.Popen([sim, "--port", "0", "--admin-port", "0"],
                                    stdout=open(self.sim_log, "wb"), stderr=subprocess.STDOUT)
        # A first poll that finds no server stops polling, so the server must be up before the
        # program starts.
        deadline = time.monotonic() + 10
        while self.sim_port() is None and time.monotonic() < deadline and self.sim.poll() is None:
            time.sleep(0.05)
        self.port = self.sim_port() or 0
        folder = os.path.join(work, "config", "Velmarin")
        os.makedirs(folder, exist_ok=True)
        settings = os.path.join(folder, "Zerka 2 Remote 2.ini")
        with open(settings, "w") as file:
            file.write("[Zerka 2 Remote 2]\nProxy Host=127.0.0.1\nProxy Port=%d\nAbfrageinterval=200\n"
                       "Aktiviert=%d\nBallooninfo=1\n" % (self.port, int(polling)))
        os.chmod(settings, 0o600)
        # Pages open through an xdg-open of the check's own, which notes the token it was given.
        self.launches = os.path.join(work, "launches")
        tools = os.path.join(work, "bin")
        os.makedirs(tools, exist_ok=True)
        with open(os.path.join(tools, "xdg-open"), "w") as opener:
            opener.write('#!/bin/sh\necho "${XDG_ACTIVATION_TOKEN:-none}" >> "%s"\n' % self.launches)
        os.chmod(os.path.join(tools, "xdg-open"), 0o755)
        environment = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                           PATH=tools + os.pathsep + os.environ.get("PATH", ""))
        for variable in ("BROWSER", "DEFAULT_BROWSER", "XDG_CURRENT_DESKTOP", "XDG_ACTIVATION_TOKEN"):
            environment.pop(variable, None)
        self.log = os.path.join(work, "program.log")
        self.process = subprocess.Popen([program], env=environment, stdout=open(self.log, "wb"), stderr=subprocess.STDOUT)

    def launched(self):
        """The activation token each page was opened with ("none" for none)."""
        try:
            with open(self.launches) as launches:
                return launches.read().split()
        except FileNotFoundError:
            return []

    def log_tail(self):
        with open(self.log, "rb") as log:
            return log.read()[-600:].decode(errors="replace")

    def sim_log_tail(self):
        with open(self.sim_log, "rb") as log:
            return log.read()[-600:].decode(errors="replace")

    def sim_saw(self, text):
        with open(self.sim_log, "rb") as log:
            return text.encode() in log.read()

    def sim_port(self):
        with open(self.sim_log, "rb") as log:
            started = re.search(rb"Fernsteuerung \(UDP und TCP\): [0-9.]+:([0-9]+)", log.read())
        return int(started.group(1)) if started else None

    def stop(self):
        """Ends both; checks that the program was still running and reported no fault, and
        that QtDBus left none of its methods out."""
        survived = self.process.poll() is None
        for process in (self.process, self.sim):
            process.terminate()
            process.wait(10)
        with open(self.log, "rb") as log:
            text = log.read().decode(errors="replace")
        check("the program ran to the end without a fault report",
              survived and "Sanitizer" not in text and "runtime error" not in text, text[-2000:])
        skipped = [line for line in text.splitlines() if "Skipped method" in line or "Skipped signal" in line]
        check("QtDBus exported every method and signal", not skipped, "\n".join(skipped))


def wake_ups(pid):
    """Context switches of all of a process's threads so far."""
    total = 0
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/status") as status:
                for line in status:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except FileNotFoundError:
            pass
    return total


def idle_on_status_notifier_host(bus, program, sim, work):
    """With polling off, the program on a host sleeps: nothing of it wakes in 10 s."""
    watcher = Watcher(bus)
    names = own_names(bus, notifications=False)
    running = Program(program, sim, work, polling=False)
    try:
        if not check("the idle program's item appears", run_until(lambda: watcher.items, 10)):
            return
        run_until(lambda: False, 3)
        before = wake_ups(running.process.pid)
        run_until(lambda: False, 10)
        woken = wake_ups(running.process.pid) - before
        check("the idle program does not wake up in 10 s", woken <= 2, f"{woken} context switches")
    finally:
        running.stop()
        del names
        watcher.remove_from_connection()


def without_tray(bus, program, sim, work):
    """No tray host at first: the window shows after a while; a host coming later gets the icon."""
    watcher = Watcher(bus)
    started = time.monotonic()
    running = Program(program, sim, work)
    try:
        shown = run_until(lambda: visible_windows("Zerka2"), 30)
        waited = time.monotonic() - started
        check("without a tray the window shows after about 10 s", shown and 9 <= waited <= 30, f"{waited:.1f} s")
        if shown:
            window = visible_windows("Zerka2")[0]
            subprocess.run(["xdotool", "windowfocus", "--sync", window])
            subprocess.run(["xdotool", "key", "Escape"])
            run_until(lambda: False, 1)
            check("without a tray \"Abbrechen\" leaves the window reachable", window in visible_windows("Zerka2"))
        names = own_names(bus, notifications=False)
        watcher.StatusNotifierHostRegistered()
        check("a tray host coming later gets the icon", run_until(lambda: watcher.items, 10))
        del names
    finally:
        running.stop()
        watcher.remove_from_connection()


def on_status_notifier_host(bus, program, sim, work, shots):
    watcher = Watcher(bus)
    server = NotificationServer(bus)
    names = own_names(bus)
    running = Program(program, sim, work)
    try:
        if not check("the item appears", run_until(lambda: watcher.items, 10)):
            return
        service, sender = watcher.items[0]
        item = bus.get_object(sender, "/StatusNotifierItem")
        # As GNOME's extension does after a start-up race: it names the item by its owner and path.
        watcher.StatusNotifierItemUnregistered(sender + "/StatusNotifierItem")
        check("an item the watcher dropped is announced again within 2 s",
              run_until(lambda: len(watcher.items) == 2, 2) and watcher.items[1] == (service, sender),
              str(watcher.items))

        def item_properties():
            return call(item.GetAll, ITEM, dbus_interface=PROPERTIES)

        properties = item_properties()
        check("the item names its menu", str(properties["Menu"]) == "/MenuBar")
        sizes = [(int(w), int(h), len(data)) for w, h, data in properties["IconPixmap"]]
        check("the icon comes at 16, 22, 24, 32, 48 and 64 pixels",
              sizes == [(s, s, s * s * 4) for s in (16, 22, 24, 32, 48, 64)], str(sizes))
        item_methods = methods(item, ITEM)
        check("the item exports every method of its interface",
              all(item_methods.get(name) == signature for name, signature in ITEM_METHODS.items()), str(item_methods))

        def tooltip():
            return str(item_properties()["ToolTip"][2])

        check("the tooltip is the tip text", run_until(lambda: tooltip().startswith("Status: "), 30),
              f"{tooltip()!r}; program: {running.log_tail()!r}; zerka-sim: {running.sim_log_tail()!r}")
        first_icon = bytes(item_properties()["IconPixmap"][0][2])
        first_tip = tooltip()

        menu = bus.get_object(sender, "/MenuBar")
        menu_methods = methods(menu, MENU)
        check("the menu exports every method of its interface with its signature",
              all(menu_methods.get(name) == signature for name, signature in MENU_METHODS.items()), str(menu_methods))

        def entries():
            revision, layout = call(menu.GetLayout, 0, -1, dbus.Array([], signature="s"), dbus_interface=MENU)
            return [(int(child[0]), dict(child[1])) for child in layout[2]]

        run_until(lambda: len(entries()) == len(MENU_ENTRIES), 10)
        exported = entries()
        captions = ["-" if p.get("type") == "separator" else str(p.get("label")) for _, p in exported]
        check("the menu has the 13 entries in order", captions == MENU_ENTRIES, str(captions))
        pictured = {i for i, (_, p) in enumerate(exported) if len(p.get("icon-data", b"")) > 0}
        check("menu entries carry their pictures", pictured == ENTRIES_WITH_PICTURES, str(sorted(pictured)))
        ids = {caption: number for caption, (number, _) in zip(captions, exported)}
        check("a menu that did not change needs no update before it shows",
              not call(menu.AboutToShow, 0, dbus_interface=MENU)
              and list(call(menu.AboutToShowGroup, [0], dbus_interface=MENU)[0]) == [])
        group = call(menu.GetGroupProperties, [ids["Ende"]], ["label"], dbus_interface=MENU)
        check("GetGroupProperties and GetProperty answer with the entry's label",
              [(int(i), str(p["label"])) for i, p in group] == [(ids["Ende"], "Ende")]
              and str(call(menu.GetProperty, ids["Logout"], "label", dbus_interface=MENU)) == "Logout")

        if not check("a first balloon arrives as a notification", run_until(lambda: server.sent, 30)):
            return
        first = server.sent[0]
        check("the notification carries the balloon",
              first["app"] == "Zerka2 Remote" and first["summary"] == BALLOON_TITLE
              and first["body"].startswith("DFÜ-Status:\n") and "\n\nSperr-Status:\n" in first["body"]
              and first["icon"] == "dialog-information" and first["timeout"] == 10000 and first["replaces"] == 0,
              str(first))
        check("notifications name the program's desktop entry", first["hints"].get("desktop-entry") == "zerka2remote",
              str(first["hints"]))

        call(item.ProvideXdgActivationToken, "token-of-the-host", dbus_interface=ITEM)
        call(item.Activate, 0, 0, dbus_interface=ITEM)
        call(item.SecondaryActivate, 0, 0, dbus_interface=ITEM)
        run_until(lambda: False, 1)
        check("left and middle clicks on the item pop up nothing of ours", not program_windows())
        call(item.ContextMenu, 200, 300, dbus_interface=ITEM)
        popped = run_until(lambda: program_windows(), 5)
        at = ""
        if popped:
            at = subprocess.run(["xdotool", "getwindowgeometry", program_windows()[0]], capture_output=True,
                                text=True).stdout
            subprocess.run(["xdotool", "key", "Escape"])
        check("a host asking for a context menu gets our popup where it asked", popped and "200,300" in at, at)
        check("the popup closes", run_until(lambda: not program_windows(), 5))

        call(menu.EventGroup, [(ids["Mails abholen"], "clicked", dbus.String("", variant_level=1), dbus.UInt32(0))],
             dbus_interface=MENU)
        check("\"Mails abholen\" sent as EventGroup reaches the server",
              run_until(lambda: running.sim_saw("Befehl Mail abholen"), 5))
        unknown = call(menu.EventGroup, [(ids["Logout"], "hovered", dbus.String("", variant_level=1), dbus.UInt32(0)),
                                         (99999, "clicked", dbus.String("", variant_level=1), dbus.UInt32(0))],
                       dbus_interface=MENU)
        check("EventGroup names the entries it does not have", list(unknown) == [99999], str(unknown))

        check("the tooltip follows the state", run_until(lambda: "Verbunden" in tooltip(), 15), tooltip())
        check("the icon follows the state", bytes(item_properties()["IconPixmap"][0][2]) != first_icon)
        bodies = [n["body"] for n in server.sent]
        check("a state change sends one notification",
              len(bodies) >= 2 and "Verbunden" in bodies[-1] and all(a != b for a, b in zip(bodies, bodies[1:])),
              str(bodies))
        check("each notification replaces the one before",
              all(n["replaces"] == previous["id"] for previous, n in zip(server.sent, server.sent[1:])),
              str([(n["id"], n["replaces"]) for n in server.sent]))
        check("the tooltip never carries a balloon", BALLOON_TITLE not in tooltip() and first_tip != tooltip())

        call(menu.Event, ids["Zerka2 beenden"], "clicked", dbus.String("", variant_level=1), dbus.UInt32(0),
             dbus_interface=MENU)
        asked = run_until(lambda: visible_windows("^Beenden$"), 5)
        check("\"Zerka2 beenden\" asks first", asked)
        if asked:
            box = visible_windows("^Beenden$")[0]
            subprocess.run(["xdotool", "windowfocus", "--sync", box])
            subprocess.run(["xdotool", "key", "Escape"])
            closed = run_until(lambda: not visible_windows("^Beenden$"), 5)
            run_until(lambda: False, 1)
            check("cancelling the question sends nothing", closed and not running.sim_saw("Befehl Server beenden"))

        call(menu.Event, ids["Zerka2 Remote - Einstellungen..."], "clicked", dbus.String("", variant_level=1),
             dbus.UInt32(0), dbus_interface=MENU)
        check("\"Zerka2 Remote - Einstellungen...\" shows the window", run_until(lambda: visible_windows("Zerka2"), 5))
        if shots:
            run_until(lambda: False, 1)
            subprocess.run(["import", "-window", "root", os.path.join(shots, "status-notifier-host.png")])

        def open_admin_page():
            call(menu.Event, ids["Zerka2 - Einstellungen..."], "clicked", dbus.String("", variant_level=1),
                 dbus.UInt32(0), dbus_interface=MENU)

        call(item.ProvideXdgActivationToken, "token-for-the-page", dbus_interface=ITEM)
        open_admin_page()
        run_until(lambda: len(running.launched()) == 1, 10)
        open_admin_page()
        run_until(lambda: len(running.launched()) == 2, 10)
        check("a page opened from the menu gets the host's token, the next one none",
              running.launched() == ["token-for-the-page", "none"], str(running.launched()))
    finally:
        running.stop()
        del names
        watcher.remove_from_connection()
        server.remove_from_connection()


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    program, sim = sys.argv[1], sys.argv[2]
    shots = sys.argv[3] if len(sys.argv) > 3 else None
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    # Wakes the loop now and then, so that the bounds of run_until are kept.
    GLib.timeout_add(50, lambda: True)
    with tempfile.TemporaryDirectory() as work:
        os.makedirs(os.path.join(work, "a"))
        os.makedirs(os.path.join(work, "b"))
        os.makedirs(os.path.join(work, "c"))
        on_status_notifier_host(bus, program, sim, os.path.join(work, "b"), shots)
        idle_on_status_notifier_host(bus, program, sim, os.path.join(work, "c"))
        without_tray(bus, program, sim, os.path.join(work, "a"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
