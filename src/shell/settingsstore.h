#pragma once

#include <QString>
#include <QStringList>

namespace sorvant {

// What Sorvant keeps between runs, under "\Software\Sorvant\Options".
struct StoredSettings {
    QString lastFolder;        // FilePath, with its trailing "/"
    int sampleInterval = 0;    // SampleInterval
    QStringList recentFiles;   // MRU1..MRU5, newest first
};

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
    // in `settings`, and the recent list is padded with empty entries to five.
    // `commandLinePathGiven`: FilePath is not read.
    void read(StoredSettings &settings, bool commandLinePathGiven);

    // Writes FilePath, SampleInterval and MRU1..MRU5. Throws UserError
    // ("Failed to set data for '%s'") at the first value that cannot be
    // written; a key that cannot be opened writes nothing, silently.
    void write(const StoredSettings &settings);

private:
    QString m_path;
};

} // namespace sorvant
