#pragma once

#include "logdata/outofrange.h"

#include <QString>

#include <string>
#include <vector>

namespace sorvant {

class CellTextFormat;
class LogStore;

// The out-of-range spans as comma-separated text, CR LF after every line:
// the header row "Quantity,Start Day,Start Time,End Day,End Time,Duration,
// Extreme,Records", then one row per span in the order given (first record,
// then series). Fields are encoded as the spreadsheet export encodes them,
// so an extreme written with a decimal comma is quoted.
std::string spansCsvText(const std::vector<OutOfRangeSpan> &spans, const LogStore &store,
                         const CellTextFormat &format);
// Writes that text as a whole file. Throws UserError "Cannot Create file
// <name>" when it cannot be created and the input/output error when writing
// fails; a failure leaves an existing file as it was.
void SaveSpansToCSV(const std::vector<OutOfRangeSpan> &spans, const LogStore &store, const CellTextFormat &format,
                    const QString &fileName);

} // namespace sorvant
