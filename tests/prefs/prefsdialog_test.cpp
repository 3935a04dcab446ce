#include "shell/prefsdialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <vector>

namespace sorvant {
namespace {

// Records what the dialog does to the main window and the chart.
struct FakeHost : PreferencesHost {
    int interval = 25;
    QString status = QStringLiteral("(set by the main window)");
    QString file;
    std::vector<int> reloadSteps;     // SampleInterval at each reload
    std::vector<bool> markerCalls;
    bool view3D = false;
    std::vector<bool> view3DCalls;
    int intervalWrites = 0;
    bool failReload = false;

    int sampleInterval() const override { return interval; }
    void setSampleInterval(int value) override
    {
        interval = value;
        ++intervalWrites;
    }
    void setStatusText(const QString &text) override { status = text; }
    QString currentFile() const override { return file; }
    void reloadCurrentLog() override
    {
        reloadSteps.push_back(interval);
        if (failReload)
            throw std::runtime_error("reload failed");
    }
    void setMarkersVisible(bool visible) override { markerCalls.push_back(visible); }
    bool isView3D() const override { return view3D; }
    void setView3D(bool value) override
    {
        view3D = value;
        view3DCalls.push_back(value);
    }
};

QRadioButton *button(TForm3 &form, const char *name)
{
    return form.findChild<QRadioButton *>(QString::fromLatin1(name));
}

QString selectedCaption(TForm3 &form)
{
    const QList<QRadioButton *> buttons = form.findChildren<QRadioButton *>();
    QString caption;
    int checked = 0;
    for (QRadioButton *b : buttons) {
        if (b->isChecked()) {
            caption = b->text();
            ++checked;
        }
    }
    return checked == 1 ? caption : QStringLiteral("(%1 selected)").arg(checked);
}

void click(QAbstractButton *b)
{
    ASSERT_NE(b, nullptr);
    QTest::mouseClick(b, Qt::LeftButton, Qt::NoModifier, QPoint(6, b->height() / 2));
}

TEST(PreferencesLayout, AsDesigned)
{
    FakeHost host;
    TForm3 form(host);
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Preferences"));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.size(), QSize(331, 240));
    const Qt::WindowFlags flags = form.windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    EXPECT_FALSE(flags & (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowMaximizeButtonHint));

    // The steps on screen, top to bottom.
    QList<QRadioButton *> buttons = form.findChildren<QRadioButton *>();
    std::sort(buttons.begin(), buttons.end(), [](auto *a, auto *b) { return a->y() < b->y(); });
    QStringList captions;
    for (QRadioButton *b : buttons)
        captions << b->text();
    EXPECT_EQ(captions, (QStringList{QStringLiteral("1 minute averaging"), QStringLiteral("3 minute averaging"),
                                     QStringLiteral("5 minute averaging"), QStringLiteral("15 minute averaging"),
                                     QStringLiteral("30 minute averaging")}));
    EXPECT_EQ(button(form, "RadioButton3")->geometry(), QRect(19, 136, 129, 17));

    auto *group = form.findChild<QWidget *>(QStringLiteral("Panel2"));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->geometry(), QRect(8, 8, 153, 161));
    EXPECT_EQ(group->toolTip(), QStringLiteral("Select the sample rate then reload your data log into the Sorvant"));
    // The tooltip shows over the buttons too: they have none of their own.
    for (QRadioButton *b : buttons)
        EXPECT_TRUE(b->toolTip().isEmpty());
    for (const char *name : {"Label1", "Label2", "Label3"}) {
        auto *label = form.findChild<QLabel *>(QString::fromLatin1(name));
        ASSERT_NE(label, nullptr) << name;
        EXPECT_TRUE(label->font().bold()) << name;
    }
    EXPECT_EQ(form.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("Select the sampling "));
    EXPECT_EQ(form.showMarkersBox()->text(), QStringLiteral("Show Markers"));
    EXPECT_EQ(form.show3dBox()->text(), QStringLiteral("View Chart in 3D"));
    EXPECT_FALSE(form.showMarkersBox()->isChecked());
    EXPECT_FALSE(form.show3dBox()->isChecked());
    EXPECT_EQ(form.okButton()->geometry(), QRect(128, 200, 75, 25));
    EXPECT_FALSE(form.okButton()->isDefault());
}

TEST(PreferencesCreation, StoredStepPicksTheButtonWithoutCountingAsSelection)
{
    const struct {
        int stored;
        const char *selected;
    } cases[] = {
        {5, "1 minute averaging"},  {15, "3 minute averaging"},  {25, "5 minute averaging"},
        {75, "15 minute averaging"}, {150, "30 minute averaging"}, {40, "3 minute averaging"},
        {0, "3 minute averaging"},  {1, "3 minute averaging"},
    };
    for (const auto &c : cases) {
        FakeHost host;
        host.interval = c.stored;
        TForm3 form(host);
        EXPECT_EQ(selectedCaption(form), QString::fromLatin1(c.selected)) << c.stored;
        EXPECT_FALSE(form.intervalChanged()) << c.stored;
        EXPECT_EQ(host.intervalWrites, 0) << c.stored;
        EXPECT_EQ(host.status, QStringLiteral("(set by the main window)")) << c.stored;
    }
}

TEST(PreferencesSelection, StepTakesEffectAtOnce)
{
    FakeHost host;
    TForm3 form(host);
    form.showPreferences();
    click(button(form, "RadioButton3"));
    EXPECT_EQ(host.interval, 150);
    EXPECT_EQ(host.status, QStringLiteral(" Currently using 30 minute averaging"));
    EXPECT_TRUE(form.intervalChanged());
    EXPECT_EQ(selectedCaption(form), QStringLiteral("30 minute averaging"));
    click(button(form, "RadioButton1"));
    EXPECT_EQ(host.interval, 5);
    EXPECT_EQ(host.status, QStringLiteral(" Currently using 1 minute averaging"));
    EXPECT_EQ(selectedCaption(form), QStringLiteral("1 minute averaging"));
}

TEST(PreferencesSelection, StoredStepOfFortyKeepsItUntilAnotherButtonIsClicked)
{
    FakeHost host;
    host.interval = 40;
    TForm3 form(host);
    form.showPreferences();
    click(button(form, "RadioButton4")); // "3 minute averaging", already selected
    EXPECT_EQ(host.interval, 40);
    EXPECT_EQ(host.intervalWrites, 0);
    EXPECT_FALSE(form.intervalChanged());
    EXPECT_EQ(selectedCaption(form), QStringLiteral("3 minute averaging"));
    form.RadioButton5Click();
    EXPECT_EQ(host.interval, 75);
    EXPECT_TRUE(form.intervalChanged());
    EXPECT_EQ(selectedCaption(form), QStringLiteral("15 minute averaging"));
}

TEST(PreferencesOk, ReloadsOnlyAfterASelectionAndWithALog)
{
    const QString log = QStringLiteral("/logs/dryer3.dat");
    struct Case {
        const char *what;
        int initial;
        QString file;
        std::vector<const char *> clicks;
        std::vector<int> reloads;
        int interval;
    };
    const Case cases[] = {
        {"no selection", 25, log, {}, {}, 25},
        {"already selected button only", 25, log, {"RadioButton2"}, {}, 25},
        {"30 minutes without a log", 25, QString(), {"RadioButton3"}, {}, 150},
        {"5 then back to 3 minutes", 15, log, {"RadioButton2", "RadioButton4"}, {15}, 15},
        {"1 minute", 25, log, {"RadioButton1"}, {5}, 5},
    };
    for (const Case &c : cases) {
        FakeHost host;
        host.interval = c.initial;
        host.file = c.file;
        TForm3 form(host);
        form.showPreferences();
        for (const char *name : c.clicks)
            click(button(form, name));
        click(form.okButton());
        EXPECT_EQ(host.reloadSteps, c.reloads) << c.what;
        EXPECT_EQ(host.interval, c.interval) << c.what;
        EXPECT_FALSE(form.intervalChanged()) << c.what;
        EXPECT_FALSE(form.isVisible()) << c.what;

        // Shown again unchanged; OK without a new selection reloads nothing.
        form.showPreferences();
        EXPECT_TRUE(form.isVisible()) << c.what;
        click(form.okButton());
        EXPECT_EQ(host.reloadSteps, c.reloads) << c.what;
    }
}

TEST(PreferencesOk, FailedReloadStillClearsAndHides)
{
    FakeHost host;
    host.file = QStringLiteral("/logs/gone.dat");
    host.failReload = true;
    TForm3 form(host);
    form.showPreferences();
    form.RadioButton1Click();
    EXPECT_THROW(form.Button1Click(), std::runtime_error);
    EXPECT_FALSE(form.intervalChanged());
    EXPECT_FALSE(form.isVisible());
}

TEST(PreferencesKeyboard, TabOrderArrowsEnterAndEscape)
{
    FakeHost host;
    host.interval = 5;
    TForm3 form(host);
    form.showPreferences();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    EXPECT_EQ(QApplication::focusWidget(), form.okButton());

    // Only the selected step is a tab stop.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), button(form, "RadioButton1"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.showMarkersBox());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form.show3dBox());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), button(form, "RadioButton1"));

    // The arrows walk 1, 5, 30, 3, 15 minutes and round again, selecting.
    const struct {
        Qt::Key key;
        const char *caption;
        int interval;
    } steps[] = {
        {Qt::Key_Down, "5 minute averaging", 25},  {Qt::Key_Down, "30 minute averaging", 150},
        {Qt::Key_Right, "3 minute averaging", 15}, {Qt::Key_Down, "15 minute averaging", 75},
        {Qt::Key_Down, "1 minute averaging", 5},   {Qt::Key_Up, "15 minute averaging", 75},
        {Qt::Key_Left, "3 minute averaging", 15},
    };
    for (const auto &s : steps) {
        QTest::keyClick(QApplication::focusWidget(), s.key);
        EXPECT_EQ(selectedCaption(form), QString::fromLatin1(s.caption));
        EXPECT_EQ(host.interval, s.interval) << s.caption;
        auto *focused = qobject_cast<QRadioButton *>(QApplication::focusWidget());
        ASSERT_NE(focused, nullptr);
        EXPECT_TRUE(focused->isChecked());
    }
    EXPECT_TRUE(form.intervalChanged());

    // Enter away from OK and Escape anywhere leave the dialog open.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    form.show3dBox()->setFocus();
    QTest::keyClick(form.show3dBox(), Qt::Key_Return);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(host.reloadSteps.empty());

    host.file = QStringLiteral("/logs/dryer3.dat");
    form.okButton()->setFocus();
    QTest::keyClick(form.okButton(), Qt::Key_Return);
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(host.reloadSteps, std::vector<int>{15});
}

TEST(PreferencesChart, MarkersFollowTheBoxAndTheChartDecides3D)
{
    FakeHost host;
    TForm3 form(host);
    form.showPreferences();
    click(form.showMarkersBox());
    click(form.showMarkersBox());
    EXPECT_EQ(host.markerCalls, (std::vector<bool>{true, false}));

    click(form.show3dBox());
    EXPECT_TRUE(host.view3D);
    EXPECT_TRUE(form.show3dBox()->isChecked());
    // The chart went back to 2D elsewhere while the box stayed ticked: the
    // next click follows the chart and turns 3D on again, box ticked.
    host.view3D = false;
    click(form.show3dBox());
    EXPECT_TRUE(host.view3D);
    EXPECT_TRUE(form.show3dBox()->isChecked());
    click(form.show3dBox());
    EXPECT_FALSE(host.view3D);
    EXPECT_FALSE(form.show3dBox()->isChecked());
    EXPECT_EQ(host.view3DCalls, (std::vector<bool>{true, true, false}));
}

TEST(PreferencesShow, NonModalOnTopAndOneWindow)
{
    FakeHost host;
    TForm3 form(host);
    form.showPreferences();
    form.showPreferences();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(form.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    int shown = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        shown += (qobject_cast<TForm3 *>(w) && w->isVisible()) ? 1 : 0;
    EXPECT_EQ(shown, 1);
}

TEST(PreferencesShow, OnlyOkClosesIt)
{
    FakeHost host;
    TForm3 form(host);
    form.showPreferences();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    // A close box or Alt+F4 reaches the window as a close request.
    EXPECT_FALSE(form.close());
    ASSERT_NE(form.windowHandle(), nullptr);
    EXPECT_FALSE(form.windowHandle()->close());
    QApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    click(form.okButton());
    EXPECT_FALSE(form.isVisible());
    // Shown again by the next Preferences command, unchanged.
    form.showPreferences();
    EXPECT_TRUE(form.isVisible());
}

TEST(PreferencesPlacement, DesignedPositionWhereItFitsElseInsideTheScreen)
{
    const QSize frame(339, 270);
    const struct {
        const char *what;
        QRect available;
        QPoint expected;
    } cases[] = {
        {"wide screen", QRect(0, 0, 1920, 1080), QPoint(1265, 91)},
        {"exactly fits", QRect(0, 0, 1265 + 339, 91 + 270), QPoint(1265, 91)},
        {"narrow screen", QRect(0, 0, 1280, 1024), QPoint(1280 - 339, 91)},
        {"panel on the left and top", QRect(64, 120, 1216, 900), QPoint(1280 - 339, 120)},
        {"second screen to the right", QRect(1920, 0, 1280, 1024), QPoint(1920, 91)},
        {"tiny screen", QRect(0, 0, 300, 200), QPoint(0, 0)},
        {"short screen", QRect(0, 0, 1920, 300), QPoint(1265, 30)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(placeInside(TForm3::kDesignedPosition, frame, c.available), c.expected) << c.what;
}

} // namespace
} // namespace sorvant
