#include "recentfiles.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

namespace sorvant {

void insertRecentFile(QStringList &recentFiles, const QString &path)
{
    recentFiles.prepend(path);
    while (recentFiles.size() > kRecentFileCount)
        recentFiles.removeLast();
}

QString recentFileCaption(int position, const QString &path)
{
    QString shown = path;
    shown.replace(QLatin1Char('&'), QLatin1String("&&"));
    return QStringLiteral("&%1 %2").arg(position + 1).arg(shown);
}

void refreshRecentFileItems(const QStringList &recentFiles, QAction *separator, const QList<QAction *> &items)
{
    const qsizetype shown = std::min<qsizetype>(std::min<qsizetype>(recentFiles.size(), items.size()),
                                                kRecentFileCount);
    for (qsizetype k = 0; k < shown; ++k) {
        const QString &entry = recentFiles.at(k);
        if (entry.isEmpty())
            continue;
        if (separator)
            separator->setVisible(true);
        QAction *item = items.at(k);
        item->setVisible(true);
        item->setText(recentFileCaption(static_cast<int>(k), entry));
    }
}

QString recentFileAt(const QStringList &recentFiles, int position)
{
    if (position < 0 || position >= kRecentFileCount || position >= recentFiles.size())
        return {};
    return recentFiles.at(position);
}

RecentFilesMenu::RecentFilesMenu(QMenu *fileMenu, QStringList &recentFiles, QAction *separator,
                                 QList<QAction *> items, OpenFunction open, QObject *parent)
    : QObject(parent), m_recentFiles(recentFiles), m_separator(separator), m_items(std::move(items)),
      m_open(std::move(open))
{
    if (fileMenu)
        connect(fileMenu, &QMenu::aboutToShow, this, &RecentFilesMenu::File1Click);
    for (qsizetype k = 0; k < m_items.size(); ++k) {
        const int position = static_cast<int>(k);
        connect(m_items.at(k), &QAction::triggered, this, [this, position] { MRUClick(position); });
    }
}

void RecentFilesMenu::File1Click()
{
    refreshRecentFileItems(m_recentFiles, m_separator, m_items);
}

void RecentFilesMenu::MRUClick(int position)
{
    // Copied: the load may run a nested event loop for its message box.
    const QString path = recentFileAt(m_recentFiles, position);
    if (path.isEmpty() || !m_open)
        return;
    m_open(path);
}

} // namespace sorvant
