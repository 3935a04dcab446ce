#pragma once

#include <QWidget>

namespace sorvant {

// A panel framed like a classic desktop panel: an outer bevel at its edge,
// `borderWidth` pixels of face colour, then an inner bevel, one pixel each.
class BevelPanel : public QWidget
{
public:
    enum class Bevel { None, Raised, Lowered };

    BevelPanel(Bevel outer, Bevel inner, int borderWidth, QWidget *parent = nullptr);

    Bevel outerBevel() const { return m_outer; }
    Bevel innerBevel() const { return m_inner; }
    int borderWidth() const { return m_borderWidth; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Bevel m_outer;
    Bevel m_inner;
    int m_borderWidth;
};

} // namespace sorvant
