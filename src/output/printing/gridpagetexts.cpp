// Header and footer texts of a grid printout: the time, date, page-number and
// title items and the markup a title may be typed in.

#include "gridpageplan.h"

#include <QLocale>

#include <algorithm>

namespace sorvant {

namespace {

// The separator the locale puts between hours and minutes.
QChar localeTimeSeparator()
{
    const QString format = QLocale().timeFormat(QLocale::ShortFormat);
    for (qsizetype i = 1; i < format.size(); ++i) {
        const QChar ch = format.at(i);
        if (!ch.isLetter() && !ch.isSpace() && ch != QLatin1Char('\''))
            return ch;
    }
    return QLatin1Char(':');
}

QChar localeDateSeparator()
{
    const QString format = QLocale().dateFormat(QLocale::ShortFormat);
    for (const QChar ch : format) {
        if (!ch.isLetter() && !ch.isSpace() && ch != QLatin1Char('\''))
            return ch;
    }
    return QLatin1Char('/');
}

QString twoDigits(int v)
{
    return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0'));
}

// How many times `ch` repeats from `i` on (case-insensitive).
int runLength(const QString &s, qsizetype i, QChar ch)
{
    int n = 0;
    while (i + n < s.size() && s.at(i + n).toLower() == ch)
        ++n;
    return n;
}

} // namespace

QString printTimeText(const QTime &time)
{
    return twoDigits(time.hour()) + localeTimeSeparator() + twoDigits(time.minute());
}

QString printDateText(const QDateTime &when, const QString &dateFormat)
{
    const QLocale locale;
    const QDate date = when.date();
    const QTime time = when.time();
    if (dateFormat.isEmpty())
        return locale.toString(date, QLocale::ShortFormat) + QLatin1Char(' ')
               + locale.toString(time, QLocale::LongFormat);

    // The pattern letters of the settings file: d, m, y, h, n (minutes), s;
    // "/" and ":" are the locale's separators; quoted text is copied.
    QString out;
    bool afterHour = false; // "m" right after an hour means minutes
    for (qsizetype i = 0; i < dateFormat.size();) {
        const QChar ch = dateFormat.at(i);
        const QChar lower = ch.toLower();
        if (ch == QLatin1Char('"') || ch == QLatin1Char('\'')) {
            const qsizetype end = dateFormat.indexOf(ch, i + 1);
            const qsizetype stop = end < 0 ? dateFormat.size() : end;
            out += dateFormat.mid(i + 1, stop - i - 1);
            i = stop + 1;
            continue;
        }
        if (ch == QLatin1Char('/')) {
            out += localeDateSeparator();
            ++i;
            continue;
        }
        if (ch == QLatin1Char(':')) {
            out += localeTimeSeparator();
            ++i;
            continue;
        }
        const int n = runLength(dateFormat, i, lower);
        if (lower == QLatin1Char('d')) {
            if (n == 1)
                out += QString::number(date.day());
            else if (n == 2)
                out += twoDigits(date.day());
            else if (n == 3)
                out += locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
            else
                out += locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
            afterHour = false;
        } else if (lower == QLatin1Char('m')) {
            if (afterHour && n <= 2)
                out += n == 1 ? QString::number(time.minute()) : twoDigits(time.minute());
            else if (n == 1)
                out += QString::number(date.month());
            else if (n == 2)
                out += twoDigits(date.month());
            else if (n == 3)
                out += locale.monthName(date.month(), QLocale::ShortFormat);
            else
                out += locale.monthName(date.month(), QLocale::LongFormat);
            afterHour = false;
        } else if (lower == QLatin1Char('y')) {
            out += n <= 2 ? twoDigits(date.year() % 100) : QString::number(date.year());
            afterHour = false;
        } else if (lower == QLatin1Char('h')) {
            out += n == 1 ? QString::number(time.hour()) : twoDigits(time.hour());
            afterHour = true;
        } else if (lower == QLatin1Char('n')) {
            out += n == 1 ? QString::number(time.minute()) : twoDigits(time.minute());
            afterHour = false;
        } else if (lower == QLatin1Char('s')) {
            out += n == 1 ? QString::number(time.second()) : twoDigits(time.second());
            afterHour = false;
        } else {
            out += dateFormat.mid(i, n > 0 ? n : 1);
            i += n > 0 ? n : 1;
            continue;
        }
        i += n;
    }
    return out;
}

bool isPrintMarkup(const QString &text)
{
    return text.contains(QLatin1String("</")) || text.contains(QLatin1String("<B"), Qt::CaseInsensitive)
           || text.contains(QLatin1String("<I"), Qt::CaseInsensitive);
}

std::vector<PrintTextRun> printTextRuns(const QString &text)
{
    if (!isPrintMarkup(text))
        return {PrintTextRun{text, 0}};

    std::vector<PrintTextRun> runs;
    int style = 0;
    QString current;
    const auto flush = [&] {
        if (!current.isEmpty())
            runs.push_back(PrintTextRun{current, style});
        current.clear();
    };
    static const struct {
        const char *name;
        QChar ch;
    } entities[] = {{"amp;", QLatin1Char('&')}, {"lt;", QLatin1Char('<')}, {"gt;", QLatin1Char('>')},
                    {"quot;", QLatin1Char('"')}, {"nbsp;", QLatin1Char(' ')}};
    for (qsizetype i = 0; i < text.size();) {
        const QChar ch = text.at(i);
        if (ch == QLatin1Char('<')) {
            const qsizetype end = text.indexOf(QLatin1Char('>'), i + 1);
            if (end < 0) { // no closing bracket: the rest is plain text
                current += text.mid(i);
                break;
            }
            QString tag = text.mid(i + 1, end - i - 1).trimmed().toUpper();
            const bool closing = tag.startsWith(QLatin1Char('/'));
            if (closing)
                tag = tag.mid(1).trimmed();
            int bit = 0;
            if (tag == QLatin1String("B"))
                bit = 1;
            else if (tag == QLatin1String("I"))
                bit = 2;
            else if (tag == QLatin1String("U"))
                bit = 4;
            if (bit != 0) {
                flush();
                style = closing ? (style & ~bit) : (style | bit);
            }
            i = end + 1;
            continue;
        }
        if (ch == QLatin1Char('&')) {
            bool decoded = false;
            for (const auto &e : entities) {
                const QLatin1String name(e.name);
                if (QStringView(text).mid(i + 1).startsWith(name, Qt::CaseInsensitive)) {
                    current += e.ch;
                    i += 1 + name.size();
                    decoded = true;
                    break;
                }
            }
            if (decoded)
                continue;
        }
        current += ch;
        ++i;
    }
    flush();
    return runs;
}

QString PrintSlotLine::text() const
{
    QString s;
    for (const PrintTextRun &r : runs)
        s += r.text;
    return s;
}

PrintPageTexts GridPagePlan::pageTexts(int index, const QDateTime &now, PrintTextMeasurer &measurer) const
{
    const PrintSettings &s = m_settings;
    PrintPageTexts out;
    std::array<std::vector<PrintTextRun>, SlotCount> slotRuns;
    const auto slotOf = [](TPrintPosition p) { return static_cast<int>(p) - 1; };
    const auto add = [&](TPrintPosition position, std::vector<PrintTextRun> item) {
        if (position < ppTopLeft || position > ppBottomCenter)
            return;
        const int slot = slotOf(position);
        std::vector<PrintTextRun> &runs = slotRuns[static_cast<std::size_t>(slot)];
        const PrintTextRun blank{QStringLiteral(" "), 0};
        // Left slots take an item in front, the others behind; the blank
        // stays even when the other part is empty.
        if (slot == SlotTopLeft || slot == SlotBottomLeft) {
            item.push_back(blank);
            item.insert(item.end(), runs.begin(), runs.end());
            runs = std::move(item);
        } else {
            runs.push_back(blank);
            runs.insert(runs.end(), item.begin(), item.end());
        }
    };

    add(s.Time, {PrintTextRun{printTimeText(now.time()), 0}});
    add(s.Date, {PrintTextRun{printDateText(now, s.DateFormat), 0}});
    if (s.PageNr != ppNone) {
        const int perBand = pagesPerBand();
        QString number;
        if (banded()) {
            number = QStringLiteral("%1-%2").arg(index % perBand + 1).arg(index / perBand + 1);
        } else if (!s.PageNumSep.isEmpty() && pageCount() > 1) {
            number = QString::number(index + 1LL + s.PageNumberOffset) + s.PageNumSep
                     + QString::number(static_cast<long long>(pageCount()) + s.MaxPagesOffset);
        } else {
            number = QString::number(index + 1LL + s.PageNumberOffset);
        }
        add(s.PageNr, {PrintTextRun{s.PagePrefix + QLatin1Char(' ') + number + QLatin1Char(' ') + s.PageSuffix, 0}});
    }
    const bool titleFromLines = s.TitleText.isEmpty();
    const QString title = !titleFromLines ? s.TitleText : (s.TitleLines.isEmpty() ? QString() : s.TitleLines.first());
    if (!title.isEmpty())
        add(s.Title, printTextRuns(title));

    const auto place = [&](int slot, std::vector<PrintTextRun> runs, int y) {
        const bool top = slot <= SlotTopCenter;
        const TPrintFont &font = top ? s.HeaderFont : s.FooterFont;
        PrintSlotLine line;
        line.slot = slot;
        long long width = 0;
        for (const PrintTextRun &run : runs) {
            TPrintFont styled = font;
            styled.setStyleBits(font.styleBits() | run.styleBits);
            width += std::clamp(measurer.textWidth(styled, m_k, run.text), 0, kMaxPlanLength);
        }
        line.width = boundedPlanLength(width);
        line.runs = std::move(runs);
        line.y = y;
        if (slot == SlotTopLeft || slot == SlotBottomLeft)
            line.x = s.LeftSize;
        else if (slot == SlotTopRight || slot == SlotBottomRight)
            line.x = m_W - line.width - s.RightSize - 20;
        else
            line.x = (m_W - line.width) / 2;
        out.lines.push_back(std::move(line));
    };
    const int topY = s.HeaderSize;
    const int bottomY = m_H - s.FooterSize - m_g - m_hF;
    // A title of several lines puts its further lines under its slot line.
    // Both reserves grow upwards from the rows by those lines, so a top title
    // starts on the header line and a bottom one starts higher, ending on the
    // footer line: hung below the footer line they would run into the bottom
    // margin and off the page while the space kept for them stayed empty.
    const bool furtherTitleLines =
        titleFromLines && s.TitleLines.size() > 1 && s.Title >= ppTopLeft && s.Title <= ppBottomCenter;
    const int titleSlot = furtherTitleLines ? slotOf(s.Title) : -1;
    const bool titleOnTop = titleSlot <= SlotTopCenter;
    const int titleStep = furtherTitleLines
        ? std::clamp(measurer.lineHeight(titleOnTop ? s.HeaderFont : s.FooterFont, m_k), 0, kMaxPlanLength)
        : 0;
    const int titleY = titleOnTop ? topY : boundedPlanLength(bottomY - (s.TitleLines.size() - 1LL) * titleStep);
    for (int slot = 0; slot < SlotCount; ++slot) {
        auto &runs = slotRuns[static_cast<std::size_t>(slot)];
        for (const PrintTextRun &r : runs)
            out.slotTexts[static_cast<std::size_t>(slot)] += r.text;
        if (!runs.empty())
            place(slot, std::move(runs), slot == titleSlot ? titleY : slot <= SlotTopCenter ? topY : bottomY);
    }
    if (furtherTitleLines) {
        // Lines wholly above or below the page would print nothing.
        long long y = titleY;
        for (qsizetype i = 1; i < s.TitleLines.size() && y + titleStep < m_H; ++i) {
            y += titleStep;
            if (y + titleStep > 0)
                place(titleSlot, printTextRuns(s.TitleLines.at(i)), static_cast<int>(y));
        }
    }
    return out;
}

} // namespace sorvant
