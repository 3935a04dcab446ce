#include "shell/aboutbox.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QTest>

#include <gtest/gtest.h>

namespace sorvant {
namespace {

TEST(AboutBox, TextsFontsColoursAndPositions)
{
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QStringLiteral("About Sorvant"));
    EXPECT_EQ(box.size(), QSize(298, 251));
    EXPECT_FALSE(box.isVisible());
    const Qt::WindowFlags flags = box.windowFlags();
    EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
    EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    const QColor windowText = box.palette().color(QPalette::WindowText);
    const struct {
        const char *name;
        const char *text; // null: ours to write, only required to be there
        QPoint position;
        const char *family;
        int pixelSize;
        bool bold;
        QColor colour;
    } labels[] = {
        {"ProductName", "Dryer Data Sorvant", {81, 27}, "MS Sans Serif", 16, true, QColor(0, 128, 128)},
        {"Label1", "Version", {100, 53}, "Arial", 11, false, windowText},
        {"Version", "1.2", {141, 53}, "Arial", 11, false, windowText},
        {"Label7", "Build 163", {169, 53}, "Arial", 11, false, windowText},
        {"Description", "Data analyzer for Veskor and Pramil+ Dryers", {18, 75}, "Nimrod", 12, true,
         QColor(128, 0, 0)},
        {"Copyright", nullptr, {56, 111}, "Arial", 12, false, QColor(0, 0, 128)},
        {"Comments", nullptr, {96, 127}, "Arial", 12, false, QColor(0, 0, 128)},
        {"Label4", "Programming by ", {93, 142}, "Book Antiqua", 11, false, QColor(128, 0, 128)},
        {"Label5", nullptr, {92, 159}, "Arial", 15, true, windowText},
    };
    for (const auto &l : labels) {
        auto *label = box.findChild<QLabel *>(QString::fromLatin1(l.name));
        ASSERT_NE(label, nullptr) << l.name;
        if (l.text)
            EXPECT_EQ(label->text(), QString::fromLatin1(l.text)) << l.name;
        else
            EXPECT_FALSE(label->text().trimmed().isEmpty()) << l.name;
        EXPECT_EQ(label->pos(), l.position) << l.name;
        EXPECT_EQ(label->font().family(), QString::fromLatin1(l.family)) << l.name;
        EXPECT_EQ(label->font().pixelSize(), l.pixelSize) << l.name;
        EXPECT_EQ(label->font().bold(), l.bold) << l.name;
        EXPECT_EQ(label->palette().color(label->foregroundRole()), l.colour) << l.name;
        EXPECT_EQ(label->parentWidget()->objectName(), QStringLiteral("Panel1")) << l.name;
        // Whole inside the panel's 5-pixel border and bevels: nothing clipped.
        EXPECT_LE(label->geometry().right(), 281 - 7) << l.name << " is " << label->width() << " wide";
    }

    auto *picture = box.findChild<QLabel *>(QStringLiteral("ProgramIcon"));
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->geometry(), QRect(33, 23, 41, 41));
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(box.okButton()->geometry(), QRect(111, 213, 75, 24));
    EXPECT_TRUE(box.okButton()->isDefault());
}

TEST(AboutBox, IconShipsAtEveryDesktopSize)
{
    const QIcon icon = sorvantIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage image = icon.pixmap(QSize(size, size)).toImage();
        EXPECT_EQ(image.size(), QSize(size, size)) << size;
        // A real picture: opaque in the middle, not one flat colour.
        const QColor centre = image.pixelColor(size / 2, size / 2);
        EXPECT_EQ(centre.alpha(), 255) << size;
        EXPECT_NE(image.pixelColor(size / 2, size / 2), image.pixelColor(size / 2, size * 7 / 8)) << size;
    }
    EXPECT_FALSE(TAboutBox().windowIcon().isNull());
}

TEST(AboutBox, TwoAboutCommandsGiveOneBoxAndTheMainWindowStaysUsable)
{
    QMainWindow main;
    int clicks = 0;
    auto *button = new QPushButton(QStringLiteral("Switch view"), &main);
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });
    main.setCentralWidget(button);
    main.show();

    TAboutBox box;
    box.showAbout();
    box.showAbout();
    int shown = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        shown += (qobject_cast<TAboutBox *>(w) && w->isVisible()) ? 1 : 0;
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(box.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    // No parent window: it does not stay above the main window.
    EXPECT_EQ(box.parentWidget(), nullptr);

    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(box.isVisible());

    QTest::mouseClick(box.okButton(), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    box.showAbout();
    EXPECT_TRUE(box.isVisible());
    box.close(); // the close box hides it; it lives on for the next command
    EXPECT_FALSE(box.isVisible());
    box.showAbout();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
    QTest::keyClick(&box, Qt::Key_Return);
    EXPECT_FALSE(box.isVisible());
}

TEST(AboutBox, ClosingTheMainWindowEndsTheProgramWhileTheBoxIsOpen)
{
    QMainWindow main;
    main.show();
    TAboutBox box;
    box.showAbout();
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, &main, [&main] { main.close(); });
    // Ends at once when closing the main window ends the program; the
    // timer is only there so that a failure cannot keep the test waiting.
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(lastClosed.count(), 1);
}

} // namespace
} // namespace sorvant
