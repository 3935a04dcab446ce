#include "shell/pathparts.h"
#include "shell/progresssink.h"
#include "shell/toolbaricons.h"
#include "shell/windowactivator.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QVBoxLayout>

#include <QImage>
#include <QProgressBar>
#include <QTest>

#include <gtest/gtest.h>

namespace sorvant {
namespace {

TEST(PathParts, CommandLineJoinsArgumentsIntoOnePath)
{
    const struct {
        QStringList arguments;
        const char *path;
    } cases[] = {
        {{}, ""},
        {{QString()}, ""},
        {{QString(), QStringLiteral("/x.dat")}, ""}, // only a non-empty first argument counts
        {{QStringLiteral("/home/ann/logs/dryer3.dat")}, "/home/ann/logs/dryer3.dat"},
        {{QStringLiteral("/home/ann/my"), QStringLiteral("logs/dryer"), QStringLiteral("3.dat")},
         "/home/ann/my logs/dryer 3.dat"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(commandLinePath(c.arguments), QString::fromUtf8(c.path)) << c.arguments.join(QLatin1Char('|')).toStdString();
}

TEST(PathParts, FolderAndFileName)
{
    const struct {
        const char *path, *folder, *name;
    } cases[] = {
        {"/home/ann/logs/dryer3.dat", "/home/ann/logs/", "dryer3.dat"},
        {"/home/ann/logs/", "/home/ann/logs/", ""},
        {"dryer3.dat", "", "dryer3.dat"},
        {"/", "/", ""},
        {"/srv/Trocknung Мельница/log 1.dat", "/srv/Trocknung Мельница/", "log 1.dat"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(folderPart(QString::fromUtf8(c.path)), QString::fromUtf8(c.folder)) << c.path;
        EXPECT_EQ(fileNamePart(QString::fromUtf8(c.path)), QString::fromUtf8(c.name)) << c.path;
    }
    EXPECT_EQ(captionPrefix() + QStringLiteral("dryer3.dat"), QStringLiteral("Sorvant v1.2 - dryer3.dat"));
}

TEST(PathParts, CommandLineFolderIsAbsolute)
{
    const struct {
        const char *path, *current, *folder;
    } cases[] = {
        {"logs/dryer3.dat", "/home/ann", "/home/ann/logs/"},
        {"dryer3.dat", "/home/ann", "/home/ann/"},
        {"./logs/../usb/dryer3.dat", "/home/ann/", "/home/ann/usb/"},
        {"../dryer3.dat", "/home/ann", "/home/"},
        {"x.dat", "/", "/"},
        {"logs/", "/home/ann", "/home/ann/logs/"},
        {"/srv/my logs/dryer 3.dat", "/home/ann", "/srv/my logs/"}, // absolute: as given
    };
    for (const auto &c : cases)
        EXPECT_EQ(commandLineFolder(QString::fromUtf8(c.path), QString::fromUtf8(c.current)), QString::fromUtf8(c.folder))
            << c.path << " in " << c.current;
}

TEST(ProgressBarSink, FollowsTheLoadWithFewUpdates)
{
    QProgressBar bar;
    bar.resize(200, 20);
    bar.show();
    ProgressBarSink sink(&bar);
    sink.setVisible(true);
    sink.setPosition(0);
    sink.setMaximum(144000);
    EXPECT_EQ(bar.value(), 0);
    for (int i = 0; i < 144000; i += 5)
        sink.setPosition(i);
    // At most one update per pixel of the bar, however many rows there are.
    EXPECT_LE(sink.updates(), 201);

    // A slow load sees the bar advance once a frame.
    for (int k = 1; k <= 5; ++k) {
        QTest::qSleep(ProgressBarSink::kFrameMs + 3);
        sink.setPosition(k * 28000);
        EXPECT_EQ(bar.value(), k * 28000) << k;
    }

    // The closing steps: back to 0 and hidden. The next load's bar starts at
    // 0 even though the reset fell within a frame and was not painted.
    sink.setPosition(0);
    sink.setVisible(false);
    EXPECT_FALSE(bar.isVisible());
    sink.setVisible(true);
    EXPECT_TRUE(bar.isVisible());
    EXPECT_EQ(bar.value(), 0);

    // An empty load gives a plain empty bar, not a busy indicator.
    sink.setVisible(true);
    sink.setMaximum(0);
    EXPECT_GT(bar.maximum(), bar.minimum());
}

TEST(ToolbarIcons, SixPicturesEachWithADistinctHotVariant)
{
    QList<QImage> normals;
    for (int i = 0; i < kToolbarImageCount; ++i) {
        const QImage normal = toolbarImage(i, false).toImage();
        const QImage hot = toolbarImage(i, true).toImage();
        ASSERT_EQ(normal.size(), QSize(32, 32)) << i;
        EXPECT_NE(normal, hot) << i;
        // Something is drawn: a good part of the picture is not transparent.
        int opaque = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                opaque += qAlpha(normal.pixel(x, y)) > 128 ? 1 : 0;
        EXPECT_GT(opaque, 150) << i;
        for (const QImage &other : normals)
            EXPECT_NE(normal, other) << i;
        normals << normal;
        const QIcon icon = toolbarIcon(i);
        EXPECT_NE(icon.pixmap(32, QIcon::Normal).toImage(), icon.pixmap(32, QIcon::Active).toImage()) << i;
    }
}

TEST(WindowActivator, RestoresTheMainWindowAndRaisesTheLastActivePopup)
{
    QWidget main;
    auto *mainEdit = new QLineEdit(&main);
    main.show();
    WindowActivator activator(&main);

    main.showMinimized();
    ASSERT_TRUE(main.isMinimized());
    activator.bringToFront();
    EXPECT_FALSE(main.isMinimized());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(activator.lastActivePopup(), nullptr);

    // The user was last in a dialog of ours: it is what comes to the top.
    QDialog dialog(&main);
    auto *edit = new QLineEdit(&dialog);
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    edit->setFocus();
    EXPECT_EQ(activator.lastActivePopup(), &dialog);
    activator.bringToFront();
    EXPECT_TRUE(dialog.isVisible());

    // Back in the main window, or the dialog closed: no pop-up to raise.
    QApplication::setActiveWindow(&main);
    mainEdit->setFocus();
    EXPECT_EQ(activator.lastActivePopup(), nullptr);
    QApplication::setActiveWindow(&dialog);
    edit->setFocus();
    dialog.hide();
    EXPECT_EQ(activator.lastActivePopup(), nullptr);
}

} // namespace
} // namespace sorvant
