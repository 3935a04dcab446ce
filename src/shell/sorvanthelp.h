#pragma once

#include <QString>

namespace sorvant {

// What `sorvant --help` prints; the manual page sorvant(1) is made from it,
// so every option, file and variable the program uses belongs here.
QString sorvantHelpText();

} // namespace sorvant
