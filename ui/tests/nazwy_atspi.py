"""What a screen reader hears of the window, through AT-SPI on the session bus.

Run inside `dbus-run-session` with an X display: starts the program in the file mode,
finds its window on the accessibility bus and checks the name and role of each control a
user reaches in that mode.
    nazwy_atspi.py ZNAKOMAT
"""
import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

OCZEKIWANE = [
    # (role, name), each once among the window's controls; a list by the labels that
    # label it, as Qt gives a list's value as its name
    ("combo box", "Konwertowany tekst ma ogonki zapisane w standardzie"),
    ("combo box", "chcę je przekonwertować na"),
    ("push button", "Konwertuj"),
    ("check box", "Konwersja tekstu ze schowka"),
    ("check box", "Konwersja pliku tekstowego"),
    ("text", "Plik wejściowy"),
    ("text", "Plik wyjściowy"),
    ("push button", "Wybierz plik wejściowy"),
    ("push button", "Wybierz plik wyjściowy"),
]


def kontrolki(wezel, glebokosc=0):
    """Every (role, name) pair under the node."""
    if glebokosc > 20:
        return
    for i in range(wezel.get_child_count()):
        dziecko = wezel.get_child_at_index(i)
        if dziecko is None:
            continue
        if dziecko.get_role() == Atspi.Role.COMBO_BOX:
            # Each label that labels the list, its own before its frame's.
            for relacja in dziecko.get_relation_set():
                if relacja.get_relation_type() == Atspi.RelationType.LABELLED_BY:
                    for j in range(relacja.get_n_targets()):
                        yield dziecko.get_role_name(), relacja.get_target(j).get_name()
        else:
            yield dziecko.get_role_name(), dziecko.get_name()
        yield from kontrolki(dziecko, glebokosc + 1)


def okno_programu(pid, do_kiedy):
    while time.monotonic() < do_kiedy:
        pulpit = Atspi.get_desktop(0)
        for i in range(pulpit.get_child_count()):
            aplikacja = pulpit.get_child_at_index(i)
            if aplikacja is not None and aplikacja.get_process_id() == pid and aplikacja.get_child_count() > 0:
                return aplikacja
        time.sleep(0.1)
    return None


def main():
    program = sys.argv[1]
    srodowisko = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1")
    with tempfile.NamedTemporaryFile(suffix=".txt") as wejscie:
        proces = subprocess.Popen([program, wejscie.name], env=srodowisko)
        try:
            aplikacja = okno_programu(proces.pid, time.monotonic() + 60)
            if aplikacja is None:
                print("FAIL: the window did not appear on the accessibility bus", file=sys.stderr)
                return 1
            # The tree fills in as the window is shown.
            do_kiedy = time.monotonic() + 30
            while True:
                znalezione = list(kontrolki(aplikacja))
                braki = [o for o in OCZEKIWANE if znalezione.count(o) != 1]
                if not braki or time.monotonic() > do_kiedy:
                    break
                time.sleep(0.2)
            for rola, nazwa in znalezione:
                print(f"{rola}: {nazwa}")
            for rola, nazwa in braki:
                print(f"FAIL: {rola} '{nazwa}' is not there exactly once", file=sys.stderr)
            return 1 if braki else 0
        finally:
            proces.terminate()
            proces.wait(30)


sys.exit(main())
