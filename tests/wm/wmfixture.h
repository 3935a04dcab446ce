#pragma once

// The main window on a real desktop (openbox in Xvfb), for the tests that
// need the window manager's stacking, focus and key delivery.

#include "shell/shellfixture.h"

#include <QGuiApplication>
#include <QTest>

namespace sorvant::testing {

class WmShellTest : public ShellTest
{
protected:
    static constexpr int kWaitMs = 10000;
    std::unique_ptr<TSorvantMainForm> form;

    // Stores `s` with five empty recent files and makes the main window.
    void makeFormOnDesktop(StoredSettings s = {})
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "needs a real X server";
        s.recentFiles = QStringList{QString(), QString(), QString(), QString(), QString()};
        store(s);
        form = makeForm();
    }
    // Shows it and waits until the window manager has made it active.
    void showActive()
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get(), kWaitMs));
    }
    void TearDown() override
    {
        form.reset();
        ShellTest::TearDown();
    }
};

} // namespace sorvant::testing
