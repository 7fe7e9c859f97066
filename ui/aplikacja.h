#pragma once

class QApplication;
class QIcon;
class QWidget;

// Look and language shared by the program and its window tests.
void przygotujAplikacje(QApplication& aplikacja);

QIcon ikonaZnakomatu();

// Centres a top-level window on the screen it will appear on.
void wysrodkuj(QWidget& okno);
