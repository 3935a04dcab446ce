#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

class QIODevice;

namespace sorvant {

// Joins complete PDF documents into one: the pages of the first, then those
// of the second, and so on, with the first one's document information
// (title, creator, dates). Page contents, fonts and images are copied as
// they are, still compressed. Documents can be added while later ones are
// still being made.
class PdfJoiner
{
public:
    PdfJoiner();
    ~PdfJoiner();
    PdfJoiner(const PdfJoiner &) = delete;
    PdfJoiner &operator=(const PdfJoiner &) = delete;

    // Adds the pages of `document`, which is read where it is: it must stay
    // as it is until write() has returned. False, with `error` set, when it
    // cannot be read.
    bool add(const QByteArray &document, QString *error);
    // Writes the joined document to `output`; false with `error` set when
    // nothing was added or the output not written.
    bool write(QIODevice &output, QString *error);

private:
    struct Parts;
    std::unique_ptr<Parts> m_parts;
};

} // namespace sorvant
