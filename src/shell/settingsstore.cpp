#include "settingsstore.h"

#include "platform/registryfile.h"
#include "platform/usererror.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace sorvant {

const QString &optionsKey()
{
    static const QString key = QStringLiteral("\\Software\\Sorvant\\Options");
    return key;
}

namespace {

QString recentName(int index) { return QStringLiteral("MRU%1").arg(index + 1); }

constexpr int kRecentCount = 5;

} // namespace

SettingsStore::SettingsStore(const QString &filePath)
    : m_path(filePath.isEmpty() ? RegistryKey::defaultFilePath() : filePath)
{
}

void SettingsStore::read(StoredSettings &settings, bool commandLinePathGiven)
{
    settings.recentFiles.clear();
    settings.sampleInterval = kDefaultSampleInterval;
    settings.lastFolderKnown = commandLinePathGiven;
    settings.recentKnown = 0;
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
        std::vector<std::pair<QString, RegistryValue>> defaults{
            {QStringLiteral("FilePath"), RegistryValue::string(QString())},
            {QStringLiteral("SampleInterval"), RegistryValue::dword(kDefaultSampleInterval)}};
        for (int i = 0; i < kRecentCount; ++i)
            defaults.emplace_back(recentName(i), RegistryValue::string(QString()));
        key.writeValues(defaults);
        key.closeKey();
        if (!key.openKey(optionsKey(), false))
            return;
    }
    if (!commandLinePathGiven) {
        settings.lastFolder = key.readString(QStringLiteral("FilePath"));
        settings.lastFolderKnown = true;
    }
    settings.sampleInterval = key.readInteger(QStringLiteral("SampleInterval"));
    for (int i = 0; i < kRecentCount; ++i) {
        settings.recentFiles.append(key.readString(recentName(i)));
        settings.recentKnown = i + 1;
    }
}

void SettingsStore::write(const StoredSettings &settings)
{
    RegistryKey key(m_path);
    if (!key.openKey(optionsKey(), true))
        return;
    // One save for all seven in the usual case; see writeValues for a failure.
    std::vector<std::pair<QString, RegistryValue>> values;
    if (settings.lastFolderKnown || !settings.lastFolder.isEmpty())
        values.emplace_back(QStringLiteral("FilePath"), RegistryValue::string(settings.lastFolder));
    values.emplace_back(QStringLiteral("SampleInterval"), RegistryValue::dword(settings.sampleInterval));
    for (int i = 0; i < std::min(settings.recentKnown, kRecentCount); ++i)
        values.emplace_back(recentName(i), RegistryValue::string(settings.recentFiles.value(i)));
    key.writeValues(values);
}

} // namespace sorvant
