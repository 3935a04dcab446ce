#pragma once

// The lines of a page read back with pdftotext: words whose tops stand
// within half a point of each other, left to right, joined by one space.

#include "pdfwords.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace reportlines {

inline QStringList lines(const pdfwords::Page &page)
{
    std::vector<pdfwords::Word> words = page.words;
    std::stable_sort(words.begin(), words.end(), [](const pdfwords::Word &a, const pdfwords::Word &b) {
        return a.yMin < b.yMin;
    });
    QStringList out;
    std::size_t i = 0;
    while (i < words.size()) {
        std::size_t end = i + 1;
        while (end < words.size() && std::abs(words[end].yMin - words[i].yMin) < 0.5)
            ++end;
        std::vector<pdfwords::Word> line(words.begin() + long(i), words.begin() + long(end));
        std::sort(line.begin(), line.end(), [](const pdfwords::Word &a, const pdfwords::Word &b) {
            return a.xMin < b.xMin;
        });
        QStringList texts;
        for (const pdfwords::Word &w : line)
            texts << w.text;
        out << texts.join(QLatin1Char(' '));
        i = end;
    }
    return out;
}

} // namespace reportlines
