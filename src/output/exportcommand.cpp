#include "exportcommand.h"

#include "csvwriter.h"
#include "platform/busypointer.h"
#include "platform/filenames.h"
#include "platform/usererror.h"
#include "xlswriter.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sorvant {

namespace {

// Names reach the system as their own bytes (see filenames.h), so a folder
// or file whose name is not UTF-8 works too.
bool isExistingNonFolder(const QString &path)
{
    struct stat st {};
    return ::stat(encodeFileName(path).constData(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// Renames without replacing an existing `to`, as QFile::rename does.
bool renameKeepingExisting(const QString &from, const QString &to)
{
    const QByteArray source = encodeFileName(from), target = encodeFileName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without that flag: a new link fails when `to` exists.
    if (::link(source.constData(), target.constData()) != 0)
        return false;
    ::unlink(source.constData());
    return true;
}

} // namespace

ExportNames exportNamesFor(const QString &chosenPath, bool csv)
{
    const QFileInfo info(chosenPath);
    ExportNames names;
    names.folder = info.absolutePath();
    const QString name = info.fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    names.base = dot < 0 ? name : name.left(dot);
    names.backup = names.base + QStringLiteral(".BAK");
    names.output = names.base + (csv ? QStringLiteral(".csv") : QStringLiteral(".xls"));
    return names;
}

ExportCommand::ExportCommand(DialogHost &dialogs, const DataGridStore &grid)
    : m_dialogs(dialogs), m_grid(grid)
{
}

QString ExportCommand::dialogTitle()
{
    return QStringLiteral("Save the Data Log file to a spreadsheet file");
}

QString ExportCommand::dialogFilter()
{
    // The file dialog matches patterns without regard to case, so *.csv also
    // offers day1.CSV.
    return QStringLiteral("Comma Delimited (*.csv);;MS Excel (*.xls)");
}

void ExportCommand::ExportToExcelClick(QWidget *parent, QChar decimalSeparator)
{
    FileDialogRequest request;
    request.title = dialogTitle();
    request.filter = dialogFilter();
    request.fileName = m_fileName;
    request.filterIndex = m_fileType;
    const FileDialogAnswer answer = m_dialogs.saveFile(parent, request);
    if (!answer.accepted)
        return;
    m_fileType = answer.filterIndex;

    const bool csv = m_fileType == kCsvType;
    const ExportNames names = exportNamesFor(answer.path, csv);
    // Output and backup are named relative to the chosen folder, which becomes
    // the current one as after any file dialog. A folder that does not exist
    // (typed, or gone since), or a folder named without a file, can take no
    // file: say so with the whole path the user gave, rather than write
    // somewhere else or name a bare ".csv".
    if (QFileInfo(answer.path).fileName().isEmpty() || !setCurrentFolder(names.folder))
        throw UserError(QStringLiteral("Cannot Create file ") + answer.path);

    // Keep the file the user chose. A rename that fails (the backup exists
    // already, the file cannot be moved) leaves it as it is, unreported.
    if (isExistingNonFolder(answer.path))
        renameKeepingExisting(answer.path, QDir(names.folder).filePath(names.backup));

    m_fileName = names.base;
    const BusyPointer busy;
    if (csv)
        SaveToCSV(m_grid, names.output);
    else
        SaveToXLS(m_grid, QDir(names.folder).filePath(names.output), decimalSeparator);
}

} // namespace sorvant
