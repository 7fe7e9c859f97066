#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace ui {

// The open and save dialogs behind the two browse buttons. The filter is given as
// "name|pattern|name|pattern"; each returns the chosen path, trimmed of spaces at both
// ends, or an empty string when the user cancels.
namespace OpenSave {

QString ShowOpen(QWidget* wlasciciel, const QString& filtr, const QString& tytul, const QString& folder);
QString ShowSave(QWidget* wlasciciel, const QString& filtr, const QString& tytul, const QString& folder);

// "Pliki tekstowe|*.txt|Wszystkie pliki|*.*" -> {"Pliki tekstowe (*.txt)", "Wszystkie pliki (*.*)"}
QStringList filtryDialogu(const QString& filtr);

}  // namespace OpenSave

}  // namespace ui
