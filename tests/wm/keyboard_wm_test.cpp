// The main window under a real window manager (openbox in Xvfb), driven from
// the keyboard as a user without a mouse drives it.

#include "wmfixture.h"

#include "controls/chart/chartmodel.h"
#include "controls/grid/datagrid.h"
#include "views/chartview.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QScrollBar>
#include <QTest>

namespace sorvant::testing {
namespace {

class KeyboardWmTest : public WmShellTest
{
protected:
    void SetUp() override
    {
        StoredSettings s;
        s.sampleInterval = 5;
        ASSERT_NO_FATAL_FAILURE(makeFormOnDesktop(s));
        ASSERT_NO_FATAL_FAILURE(showActive());
    }

    // The key goes where the keyboard focus is, as X delivers it.
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : QApplication::activeWindow();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, key, modifiers);
    }
};

TEST_F(KeyboardWmTest, TabReachesTheChartsPageScrollBarWhichTurnsThePages)
{
    // 600 rows at one-minute averaging: 50 pages.
    answerOpen(writeCountingLog(QStringLiteral("run.dat"), 3000));
    form->OpenButtonClick();
    ChartModel &chart = form->chartView()->model();
    ASSERT_EQ(chart.NumPages(), 50);
    form->ChangeViewButton->trigger();
    ASSERT_TRUE(form->Chart->isVisible());
    ASSERT_TRUE(form->ChartScrollBar1->isVisible());

    // Forwards: within a few presses of Tab the bar has the focus.
    bool reached = false;
    for (int i = 0; i < 12 && !reached; ++i) {
        press(Qt::Key_Tab);
        QTest::qWait(20);
        reached = QApplication::focusWidget() == form->ChartScrollBar1;
    }
    ASSERT_TRUE(reached) << "focus went to "
                         << (QApplication::focusWidget() ? QApplication::focusWidget()->metaObject()->className()
                                                         : "nothing");
    press(Qt::Key_End);
    EXPECT_EQ(chart.Page(), 50);
    press(Qt::Key_PageUp);
    EXPECT_EQ(chart.Page(), 49);
    press(Qt::Key_Home);
    EXPECT_EQ(chart.Page(), 1);
    press(Qt::Key_PageDown);
    EXPECT_EQ(chart.Page(), 2);
    EXPECT_EQ(form->ChartScrollBar1->value(), 2);

    // Backwards from elsewhere: Shift+Tab reaches it too.
    form->ChangeViewButton->trigger();
    form->ChangeViewButton->trigger();
    if (QWidget *focused = QApplication::focusWidget())
        focused->clearFocus();
    reached = false;
    for (int i = 0; i < 12 && !reached; ++i) {
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QTest::qWait(20);
        reached = QApplication::focusWidget() == form->ChartScrollBar1;
    }
    EXPECT_TRUE(reached);

    // With the spreadsheet shown the hidden bar takes no focus.
    form->ChangeViewButton->trigger();
    ASSERT_TRUE(form->StringGrid1->isVisible());
    for (int i = 0; i < 12; ++i) {
        press(Qt::Key_Tab);
        EXPECT_NE(QApplication::focusWidget(), form->ChartScrollBar1);
    }
}

} // namespace
} // namespace sorvant::testing
