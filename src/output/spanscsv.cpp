#include "spanscsv.h"

#include "csvwriter.h"
#include "logdata/logstore.h"
#include "platform/outputfile.h"
#include "platform/usererror.h"

namespace sorvant {

std::string spansCsvText(const std::vector<OutOfRangeSpan> &spans, const LogStore &store,
                         const CellTextFormat &format)
{
    std::string out = "Quantity,Start Day,Start Time,End Day,End Time,Duration,Extreme,Records\r\n";
    for (const OutOfRangeSpan &span : spans) {
        const OutOfRangeSpanTexts t = spanTexts(span, store.data(), store.days(), format);
        const QString fields[] = {t.quantity, t.startDay, t.startTime, t.endDay,
                                  t.endTime,  t.duration, t.extreme,   t.records};
        bool firstField = true;
        for (const QString &field : fields) {
            if (!firstField)
                out += ',';
            firstField = false;
            appendCsvField(out, field.toStdString());
        }
        out += "\r\n";
    }
    return out;
}

void SaveSpansToCSV(const std::vector<OutOfRangeSpan> &spans, const LogStore &store, const CellTextFormat &format,
                    const QString &fileName)
{
    const std::string text = spansCsvText(spans, store, format);
    OutputFile file(fileName);
    if (!file.open())
        throw UserError(QStringLiteral("Cannot Create file ") + fileName);
    if (!file.write(text.data(), text.size()) || !file.commit())
        throw UserError(QStringLiteral("Error writing file %1: %2").arg(fileName, file.errorString()));
}

} // namespace sorvant
