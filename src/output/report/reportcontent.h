#pragma once

#include "logdata/logstatistics.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

namespace sorvant {

class LogDays;

// What the drying report says besides the log's figures.
struct ReportInput {
    QString title;    // the farm, the dryer: typed by the user, may be empty
    QString fileName; // the log's file name, without its folder
    QDate made;       // the day the report was made
    QLocale locale;   // date format and decimal separator
};

// The input of a report on the log at `logPath`, made today in the system's
// regional settings unless told otherwise.
ReportInput reportInput(const QString &title, const QString &logPath, const QDate &made = QDate::currentDate(),
                        const QLocale &locale = QLocale::system());

// One table of the report. A heading may hold line breaks ('\n').
struct ReportTable {
    QString caption;
    QStringList headings;
    // Per column: figures stand right-aligned, names left-aligned.
    std::vector<bool> rightAligned;
    std::vector<QStringList> rows;
};

// Every text of the report, in reading order, before it is laid out on paper.
struct ReportContent {
    QString heading;  // "Drying Report"
    QString title;    // the user's title, may be empty
    QString fileName; // the log's
    std::vector<std::pair<QString, QString>> facts; // "Log file" -> "run.dat"
    QString note;     // a log without records says so here; empty otherwise
    bool overview = false;
    QString overviewCaption;
    QString overviewNote; // what the shading means, when limits are set
    std::vector<ReportTable> tables;
};

// The report of a log whose statistics are `stats` (records and days as
// given to computeLogStatistics()).
ReportContent buildReportContent(const LogStatistics &stats, const LogRecord *records, const LogDays &days,
                                 const ReportInput &input);

// The name of a quantity with its unit: "Moisture Out (%)", "Grain Temp In (°)".
QString quantityHeading(int series);
// A limit as a farmer reads it: "14 to 16.5", "at least 14", "at most 120".
QString limitReadingText(const QuantityLimit &limit, QChar decimalSeparator);

} // namespace sorvant
