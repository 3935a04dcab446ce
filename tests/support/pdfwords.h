#pragma once

// Reads a PDF back with poppler-utils, a reader we did not write, so tests
// check what really landed on the page rather than what our painter meant.

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <vector>

namespace pdfwords {

struct Word {
    QString text;
    double xMin, yMin, xMax, yMax; // points, from the page's top-left corner
};

struct Page {
    double width = 0, height = 0; // points
    std::vector<Word> words;
    // The first word with exactly this text, or null.
    const Word *find(const QString &text) const
    {
        for (const Word &w : words) {
            if (w.text == text)
                return &w;
        }
        return nullptr;
    }
    int count(const QString &text) const
    {
        int n = 0;
        for (const Word &w : words)
            n += w.text == text ? 1 : 0;
        return n;
    }
};

inline bool available()
{
    return !QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty();
}

inline QString unescape(QString s)
{
    s.replace(QStringLiteral("&lt;"), QStringLiteral("<"));
    s.replace(QStringLiteral("&gt;"), QStringLiteral(">"));
    s.replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    s.replace(QStringLiteral("&#39;"), QStringLiteral("'"));
    s.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
    return s;
}

// Every page of `pdfPath` (or pages first..last, 1-based) with its words.
inline std::vector<Page> read(const QString &pdfPath, int first = 0, int last = 0)
{
    QStringList args{QStringLiteral("-bbox")};
    if (first > 0)
        args << QStringLiteral("-f") << QString::number(first);
    if (last > 0)
        args << QStringLiteral("-l") << QString::number(last);
    args << pdfPath << QStringLiteral("-");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), args);
    std::vector<Page> pages;
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return pages;
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    static const QRegularExpression pageRe(QStringLiteral("<page width=\"([0-9.]+)\" height=\"([0-9.]+)\">"));
    static const QRegularExpression wordRe(QStringLiteral(
        "<word xMin=\"([0-9.-]+)\" yMin=\"([0-9.-]+)\" xMax=\"([0-9.-]+)\" yMax=\"([0-9.-]+)\">([^<]*)</word>"));
    const QStringList chunks = html.split(QStringLiteral("</page>"));
    for (const QString &chunk : chunks) {
        const auto pm = pageRe.match(chunk);
        if (!pm.hasMatch())
            continue;
        Page page;
        page.width = pm.captured(1).toDouble();
        page.height = pm.captured(2).toDouble();
        auto it = wordRe.globalMatch(chunk);
        while (it.hasNext()) {
            const auto m = it.next();
            page.words.push_back({unescape(m.captured(5)), m.captured(1).toDouble(), m.captured(2).toDouble(),
                                  m.captured(3).toDouble(), m.captured(4).toDouble()});
        }
        pages.push_back(std::move(page));
    }
    return pages;
}

// Points to tenths of a millimetre.
inline double tenthsMm(double points)
{
    return points * 254.0 / 72.0;
}

} // namespace pdfwords
