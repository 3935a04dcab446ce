#include "limitsettings.h"

#include "settingsstore.h"

#include "platform/registryfile.h"
#include "platform/usererror.h"

#include <utility>
#include <vector>

namespace sorvant {

namespace {

std::optional<QRect> parseGeometry(const QString &text, bool &ok)
{
    ok = true;
    if (text.trimmed().isEmpty())
        return std::nullopt;
    const QStringList parts = text.split(QLatin1Char(','));
    int v[4] = {};
    ok = parts.size() == 4;
    for (int i = 0; ok && i < 4; ++i)
        v[i] = parts[i].trimmed().toInt(&ok);
    if (!ok || v[2] < 1 || v[3] < 1 || v[2] > 100000 || v[3] > 100000) {
        ok = false;
        return std::nullopt;
    }
    return QRect(v[0], v[1], v[2], v[3]);
}

QString geometryText(const QRect &r)
{
    return QStringLiteral("%1,%2,%3,%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

QString limitValueName(int series)
{
    QString name = seriesTitle(series);
    // "Grain Temp in Dryer" -> "GrainTempInDryerLimits"
    QString out;
    bool upper = true;
    for (const QChar ch : name) {
        if (ch == QLatin1Char(' ')) {
            upper = true;
            continue;
        }
        out += upper ? ch.toUpper() : ch;
        upper = false;
    }
    return out + QStringLiteral("Limits");
}

QString overviewGeometryValueName()
{
    return QStringLiteral("OverviewWindow");
}

OverviewSettings readOverviewSettings(const QString &settingsPath, QStringList &errors)
{
    OverviewSettings settings;
    RegistryKey key(settingsPath);
    if (!key.openKey(optionsKey(), false)) {
        // No settings yet: nothing stored, so nothing can be lost.
        settings.limitKnown.fill(true);
        return settings;
    }
    const auto readText = [&](const QString &name, QString &text) {
        try {
            text = key.readString(name);
            return true;
        } catch (const UserError &e) {
            errors << e.text();
            return false;
        }
    };
    for (int s = 0; s < kSeriesCount; ++s) {
        const QString name = limitValueName(s);
        QString text;
        if (!readText(name, text))
            continue;
        if (!parseLimitText(text, settings.limits[s])) {
            errors << QStringLiteral("Invalid data for '%1': \"%2\"").arg(name, text);
            continue;
        }
        settings.limitKnown[static_cast<std::size_t>(s)] = true;
    }
    QString text;
    if (readText(overviewGeometryValueName(), text)) {
        bool ok = true;
        settings.overviewGeometry = parseGeometry(text, ok);
        if (!ok)
            errors << QStringLiteral("Invalid data for '%1': \"%2\"").arg(overviewGeometryValueName(), text);
    }
    return settings;
}

void writeOverviewSettings(const QString &settingsPath, const OverviewSettings &before, const OverviewSettings &now)
{
    std::vector<std::pair<QString, RegistryValue>> values;
    for (int s = 0; s < kSeriesCount; ++s) {
        // Only a change is written: a stored value that could not be read
        // stays as it is until the user sets that quantity's limits.
        if (now.limits[s] != before.limits[s])
            values.emplace_back(limitValueName(s), RegistryValue::string(limitText(now.limits[s])));
    }
    if (now.overviewGeometry && now.overviewGeometry != before.overviewGeometry)
        values.emplace_back(overviewGeometryValueName(), RegistryValue::string(geometryText(*now.overviewGeometry)));
    if (values.empty())
        return;
    RegistryKey key(settingsPath);
    if (!key.openKey(optionsKey(), true))
        return;
    key.writeValues(values);
}

} // namespace sorvant
