#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

class QIODevice;

namespace sorvant {

// Joins complete PDF documents into one: the pages of the first, then those
// of the second, and so on, with the first one's document information
// (title, creator, dates). Page contents, fonts and images are copied as
// they are, still compressed. Writes the joined document to `output`; false
// with `error` set when a part cannot be read or the output not written.
bool joinPdfDocuments(const std::vector<QByteArray> &parts, QIODevice &output, QString *error);

} // namespace sorvant
