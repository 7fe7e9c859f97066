#pragma once

#include <QString>

class QMimeData;

// The text another program put on the clipboard, exactly. Qt's own decoding drops a
// byte order mark at the start of the text; here the UTF-8 bytes are decoded with it.
QString tekstZeSchowka(const QMimeData& dane);
