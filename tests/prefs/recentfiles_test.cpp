#include "shell/recentfiles.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace sorvant {
namespace {

const QString kA = QStringLiteral("/home/ann/logs/a.dat");
const QString kB = QStringLiteral("/home/ann/logs/b.dat");

// The File menu's recent part as the main window builds it: a separator and
// five items, all hidden and without captions, over a list read from the
// settings (five entries, empty when never filled).
struct FileMenuFixture : ::testing::Test {
    QMenu menu;
    QAction *separator = nullptr;
    QList<QAction *> items;
    QStringList recentFiles{QString(), QString(), QString(), QString(), QString()};
    std::vector<QString> opened;
    std::unique_ptr<RecentFilesMenu> recent;

    FileMenuFixture()
    {
        menu.addAction(QStringLiteral("&Open"));
        separator = menu.addSeparator();
        separator->setVisible(false);
        for (int k = 0; k < kRecentFileCount; ++k) {
            QAction *item = menu.addAction(QString());
            item->setVisible(false);
            items.append(item);
        }
        menu.addSeparator();
        menu.addAction(QStringLiteral("E&xit"));
        recent = std::make_unique<RecentFilesMenu>(&menu, recentFiles, separator, items,
                                                   [this](const QString &path) { opened.push_back(path); });
    }

    void openFileMenu() { emit menu.aboutToShow(); }
    int visibleItems() const
    {
        int n = 0;
        for (QAction *item : items)
            n += item->isVisible() ? 1 : 0;
        return n;
    }
};

TEST(RecentFilesInsert, NewestOnTopSixthDropsRepeatsKept)
{
    QStringList list{QString(), QString(), QString(), QString(), QString()};
    insertRecentFile(list, kA);
    EXPECT_EQ(list, (QStringList{kA, QString(), QString(), QString(), QString()}));
    insertRecentFile(list, kA);
    EXPECT_EQ(list, (QStringList{kA, kA, QString(), QString(), QString()}));

    QStringList six;
    for (int i = 1; i <= 6; ++i)
        insertRecentFile(six, QStringLiteral("/logs/f%1.dat").arg(i));
    EXPECT_EQ(six, (QStringList{QStringLiteral("/logs/f6.dat"), QStringLiteral("/logs/f5.dat"),
                                QStringLiteral("/logs/f4.dat"), QStringLiteral("/logs/f3.dat"),
                                QStringLiteral("/logs/f2.dat")}));
}

TEST(RecentFilesCaption, NumberIsTheAccessKeyAndAmpersandsShowAsTyped)
{
    EXPECT_EQ(recentFileCaption(0, kA), QStringLiteral("&1 /home/ann/logs/a.dat"));
    EXPECT_EQ(recentFileCaption(4, kB), QStringLiteral("&5 /home/ann/logs/b.dat"));
    // An "&" left single would vanish and underline the next letter.
    EXPECT_EQ(recentFileCaption(1, QStringLiteral("/logs/R&D/x.dat")), QStringLiteral("&2 /logs/R&&D/x.dat"));
}

TEST_F(FileMenuFixture, FirstRunShowsNoItemAndNoSeparator)
{
    openFileMenu();
    EXPECT_FALSE(separator->isVisible());
    EXPECT_EQ(visibleItems(), 0);
}

TEST_F(FileMenuFixture, OneFileShowsSeparatorAndFirstItemOnly)
{
    insertRecentFile(recentFiles, kA);
    openFileMenu();
    EXPECT_TRUE(separator->isVisible());
    EXPECT_TRUE(items[0]->isVisible());
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 ") + kA);
    EXPECT_EQ(visibleItems(), 1);
}

TEST_F(FileMenuFixture, SameFileTwiceGivesTwoItems)
{
    insertRecentFile(recentFiles, kA);
    openFileMenu();
    insertRecentFile(recentFiles, kA);
    openFileMenu();
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 ") + kA);
    EXPECT_EQ(items[1]->text(), QStringLiteral("&2 ") + kA);
    EXPECT_EQ(visibleItems(), 2);
}

TEST_F(FileMenuFixture, SixFilesDropTheFirstAndShowTheNewestFirst)
{
    for (int i = 1; i <= 6; ++i) {
        insertRecentFile(recentFiles, QStringLiteral("/logs/f%1.dat").arg(i));
        openFileMenu();
    }
    EXPECT_EQ(visibleItems(), 5);
    EXPECT_EQ(items[0]->text(), QStringLiteral("&1 /logs/f6.dat"));
    EXPECT_EQ(items[4]->text(), QStringLiteral("&5 /logs/f2.dat"));
    for (QAction *item : items)
        EXPECT_FALSE(item->text().contains(QStringLiteral("f1.dat")));
}

TEST_F(FileMenuFixture, ItemLoadsItsEntryWithoutMovingIt)
{
    for (int i = 1; i <= 4; ++i)
        insertRecentFile(recentFiles, QStringLiteral("/logs/f%1.dat").arg(i));
    const QStringList before = recentFiles;
    openFileMenu();
    items[2]->trigger();
    items[2]->trigger();
    EXPECT_EQ(opened, (std::vector<QString>{QStringLiteral("/logs/f2.dat"), QStringLiteral("/logs/f2.dat")}));
    EXPECT_EQ(recentFiles, before);
    openFileMenu();
    EXPECT_EQ(items[2]->text(), QStringLiteral("&3 /logs/f2.dat"));
}

TEST_F(FileMenuFixture, ShortListFromAFailedReadIsSafe)
{
    // A settings read that stopped early leaves fewer than five entries.
    recentFiles = QStringList{kA};
    openFileMenu();
    EXPECT_EQ(visibleItems(), 1);
    recent->MRUClick(3);
    recent->MRUClick(-1);
    recent->MRUClick(kRecentFileCount);
    EXPECT_TRUE(opened.empty());
    recent->MRUClick(0);
    EXPECT_EQ(opened, std::vector<QString>{kA});
}

} // namespace
} // namespace sorvant
