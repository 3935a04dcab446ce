#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QToolButton;
class QWidget;

namespace sorvant {

class ChartView;

// Flips the central panel between the spreadsheet and the chart. Which view
// is current is not stored: it is whether the spreadsheet widget is shown.
// Hiding a view changes nothing else in it, so each keeps its state.
class ViewSwitcher : public QObject
{
    Q_OBJECT
public:
    // Image numbers of the toolbar image list on the Change View button.
    static constexpr int kChartImage = 2; // offers the chart
    static constexpr int kTableImage = 5; // offers the spreadsheet

    // Puts the spreadsheet view in front. The caller connects the button's
    // click to SwitchViewsClick().
    ViewSwitcher(QWidget *spreadsheet, ChartView *chart, QAction *button, QObject *parent = nullptr);
    ViewSwitcher(QWidget *spreadsheet, ChartView *chart, QToolButton *button, QObject *parent = nullptr);

    bool chartIsCurrent() const;
    int buttonImage() const { return m_image; }
    // The 32 x 32 pictures: a pie chart (image 2) and a window holding a table (image 5).
    static QIcon toolbarImage(int image);
    // Takes the button's pictures from the window's toolbar image list
    // instead of our own.
    void setImageProvider(std::function<QIcon(int)> images);

public slots:
    void SwitchViewsClick();

private:
    void setImage(int image);

    QPointer<QWidget> m_spreadsheet;
    QPointer<ChartView> m_chart;
    QPointer<QAction> m_action;
    QPointer<QToolButton> m_button;
    int m_image = kChartImage;
    std::function<QIcon(int)> m_images;
};

} // namespace sorvant
