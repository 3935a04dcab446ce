#include "pdfjoin.h"

#include <QIODevice>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <stdexcept>
#include <string>

namespace sorvant {

namespace {

// The end of qpdf's output chain: the caller's device.
class DevicePipeline : public Pipeline
{
public:
    explicit DevicePipeline(QIODevice &device) : Pipeline("output", nullptr), m_device(device) {}
    void write(unsigned char const *data, size_t len) override
    {
        const auto size = static_cast<qint64>(len);
        if (size > 0 && m_device.write(reinterpret_cast<const char *>(data), size) != size)
            throw std::runtime_error("the output could not be written");
    }
    void finish() override {}

private:
    QIODevice &m_device;
};

bool failed(QString *error, const QString &why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

// qpdf reads the added documents where they are, and their streams only when
// it writes: every part stays open until then.
struct PdfJoiner::Parts {
    std::vector<std::unique_ptr<QPDF>> documents;
    std::unique_ptr<QPDFPageDocumentHelper> joined; // the pages of the first document, then the others'
};

PdfJoiner::PdfJoiner() : m_parts(std::make_unique<Parts>()) {}

PdfJoiner::~PdfJoiner() = default;

bool PdfJoiner::add(const QByteArray &document, QString *error)
{
    try {
        auto pdf = std::make_unique<QPDF>();
        pdf->setSuppressWarnings(true);
        const std::string name = "part " + std::to_string(m_parts->documents.size() + 1);
        pdf->processMemoryFile(name.c_str(), document.constData(), static_cast<size_t>(document.size()));
        if (!m_parts->joined) {
            m_parts->joined = std::make_unique<QPDFPageDocumentHelper>(*pdf);
        } else {
            for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(*pdf).getAllPages())
                m_parts->joined->addPage(page, false);
        }
        const bool damaged = pdf->anyWarnings();
        m_parts->documents.push_back(std::move(pdf));
        return damaged ? failed(error, QStringLiteral("a part of the document is damaged")) : true;
    } catch (const std::exception &e) {
        return failed(error, QString::fromLocal8Bit(e.what()));
    }
}

bool PdfJoiner::write(QIODevice &output, QString *error)
{
    if (m_parts->documents.empty())
        return failed(error, QStringLiteral("no pages to join"));
    try {
        DevicePipeline pipeline(output);
        QPDFWriter writer(*m_parts->documents.front());
        writer.setOutputPipeline(&pipeline);
        // The streams go out as they came in: decoding and compressing them
        // again would cost more than drawing them did.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.write();
        for (const auto &document : m_parts->documents) {
            if (document->anyWarnings())
                return failed(error, QStringLiteral("a part of the document is damaged"));
        }
        return true;
    } catch (const std::exception &e) {
        return failed(error, QString::fromLocal8Bit(e.what()));
    }
}

} // namespace sorvant
