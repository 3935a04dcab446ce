#pragma once

#include <QString>
#include <QStringList>

namespace sorvant {

// Makes "Tahoma" and "MS Sans Serif" resolve to metric-compatible faces: the
// ones Debian's fonts-wine installs in /usr/share/wine/fonts are added to the
// application's fonts. Does nothing when they are absent. ("Arial" resolves
// through fontconfig's aliases to Liberation Sans.) Acts once per process and
// only once a QGuiApplication exists; later calls do nothing.
void registerCompatibleFonts();

// The same from another folder, every time it is called; returns the
// families added. Needs a QGuiApplication.
QStringList registerCompatibleFonts(const QString &folder);

// The face for bold texts designed in Tahoma or MS Sans Serif: the Tahoma at
// hand (Wine's) draws its bold no heavier than its regular, and MS Sans Serif
// is a bitmap face without bold. Liberation Sans has Arial's metrics, close
// to the design's, and a bold that really is heavier.
inline QString boldStandInFamily()
{
    return QStringLiteral("Liberation Sans");
}

} // namespace sorvant
