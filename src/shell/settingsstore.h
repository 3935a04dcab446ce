#pragma once

#include "logdata/columns.h"

#include <QString>
#include <QStringList>

namespace sorvant {

// What Sorvant keeps between runs, under "\Software\Sorvant\Options".
struct StoredSettings {
    QString lastFolder;        // FilePath, with its trailing "/"
    int sampleInterval = kDefaultSampleInterval; // SampleInterval; also when it could not be read
    QStringList recentFiles;   // MRU1..MRU5, newest first
    // How much of the above is known: read from the file, or set in this
    // run. A value that is not known is never written back, so a faulty
    // value that stopped the reading costs none of the values after it.
    bool lastFolderKnown = true;
    int recentKnown = 5;       // MRU1..MRU<recentKnown>
};

// The key every value of Sorvant's lies under, the additional ones too.
const QString &optionsKey(); // "\\Software\\Sorvant\\Options"

// Reads once at start and writes once at close, over the typed settings file
// ($XDG_CONFIG_HOME/Sorvant/Sorvant.reg unless a path is given).
class SettingsStore
{
public:
    explicit SettingsStore(const QString &filePath = QString());
    QString filePath() const { return m_path; }

    // Fills `settings` value by value. A first run writes the defaults first.
    // A faulty value stops the reading with UserError ("Failed to get data
    // for '%s'", "Invalid data type for '%s'"); what was read before it stays
    // in `settings`, a step not read is the default 25, the recent list is
    // padded with empty entries to five, and lastFolderKnown / recentKnown
    // tell what was read. `commandLinePathGiven`: FilePath is not read (the
    // caller's lastFolder stays, known).
    void read(StoredSettings &settings, bool commandLinePathGiven);

    // Writes FilePath (unless unknown and empty), SampleInterval and the known
    // entries of MRU1..MRU5; the others stay as the file holds them. Throws UserError
    // ("Failed to set data for '%s'") at the first value that cannot be
    // written; a key that cannot be opened writes nothing, silently.
    void write(const StoredSettings &settings);

private:
    QString m_path;
};

} // namespace sorvant
