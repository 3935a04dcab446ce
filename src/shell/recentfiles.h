#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;

namespace sorvant {

// The File menu holds this many recent files (MRU1..MRU5).
constexpr int kRecentFileCount = 5;

// The Open command's part: the chosen path goes on top and the sixth entry
// drops. Entries may repeat; nothing else ever reorders the list.
void insertRecentFile(QStringList &recentFiles, const QString &path);

// "&1 /home/ann/logs/dryer3.dat": the number is the item's access key. An
// "&" inside the path is doubled so the path shows as it is.
QString recentFileCaption(int position, const QString &path);

// Shows the item of every non-empty entry, with its caption, and the
// separator once any entry is shown. Items are only ever shown, never hidden:
// an entry never becomes empty again once filled.
void refreshRecentFileItems(const QStringList &recentFiles, QAction *separator, const QList<QAction *> &items);

// The entry behind item `position` (0 for MRU1); empty when the list is
// shorter (after a settings read that stopped early) or the entry is empty.
QString recentFileAt(const QStringList &recentFiles, int position);

// Connects the File menu's recent items to the list: the menu refreshes them
// each time it opens (File1Click) and a click on item k hands entry k to
// `open` (MRUClick), which loads it like any path and leaves the list and the
// remembered folder alone. A missing file fails in the load and stays listed.
class RecentFilesMenu : public QObject
{
    Q_OBJECT
public:
    using OpenFunction = std::function<void(const QString &path)>;

    // `recentFiles` is the main window's list and must outlive this object.
    RecentFilesMenu(QMenu *fileMenu, QStringList &recentFiles, QAction *separator, QList<QAction *> items,
                    OpenFunction open, QObject *parent = nullptr);

public slots:
    void File1Click();
    void MRUClick(int position);

private:
    QStringList &m_recentFiles;
    QAction *m_separator;
    QList<QAction *> m_items;
    OpenFunction m_open;
};

} // namespace sorvant
