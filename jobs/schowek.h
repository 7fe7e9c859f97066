#pragma once

#include <QString>

class QMimeData;

namespace jobs {

// The text on the clipboard or in a drop, exactly as it was put there. Qt's decoding of
// another program's UTF-8 drops a byte order mark at the start; here it is kept.
QString tekstZeSchowka(const QMimeData& dane);

}  // namespace jobs
