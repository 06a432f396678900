"""The Linux program as a screen reader and a keyboard meet it: the window read through the
AT-SPI accessibility bus (pyatspi), keys typed into the X display (xdotool).

Run by with-accessibility-bus.sh on a private session bus, with the accessibility bus up, on a
virtual X display. The program polls a zerka-sim of its own; its window is opened through its
tray menu, on a status-notifier host that this process plays. Then, on an XEmbed tray
(trayer), Qt's own balloon.

  accessibility_check.py PROGRAM ZERKA_SIM

Prints one PASS: or FAIL: line per check; exits 1 when any failed.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

import dbus
import dbus.mainloop.glib
import pyatspi
from gi.repository import GLib

from desktop_bus import Watcher, own_names
from check_lines import check, failures

ITEM = "org.kde.StatusNotifierItem"
WINDOW = "Zerka2Remote2Config"
POLLING_MS = 300
FIELD_NAMES = [
    "Proxy-Server:", "Port:", "Abfrageinterval (ms):", "HTTP-Benutzername (leer=kein):", "HTTP-Passwort:",
    "Internet Verb.", "Status:", "DFÜ gesperrt", "Zeit bis Auflegen", "DFÜ-IP", "Online-Zeit",
]
TEXT_ROLES = (pyatspi.ROLE_TEXT, pyatspi.ROLE_PASSWORD_TEXT, pyatspi.ROLE_ENTRY)

def run_until(reached, seconds):
    """Keeps the D-Bus side answering until reached() holds; False when the bound passed first."""
    context = GLib.MainContext.default()
    deadline = time.monotonic() + seconds
    while True:
        try:
            if reached():
                return True
        except Exception:  # an accessible that went away while it was read
            pass
        if time.monotonic() > deadline:
            return False
        context.iteration(False)
        time.sleep(0.05)


def key(*names):
    subprocess.run(["xdotool", "key", "--clearmodifiers", *names], check=False)


def walk(node, depth=0):
    if node is None or depth > 40:
        return
    yield node
    for index in range(node.childCount):
        yield from walk(node.getChildAtIndex(index), depth + 1)


def program_application():
    for application in pyatspi.Registry.getDesktop(0):
        if application is not None and application.name == "zerka2remote":
            return application
    return None


def find(root, predicate):
    return [node for node in walk(root) if predicate(node)]


def focused(root):
    found = find(root, lambda node: node.getState().contains(pyatspi.STATE_FOCUSED))
    return found[-1] if found else None


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


class Program:
    def __init__(self, program, sim, work, balloons=0):
        self.sim_log = os.path.join(work, "sim.log")
        self.sim = subprocess.Popen([sim, "--port", "0", "--admin-port", "0"],
                                    stdout=open(self.sim_log, "wb"), stderr=subprocess.STDOUT)
        deadline = time.monotonic() + 10
        while self.sim_port() is None and time.monotonic() < deadline and self.sim.poll() is None:
            time.sleep(0.05)
        folder = os.path.join(work, "config", "Velmarin")
        os.makedirs(folder, exist_ok=True)
        settings = os.path.join(folder, "Zerka 2 Remote 2.ini")
        with open(settings, "w") as file:
            file.write("[Zerka 2 Remote 2]\nProxy Host=127.0.0.1\nProxy Port=%d\nAbfrageinterval=%d\n"
                       "Aktiviert=1\nBallooninfo=%d\n" % (self.sim_port() or 0, POLLING_MS, balloons))
        os.chmod(settings, 0o600)
        environment = dict(os.environ, XDG_CONFIG_HOME=os.path.join(work, "config"),
                           QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", LANG="C", LC_ALL="C")
        self.log = os.path.join(work, "program.log")
        self.process = subprocess.Popen([program], env=environment, stdout=open(self.log, "wb"),
                                        stderr=subprocess.STDOUT)

    def sim_port(self):
        with open(self.sim_log, "rb") as log:
            started = re.search(rb"Fernsteuerung \(UDP und TCP\): [0-9.]+:([0-9]+)", log.read())
        return int(started.group(1)) if started else None

    def log_tail(self):
        with open(self.log, "rb") as log:
            return log.read()[-600:].decode(errors="replace")

    def stop(self):
        for process in (self.process, self.sim):
            process.terminate()
            process.wait(10)


def open_window(bus, watcher):
    """The tray menu's first entry, chosen by the keyboard."""
    if not run_until(lambda: watcher.items, 15):
        return None
    _, sender = watcher.items[0]
    item = bus.get_object(sender, "/StatusNotifierItem")
    item.ContextMenu(200, 300, dbus_interface=ITEM, reply_handler=lambda: None, error_handler=lambda error: None)
    popped = run_until(lambda: subprocess.run(["xdotool", "search", "--onlyvisible", "--class", "zerka2remote"],
                                              capture_output=True).stdout.strip(), 5)
    if not popped:
        return None
    key("Down", "Return")
    windows = []

    def shown():
        application = program_application()
        if application is None:
            return False
        windows[:] = [node for node in application if node is not None and node.name == WINDOW
                      and node.getState().contains(pyatspi.STATE_SHOWING)]
        return bool(windows)

    return windows[0] if run_until(shown, 15) else None


