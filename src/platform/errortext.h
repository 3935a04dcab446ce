#pragma once

#include <QString>

namespace sorvant {

// The caption of the error display for errors a command did not handle.
inline QString applicationTitle() { return QStringLiteral("DryerDataSorvant"); }

// An error's text as the error display shows it: a full stop is added when
// the last character sorts after ".".
inline QString errorDisplayText(const QString &text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

} // namespace sorvant
