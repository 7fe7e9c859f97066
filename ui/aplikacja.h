#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QApplication;
class QCoreApplication;
class QIcon;
class QWidget;

namespace ui {

// Look and language shared by the program and its window tests.
void przygotujAplikacje(QApplication& aplikacja);

// Qt's own texts (dialog buttons, file dialogs, command line errors) in Polish.
void przetlumaczQt(QCoreApplication& aplikacja);

QIcon ikonaZnakomatu();

// Centres a top-level window on the screen it will appear on.
void wysrodkuj(QWidget& okno);

// The input file named on the command line, `znakomat [PLIK]`, or an empty string when
// none is. Qt's own options (-platform, -style and the others) are known and left to Qt,
// so the command line is read whole before any display is opened. --help and --version end
// the program after their text; a wrong command line is explained in Polish on standard
// error, with the usage, and gives no value.
std::optional<QString> plikZWierszaPolecen(const QStringList& argumenty);

// Qt aborts when it cannot reach the display or load its platform plugin. While this
// lives, that end is a Polish message on standard error and status 1 instead; Qt's
// warnings of the start are held back and shown as the details of that message, or
// passed on as usual when the start succeeds.
class StartEkranu {
public:
    explicit StartEkranu(QString platforma);
    ~StartEkranu();
    StartEkranu(const StartEkranu&) = delete;
    StartEkranu& operator=(const StartEkranu&) = delete;
};

// What the program says instead of Qt's English words, when Qt's message is the one it
// gives on losing the display (X11 or Wayland) while the window is open; otherwise nothing.
std::optional<QString> komunikatUtratyEkranu(const QString& komunikatQt);

// From here on, losing the display ends the program with that Polish message and status 1,
// as a display missing at start does.
void ZglaszajUtrateEkranu();

// The platform Qt will try: `-platform NAME` on the command line, else QT_QPA_PLATFORM,
// else an empty string for Qt's default.
QString zadanaPlatforma(int argc, const char* const argv[]);

// Where the user chose no platform and a Wayland session also offers X (XWayland): X
// first, Wayland if X fails. Qt's own title bar on Wayland always offers to minimise and
// maximise, which this window of one fixed size must not; through X the compositor draws
// the title bar and follows the window's hints.
void PreferujXNaWaylandzie(int argc, const char* const argv[]);

}  // namespace ui
