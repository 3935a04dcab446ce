#pragma once

#include "gridpageplan.h"
#include "numberlayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>

#include <memory>

namespace sorvant {

// Measures printed texts with Qt's font metrics at a large reference size and
// scales them down, so the results depend neither on the screen nor on the
// printer's resolution. Needs a QGuiApplication.
class QtPrintTextMeasurer : public PrintTextMeasurer
{
public:
    QtPrintTextMeasurer();
    ~QtPrintTextMeasurer() override;

    int textWidth(const TPrintFont &font, double k, QStringView text) override;
    int lineHeight(const TPrintFont &font, double k) override;
    bool digitsShareWidth(const TPrintFont &font) override;
    std::function<int(std::string_view utf8)> numberWidths(const TPrintFont &font, double k) override;

    // The face and style of a printer font at a pixel size (no colour); a
    // face that cannot be scaled is replaced by a scalable one.
    static QFont qtFont(const TPrintFont &font, int pixelSize);

private:
    struct Face;
    Face &face(const TPrintFont &font);

    QHash<QString, std::shared_ptr<Face>> m_faces;
};

} // namespace sorvant
