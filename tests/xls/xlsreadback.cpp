#include "xlsreadback.h"

#include <QProcess>

namespace xlsreadback {

namespace {

QString unescape(QStringView s)
{
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != QLatin1Char('\\') || i + 1 >= s.size()) {
            out += s[i];
            continue;
        }
        const QChar c = s[++i];
        out += c == QLatin1Char('t') ? QChar(u'\t') : c == QLatin1Char('n') ? QChar(u'\n')
             : c == QLatin1Char('r') ? QChar(u'\r') : c;
    }
    return out;
}

Cell parseCell(QStringView token)
{
    Cell cell;
    if (token.size() < 2 || token[1] != QLatin1Char(':')) {
        cell.type = '?';
        return cell;
    }
    cell.type = static_cast<char>(token[0].unicode());
    const QStringView rest = token.mid(2);
    if (cell.type == 's') {
        cell.text = unescape(rest);
    } else if (cell.type == 'n') {
        cell.number = rest.toDouble();
    } else if (cell.type == 'd') {
        const qsizetype colon = rest.indexOf(QLatin1Char(':'));
        cell.number = rest.left(colon).toDouble();
        cell.format = unescape(rest.mid(colon + 1));
    }
    return cell;
}

} // namespace

QString pythonWithXlrd()
{
    static const QString found = [] {
        // Debian's python3-xlrd belongs to the system interpreter, which may
        // not be the first python3 on the PATH.
        for (const QString &candidate : {QStringLiteral("/usr/bin/python3"), QStringLiteral("python3")}) {
            QProcess p;
            p.start(candidate, {QStringLiteral("-c"), QStringLiteral("import xlrd")});
            if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0)
                return candidate;
        }
        return QString();
    }();
    return found;
}

Book read(const QString &path)
{
    Book book;
    const QString python = pythonWithXlrd();
    if (python.isEmpty()) {
        book.error = QStringLiteral("no python3 with xlrd (Debian package python3-xlrd)");
        return book;
    }
    QProcess p;
    p.start(python, {QStringLiteral(SORVANT_TEST_DATA_DIR "/readback.py"), path});
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        book.error = QStringLiteral("xlrd could not read %1: %2").arg(path, QString::fromUtf8(p.readAllStandardError()));
        return book;
    }
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.isEmpty())
            continue;
        const auto fields = line.split(QLatin1Char('\t'));
        if (fields[0] == QLatin1String("sheet") && fields.size() == 6) {
            Sheet s;
            s.name = unescape(fields[1]);
            s.rows = fields[2].toInt();
            s.cols = fields[3].toInt();
            s.dimRows = fields[4].toInt();
            s.dimCols = fields[5].toInt();
            book.sheets.push_back(std::move(s));
        } else if (fields[0] == QLatin1String("warning")) {
            book.warnings << unescape(line.mid(8));
        } else if (!book.sheets.empty()) {
            std::vector<Cell> row;
            row.reserve(static_cast<std::size_t>(fields.size()));
            for (QStringView f : fields)
                row.push_back(parseCell(f));
            book.sheets.back().cells.push_back(std::move(row));
        }
    }
    book.ok = true;
    return book;
}

QString rangeText(const Sheet &sheet)
{
    if (sheet.dimCols <= 0 || sheet.dimRows <= 0)
        return QString();
    QString column;
    for (int n = sheet.dimCols; n > 0; n = (n - 1) / 26)
        column.prepend(QChar(u'A' + (n - 1) % 26));
    return QStringLiteral("A1:%1%2").arg(column).arg(sheet.dimRows);
}

} // namespace xlsreadback

namespace xlsreadback {

QStringList readStream(const QString &path)
{
    const QString python = pythonWithXlrd();
    if (python.isEmpty())
        return {QStringLiteral("warning\tno python3 with xlrd (Debian package python3-xlrd)")};
    QProcess p;
    p.start(python, {QStringLiteral(SORVANT_TEST_DATA_DIR "/readback.py"), QStringLiteral("--stream"), path});
    if (!p.waitForFinished(300000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {QStringLiteral("warning\t") + QString::fromUtf8(p.readAllStandardError())};
    return QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace xlsreadback
