#pragma once

#include <QFont>
#include <QString>

namespace sorvant {

// A font as a window was designed with it: family, character height in
// pixels, bold or not. "MS Sans Serif" here is a bitmap face with three
// regular sizes and no bold, so bold or large text in it would come out thin
// and small: large regular text takes "Tahoma", the scalable face of the same
// design, and bold text "Liberation Sans", whose bold is really heavier.
// "Nimrod" and "Book Antiqua", where missing, fall back to "Liberation Serif".
QFont designFont(const QString &family, int pixelSize, bool bold = false);

} // namespace sorvant
