#pragma once

// --help and --version, answered alike by every Sorvant program. The manual
// pages are made from these answers when the programs are built, so the
// help text is the one place an option is documented.

#include <QString>
#include <QStringList>

#include <cstdio>
#include <optional>

namespace sorvant {

// "PROGRAM VERSION" and a line break: the first line is what help2man reads
// the program's name and version from.
QString versionText(const QString &program);

// When `args` (without the program's name) ask for --help (or -h) or
// --version, the text to print on standard output; the first of them counts.
std::optional<QString> helpOrVersionAnswer(const QStringList &args, const QString &program, const QString &helpText);

// Writes `text` to `stream` with the bytes of any file name in it as they
// were given (see filenames.h), ending with a line break.
void printText(std::FILE *stream, const QString &text);

} // namespace sorvant
