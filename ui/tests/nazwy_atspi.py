"""What a screen reader hears of the window through AT-SPI. Run in `dbus-run-session`
with an X display: nazwy_atspi.py ZNAKOMAT"""
import os
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# (role, name), each once in the file mode; a list by the label that labels it, since
# Qt gives a list's value as its name.
OCZEKIWANE = [
    ("combo box", "Konwertowany tekst ma ogonki zapisane w standardzie"),
    ("combo box", "chcę je przekonwertować na"),
    ("check box", "Konwersja pliku tekstowego"),
    ("text", "Plik wejściowy"),
    ("text", "Plik wyjściowy"),
    ("push button", "Wybierz plik wejściowy"),
    ("push button", "Wybierz plik wyjściowy"),
]


def kontrolki(wezel):
    for dziecko in (wezel.get_child_at_index(i) for i in range(wezel.get_child_count())):
        if dziecko.get_role() == Atspi.Role.COMBO_BOX:
            for relacja in dziecko.get_relation_set():
                if relacja.get_relation_type() == Atspi.RelationType.LABELLED_BY:
                    for j in range(relacja.get_n_targets()):
                        yield dziecko.get_role_name(), relacja.get_target(j).get_name()
        else:
            yield dziecko.get_role_name(), dziecko.get_name()
        yield from kontrolki(dziecko)


def main():
    srodowisko = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    with tempfile.NamedTemporaryFile(suffix=".txt") as wejscie:
        proces = subprocess.Popen([sys.argv[1], wejscie.name], env=srodowisko)
        try:
            znalezione, braki = [], OCZEKIWANE
            koniec = time.monotonic() + 60
            # The window appears on the bus, and its tree fills in, some time after start.
            while braki and time.monotonic() < koniec:
                time.sleep(0.2)
                pulpit = Atspi.get_desktop(0)
                for aplikacja in (pulpit.get_child_at_index(i) for i in range(pulpit.get_child_count())):
                    if aplikacja is not None and aplikacja.get_process_id() == proces.pid:
                        znalezione = list(kontrolki(aplikacja))
                        braki = [o for o in OCZEKIWANE if znalezione.count(o) != 1]
            for rola, nazwa in braki:
                print(f"FAIL: {rola} '{nazwa}' is not there exactly once; found: {znalezione}", file=sys.stderr)
            return 1 if braki else 0
        finally:
            proces.terminate()
            proces.wait(30)


sys.exit(main())
