#pragma once

#include <QString>

namespace kqm52 {

// The main window's title, and the caption of the boxes that speak for the
// program as a whole rather than for one window.
inline QString applicationTitle() {
    return QStringLiteral("Morvek Software Tool (KQM52)");
}

} // namespace kqm52
