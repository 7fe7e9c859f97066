#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QApplication;
class QIcon;
class QWidget;

namespace okno {

// Look and language shared by the program and its window tests.
void przygotujAplikacje(QApplication& aplikacja);

QIcon ikonaZnakomatu();

// Centres a top-level window on the screen it will appear on.
void wysrodkuj(QWidget& okno);

// The input file named on the command line, `znakomat [PLIK]`, or an empty string when
// none is. --help and --version end the program after their text; a wrong command line
// is explained on standard error and gives no value.
std::optional<QString> plikZWierszaPolecen(const QStringList& argumenty);

}  // namespace okno
