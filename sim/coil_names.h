#pragma once

#include <QString>

namespace stepdial {

// Coils A to D hang on data bits 0 to 3 in phase order; every part of the window that
// shows a coil names it the same way, so a wiring fault can be traced to a pin.
constexpr int kCoils = 4;

inline QString CoilName(int bit) { return QString(QChar(u'A' + bit)); }
inline QString DataBitName(int bit) { return QStringLiteral("bit %1").arg(bit); }

}  // namespace stepdial
