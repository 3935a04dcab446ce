#include "limits.h"

#include "celltext.h"

#include <QStringList>

#include <cmath>

namespace sorvant {

int quantityRawPerUnit(int series)
{
    return series == 0 || series == 1 ? 10 : 1;
}

double quantityValue(int series, int raw)
{
    return quantityRawPerUnit(series) == 10 ? raw * 0.1 : raw;
}

QString quantityValueText(int series, int raw, const CellTextFormat &format)
{
    if (quantityRawPerUnit(series) == 10)
        return celltext::tenthsText(static_cast<unsigned>(raw), format);
    return celltext::integerText(raw);
}

int seriesOfTitle(const QString &title)
{
    const QString wanted = title.trimmed();
    for (int s = 0; s < kSeriesCount; ++s) {
        if (seriesTitle(s).compare(wanted, Qt::CaseInsensitive) == 0)
            return s;
    }
    return -1;
}

bool Limits::anySet() const
{
    for (const QuantityLimit &l : quantity) {
        if (l.isSet())
            return true;
    }
    return false;
}

namespace {

bool parseBound(const QString &text, std::optional<double> &out)
{
    const QString t = text.trimmed();
    if (t.isEmpty()) {
        out.reset();
        return true;
    }
    QString c = t;
    c.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double v = c.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

QString boundText(double v)
{
    return QString::number(v, 'g', 15);
}

} // namespace

bool parseLimitText(const QString &text, QuantityLimit &out)
{
    const QString t = text.trimmed();
    QuantityLimit l;
    if (!t.isEmpty()) {
        const qsizetype colon = t.indexOf(QLatin1Char(':'));
        if (colon < 0 || t.indexOf(QLatin1Char(':'), colon + 1) >= 0)
            return false;
        if (!parseBound(t.left(colon), l.lowest) || !parseBound(t.mid(colon + 1), l.highest))
            return false;
        if (l.lowest && l.highest && *l.lowest > *l.highest)
            return false;
    }
    out = l;
    return true;
}

QString limitText(const QuantityLimit &limit)
{
    if (!limit.isSet())
        return {};
    return (limit.lowest ? boundText(*limit.lowest) : QString()) + QLatin1Char(':')
        + (limit.highest ? boundText(*limit.highest) : QString());
}

bool parseLimitOption(const QString &text, int &series, QuantityLimit &limit, QString &why)
{
    // The title holds no colon, the bounds one between them: split at the
    // last two.
    const qsizetype second = text.lastIndexOf(QLatin1Char(':'));
    const qsizetype first = second > 0 ? text.lastIndexOf(QLatin1Char(':'), second - 1) : -1;
    if (first < 0) {
        why = QStringLiteral("--limit \"%1\": give QUANTITY:LOWEST:HIGHEST, for example \"Moisture Out:14:16\"")
                  .arg(text);
        return false;
    }
    const QString title = text.left(first);
    series = seriesOfTitle(title);
    if (series < 0) {
        QStringList titles;
        for (int s = 0; s < kSeriesCount; ++s)
            titles << seriesTitle(s);
        why = QStringLiteral("--limit \"%1\": \"%2\" is none of %3").arg(text, title, titles.join(QStringLiteral(", ")));
        return false;
    }
    if (!parseLimitText(text.mid(first + 1), limit)) {
        why = QStringLiteral("--limit \"%1\": the lowest and highest values must be numbers, the lowest not above "
                             "the highest (either may be left empty)")
                  .arg(text);
        return false;
    }
    return true;
}

} // namespace sorvant
