#pragma once

#include <QIcon>
#include <QPixmap>

namespace sorvant {

// The toolbar's six 32 x 32 pictures, drawn for Sorvant. The five buttons use
// the first five in toolbar order; the change-view button switches between
// ImageShowChart (the chart is offered) and ImageShowTable.
enum ToolbarImage : int {
    ImageOpen = 0,
    ImagePrint = 1,
    ImageShowChart = 2,
    ImageExport = 3,
    ImageExit = 4,
    ImageShowTable = 5,
};
constexpr int kToolbarImageCount = 6;
constexpr int kToolbarImageSize = 32;

// One picture: from ImageList normally, from HotList (brighter, lit from
// behind) while the mouse is over the button.
QPixmap toolbarImage(int index, bool hot, qreal devicePixelRatio = 1.0);

// Both pictures as one icon: the normal one, and the hot one for the
// button under the mouse.
QIcon toolbarIcon(int index);

} // namespace sorvant