def checks(bus, program, sim, work):
    watcher = Watcher(bus)
    names = own_names(bus, notifications=False)
    running = Program(program, sim, work)
    try:
        window = open_window(bus, watcher)
        if not check("the window opens and is exposed on the accessibility bus", window is not None,
                     running.log_tail()):
            return
        x_window = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", WINDOW], capture_output=True,
                                  text=True).stdout.split()
        if x_window:
            subprocess.run(["xdotool", "windowfocus", "--sync", x_window[0]], check=False)
        check("the opened window has the focus on its first control",
              run_until(lambda: focused(window) is not None and focused(window).name == "Aktiviert", 3),
              focused(window).name if focused(window) else "nothing focused")
        check("the window is a dialog", window.getRole() == pyatspi.ROLE_DIALOG, window.getRoleName())
        bars = find(window, lambda node: node.getRole() == pyatspi.ROLE_STATUS_BAR)
        check("the status bar is a status bar", len(bars) == 1, str(len(bars)))

        fields = find(window, lambda node: node.getRole() in TEXT_ROLES)
        field_names = sorted(node.name for node in fields)
        check("the eleven fields are named by their labels", field_names == sorted(FIELD_NAMES), str(field_names))
        by_name = {node.name: node for node in fields}
        arrows = find(window, lambda node: node.getRole() == pyatspi.ROLE_PUSH_BUTTON and node.name in
                      ("Erhöhen", "Verringern"))
        check("the spin fields' arrows are named", len(arrows) == 4, str(len(arrows)))

        # Tab from the last tab stop reaches the first, Shift+Tab goes back.
        boxes = {node.name: node for node in find(window, lambda node: node.getRole() == pyatspi.ROLE_CHECK_BOX)}
        last = boxes.get("Balloon-Hint bei Statusänderung")
        ring = last is not None and last.queryComponent().grabFocus()
        ring = ring and run_until(lambda: focused(window) is not None and focused(window).name == last.name, 3)
        key("Tab")
        forward = run_until(lambda: focused(window).name == "Aktiviert", 3)
        key("shift+Tab")
        back = run_until(lambda: focused(window).name == last.name, 3)
        check("Tab and Shift+Tab go round the tab order", ring and forward and back,
              focused(window).name if focused(window) else "nothing focused")

        # Polling leaves the caret of a focused result field where the user put it.
        status = by_name.get("Status:")
        connections = by_name.get("Internet Verb.")
        polled = run_until(lambda: text_of(connections) != "Internet Verbindungen?", 5)
        status.queryComponent().grabFocus()
        run_until(lambda: focused(window) is not None and focused(window).name == "Status:", 3)
        status.queryText().setCaretOffset(2)
        caret_set = run_until(lambda: status.queryText().caretOffset == 2, 2)
        run_until(lambda: False, 4 * POLLING_MS / 1000)
        check("the caret in a focused result field stays over three polling cycles",
              polled and caret_set and status.queryText().caretOffset == 2,
              f"polled {polled}, caret {status.queryText().caretOffset} in {text_of(status)!r}")

        # Alt with a letter types nothing; with a label's letter it moves to that label's field.
        host = by_name.get("Proxy-Server:")
        host.queryComponent().grabFocus()
        run_until(lambda: focused(window).name == "Proxy-Server:", 3)
        before = text_of(host)
        key("alt+q")
        key("alt+p")
        moved = run_until(lambda: focused(window).name == "Port:", 3)
        check("Alt with a letter leaves the field's text alone and a label's key focuses its field",
              before == "127.0.0.1" and text_of(host) == before and moved,
              f"{text_of(host)!r}, focus on {focused(window).name if focused(window) else None!r}")

        # The quit question (Alt+C presses "Schließen") speaks German in the C locale.
        key("alt+c")
        application = program_application()
        buttons = []

        def question_buttons():
            for top in application:
                if top is not None and top.name == "Beenden":
                    buttons[:] = sorted(node.name for node in find(top, lambda n: n.getRole() ==
                                                                   pyatspi.ROLE_PUSH_BUTTON))
                    return bool(buttons)
            return False

        run_until(question_buttons, 5)
        check("the quit question's buttons are German", buttons == ["Abbrechen", "OK"], str(buttons))
        key("Escape")
        check("after the question the focus is back on the field that had it",
              run_until(lambda: focused(window) is not None and focused(window).name == "Port:", 3)
              and running.process.poll() is None, focused(window).name if focused(window) else "nothing focused")
    finally:
        running.stop()
        del names
        watcher.remove_from_connection()


