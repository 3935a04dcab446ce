#include "settingsstore.h"

#include "platform/registryfile.h"
#include "platform/usererror.h"

namespace sorvant {

namespace {

const QString &optionsKey()
{
    static const QString key = QStringLiteral("\\Software\\Sorvant\\Options");
    return key;
}

QString recentName(int index) { return QStringLiteral("MRU%1").arg(index + 1); }

constexpr int kRecentCount = 5;
constexpr qint32 kDefaultSampleInterval = 25;

} // namespace

SettingsStore::SettingsStore(const QString &filePath)
    : m_path(filePath.isEmpty() ? RegistryKey::defaultFilePath() : filePath)
{
}

void SettingsStore::read(StoredSettings &settings, bool commandLinePathGiven)
{
    settings.recentFiles.clear();
    // However the reading ends, the window gets a full recent list.
    struct PadRecent {
        QStringList &list;
        ~PadRecent()
        {
            while (list.size() < kRecentCount)
                list.append(QString());
        }
    } pad{settings.recentFiles};

    RegistryKey key(m_path);
    if (!key.openKey(optionsKey(), false)) {
        // First run: the defaults go in at once, before anything is read. A
        // key that cannot be created fails as its first write would.
        if (!key.openKey(optionsKey(), true))
            throw UserError(QStringLiteral("Failed to set data for 'FilePath'"));
        key.writeString(QStringLiteral("FilePath"), QString());
        key.writeInteger(QStringLiteral("SampleInterval"), kDefaultSampleInterval);
        for (int i = 0; i < kRecentCount; ++i)
            key.writeString(recentName(i), QString());
        key.closeKey();
        if (!key.openKey(optionsKey(), false))
            return;
    }
    if (!commandLinePathGiven)
        settings.lastFolder = key.readString(QStringLiteral("FilePath"));
    settings.sampleInterval = key.readInteger(QStringLiteral("SampleInterval"));
    for (int i = 0; i < kRecentCount; ++i)
        settings.recentFiles.append(key.readString(recentName(i)));
}

void SettingsStore::write(const StoredSettings &settings)
{
    RegistryKey key(m_path);
    if (!key.openKey(optionsKey(), true))
        return;
    key.writeString(QStringLiteral("FilePath"), settings.lastFolder);
    key.writeInteger(QStringLiteral("SampleInterval"), settings.sampleInterval);
    for (int i = 0; i < kRecentCount; ++i)
        key.writeString(recentName(i), i < settings.recentFiles.size() ? settings.recentFiles[i] : QString());
}

} // namespace sorvant
