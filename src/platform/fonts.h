#pragma once

#include <QString>
#include <QStringList>

namespace sorvant {

// Makes "Tahoma" and "MS Sans Serif" resolve to metric-compatible faces: the
// ones Debian's fonts-wine installs in /usr/share/wine/fonts are added to the
// application's fonts. Does nothing when they are absent. ("Arial" resolves
// through fontconfig's aliases to Liberation Sans.) Needs a QGuiApplication.
void registerCompatibleFonts();

// The same from another folder; returns the families added.
QStringList registerCompatibleFonts(const QString &folder);

} // namespace sorvant