def fallback_balloon(program, sim, work):
    """An XEmbed tray and no notification server: Qt shows its own balloon, which a reader must
    hear of as an alert."""
    if not shutil.which("trayer"):
        print("SKIP: Qt's own balloon is an alert (package trayer is not installed)", flush=True)
        return
    tray = subprocess.Popen(["trayer", "--edge", "top", "--align", "right", "--widthtype", "pixel", "--width", "120",
                             "--heighttype", "pixel", "--height", "24", "--transparent", "false"],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    running = None
    try:
        subprocess.run(["xdotool", "search", "--sync", "--name", "^panel$"], capture_output=True, timeout=10)
        running = Program(program, sim, work, balloons=1)
        alerts = []

        def shown():
            application = program_application()
            alerts[:] = [(node.name, node.description) for node in application or []
                         if node is not None and node.getRole() == pyatspi.ROLE_ALERT]
            return bool(alerts)

        shown_in_time = run_until(shown, 15)
        check("Qt's own balloon is an alert named by its title, its message the description",
              shown_in_time and alerts[0][0] == "Zerka2 - Statusänderung" and alerts[0][1].startswith("DFÜ-Status:"),
              str(alerts))
    finally:
        if running:
            running.stop()
        tray.terminate()
        tray.wait(10)


def main():
    if len(sys.argv) < 3:
        print(__doc__)
        return 2
    dbus.mainloop.glib.DBusGMainLoop(set_as_default=True)
    bus = dbus.SessionBus()
    with tempfile.TemporaryDirectory() as work:
        os.makedirs(os.path.join(work, "window"))
        os.makedirs(os.path.join(work, "balloon"))
        checks(bus, sys.argv[1], sys.argv[2], os.path.join(work, "window"))
        fallback_balloon(sys.argv[1], sys.argv[2], os.path.join(work, "balloon"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
