// A second start while the main window is minimised, under a real window
// manager (openbox in Xvfb): the pop-up the user was last in must end up in
// front of the restored main window, with the keyboard focus.

#include "wmfixture.h"

#include "shell/aboutbox.h"
#include "shell/prefsdialog.h"
#include "shell/shellwindows.h"
#include "shell/windowactivator.h"

#include <QAction>
#include <QApplication>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <QWindow>

namespace sorvant::testing {
namespace {

class WmActivationTest : public WmShellTest
{
protected:
    std::unique_ptr<ShellWindows> windows;
    std::unique_ptr<WindowActivator> activator;

    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(makeFormOnDesktop());
        windows = std::make_unique<ShellWindows>(*form);
        activator = std::make_unique<WindowActivator>(form.get());
        ASSERT_NO_FATAL_FAILURE(showActive());
    }
    void TearDown() override
    {
        activator.reset();
        windows.reset();
        WmShellTest::TearDown();
    }

    // Our window that the X server shows at the middle of `w`: the window
    // manager's stacking, not Qt's idea of it.
    static bool showsOnTop(QWidget *w)
    {
        return QApplication::topLevelAt(w->frameGeometry().center()) == w;
    }
    static bool hasFocus(QWidget *w)
    {
        return QApplication::activeWindow() == w && QApplication::focusWidget()
            && QApplication::focusWidget()->window() == w;
    }

    void minimiseMain()
    {
        form->showMinimized();
        ASSERT_TRUE(QTest::qWaitFor([this] { return !form->windowHandle()->isExposed(); }, kWaitMs))
            << "the window manager did not minimise the main window";
    }
    // The second start's request, then the window manager's restore.
    void secondStart()
    {
        activator->bringToFront();
        ASSERT_TRUE(QTest::qWaitFor(
            [this] { return !form->isMinimized() && form->windowHandle()->isExposed(); }, kWaitMs))
            << "the main window was not restored";
    }
};

TEST_F(WmActivationTest, AboutBoxComesBackInFrontOfTheRestoredMainWindow)
{
    TAboutBox &about = windows->aboutBox();
    form->About1->trigger();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&about, kWaitMs));
    // The box stands in the middle of the main window.
    ASSERT_TRUE(form->frameGeometry().contains(about.frameGeometry().center()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return showsOnTop(&about); }, kWaitMs));
    ASSERT_EQ(activator->lastActivePopup(), &about);

    minimiseMain();
    secondStart();
    EXPECT_TRUE(QTest::qWaitFor([&] { return showsOnTop(&about) && hasFocus(&about); }, kWaitMs))
        << "on top: " << showsOnTop(&about) << ", focus: " << hasFocus(&about)
        << ", main window on top: " << showsOnTop(form.get());
    EXPECT_TRUE(form->isVisible());
}

TEST_F(WmActivationTest, PreferencesDialogKeepsTheKeyboardFocus)
{
    TForm3 &prefs = windows->preferences();
    form->Preferences->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasFocus(&prefs); }, kWaitMs));
    prefs.okButton()->setFocus();
    ASSERT_EQ(activator->lastActivePopup(), &prefs);

    minimiseMain();
    secondStart();
    EXPECT_TRUE(QTest::qWaitFor([&] { return hasFocus(&prefs) && showsOnTop(&prefs); }, kWaitMs))
        << "focus: " << hasFocus(&prefs) << ", active window: "
        << (QApplication::activeWindow() ? QApplication::activeWindow()->objectName().toStdString() : "none");
    EXPECT_EQ(QApplication::focusWidget(), prefs.okButton());
}

} // namespace
} // namespace sorvant::testing
