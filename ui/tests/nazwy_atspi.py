"""What a screen reader hears of the window through AT-SPI, and what its WWW button opens
when pressed through AT-SPI. Run in `dbus-run-session` with an X display:
nazwy_atspi.py ZNAKOMAT STRONA, STRONA being the users' page as the sources hold it."""
import os
import pathlib
import subprocess
import sys
import tempfile
import time
import urllib.parse

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

# (role, name), each once in the file mode; a list by the label that labels it, since
# Qt gives a list's value as its name.
OCZEKIWANE = [
    ("combo box", "Konwertowany tekst ma ogonki zapisane w standardzie"),
    ("combo box", "chcę je przekonwertować na"),
    ("radio button", "Konwersja tekstu ze schowka"),
    ("radio button", "Konwersja pliku tekstowego"),
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


def wezly(wezel):
    for dziecko in (wezel.get_child_at_index(i) for i in range(wezel.get_child_count())):
        yield dziecko
        yield from wezly(dziecko)


def czekaj(warunek, sekundy):
    """The condition's value once it holds, or None when the time is up."""
    koniec = time.monotonic() + sekundy
    while time.monotonic() < koniec:
        wynik = warunek()
        if wynik:
            return wynik
        time.sleep(0.2)
    return None


def main():
    program, wzor = sys.argv[1], pathlib.Path(sys.argv[2])
    bledy = []
    with tempfile.TemporaryDirectory() as folder, tempfile.NamedTemporaryFile(suffix=".txt") as wejscie:
        # The desktop's opener, replaced by one that notes what it was given.
        adres = pathlib.Path(folder, "adres")
        otwieracz = pathlib.Path(folder, "xdg-open")
        otwieracz.write_text(f'#!/bin/sh\nprintf "%s" "$1" > "{adres}.tmp" && mv "{adres}.tmp" "{adres}"\n')
        otwieracz.chmod(0o755)
        srodowisko = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                          PATH=f"{folder}:{os.environ['PATH']}")
        def uruchom():
            return subprocess.Popen([program, wejscie.name], env=srodowisko)

        proces, ponowiony = uruchom(), False
        try:
            znalezione, braki, aplikacja = [], OCZEKIWANE, None

            # The window appears on the bus, and its tree fills in, some time after start.
            def wszystkie():
                nonlocal znalezione, braki, aplikacja, proces, ponowiony
                if proces.poll() is not None:
                    # Under the sanitizers the virtual display once refused the window's
                    # connection (the program says so and ends): it gets one more start.
                    if ponowiony:
                        return True
                    print(f"the program ended with {proces.returncode} before its window appeared; "
                          "starting it again", file=sys.stderr)
                    proces, ponowiony = uruchom(), True
                    return False
                pulpit = Atspi.get_desktop(0)
                for kandydat in (pulpit.get_child_at_index(i) for i in range(pulpit.get_child_count())):
                    if kandydat is not None and kandydat.get_process_id() == proces.pid:
                        aplikacja = kandydat
                        znalezione = list(kontrolki(aplikacja))
                        braki = [o for o in OCZEKIWANE if znalezione.count(o) != 1]
                return not braki

            czekaj(wszystkie, 60)
            for rola, nazwa in braki:
                bledy.append(f"{rola} '{nazwa}' is not there exactly once; found: {znalezione}")
            if braki:
                return bledy

            # Started with a file, the window is in the file mode: that choice is the checked one.
            for wezel in wezly(aplikacja):
                if wezel.get_role() == Atspi.Role.RADIO_BUTTON:
                    zaznaczony = wezel.get_state_set().contains(Atspi.StateType.CHECKED)
                    if zaznaczony != (wezel.get_name() == "Konwersja pliku tekstowego"):
                        bledy.append(f"radio button '{wezel.get_name()}' checked: {zaznaczony}")

            # WWW pressed as a screen reader presses it opens the users' page of this build.
            www = [w for w in wezly(aplikacja) if w.get_role() == Atspi.Role.PUSH_BUTTON and w.get_name() == "WWW"]
            www[0].do_action(0)
            otwarty = czekaj(lambda: adres.exists() and adres.read_text(), 30)
            if not otwarty or not otwarty.startswith("file:///"):
                bledy.append(f"WWW opened {otwarty!r}, not a local file")
            elif pathlib.Path(urllib.parse.unquote(urllib.parse.urlparse(otwarty).path)).read_bytes() != wzor.read_bytes():
                bledy.append(f"WWW opened {otwarty}, which is not the users' page")
            return bledy
        finally:
            proces.terminate()
            proces.wait(30)


bledy = main()
for blad in bledy:
    print(f"FAIL: {blad}", file=sys.stderr)
sys.exit(1 if bledy else 0)
