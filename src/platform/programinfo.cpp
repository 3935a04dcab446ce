#include "programinfo.h"

#include "filenames.h"

namespace sorvant {

QString versionText(const QString &program)
{
    return program + QStringLiteral(" " SORVANT_VERSION "\n");
}

std::optional<QString> helpOrVersionAnswer(const QStringList &args, const QString &program, const QString &helpText)
{
    for (const QString &a : args) {
        if (a == QLatin1String("--help") || a == QLatin1String("-h"))
            return helpText;
        if (a == QLatin1String("--version"))
            return versionText(program);
    }
    return std::nullopt;
}

void printText(std::FILE *stream, const QString &text)
{
    const QByteArray bytes = encodeFileName(text);
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stream);
    if (!text.endsWith(QLatin1Char('\n')))
        std::fputc('\n', stream);
    std::fflush(stream);
}

} // namespace sorvant
