#include "pdfjoin.h"

#include <QIODevice>

#include <qpdf/Pipeline.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <memory>
#include <stdexcept>

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

} // namespace

bool joinPdfDocuments(const std::vector<QByteArray> &parts, QIODevice &output, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (parts.empty())
        return fail(QStringLiteral("no pages to join"));
    try {
        // qpdf reads the parts where they are, and only when it writes:
        // every part stays open until then.
        std::vector<std::unique_ptr<QPDF>> documents;
        documents.reserve(parts.size());
        for (std::size_t i = 0; i < parts.size(); ++i) {
            auto document = std::make_unique<QPDF>();
            document->setSuppressWarnings(true);
            const std::string name = "part " + std::to_string(i + 1);
            document->processMemoryFile(name.c_str(), parts[i].constData(), static_cast<size_t>(parts[i].size()));
            documents.push_back(std::move(document));
        }
        QPDFPageDocumentHelper joined(*documents.front());
        for (std::size_t i = 1; i < documents.size(); ++i) {
            for (QPDFPageObjectHelper &page : QPDFPageDocumentHelper(*documents[i]).getAllPages())
                joined.addPage(page, false);
        }
        DevicePipeline pipeline(output);
        QPDFWriter writer(*documents.front());
        writer.setOutputPipeline(&pipeline);
        // The streams go out as they came in: decoding and compressing them
        // again would cost more than drawing them did.
        writer.setDecodeLevel(qpdf_dl_none);
        writer.setCompressStreams(false);
        writer.write();
        for (const auto &document : documents) {
            if (document->anyWarnings())
                return fail(QStringLiteral("a part of the document was damaged"));
        }
        return true;
    } catch (const std::exception &e) {
        return fail(QString::fromLocal8Bit(e.what()));
    }
}

} // namespace sorvant
