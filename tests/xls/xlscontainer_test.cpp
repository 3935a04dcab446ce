// The Compound File around the workbook stream, read by two other readers.

#include "output/xlscontainer.h"
#include "xlsreadback.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using sorvant::xls::CompoundFileLayout;

// Stream sizes around the places where the layout changes: the smallest
// stream, a partly filled last sector, the last size whose allocation table
// fits the 109 entries of the header, and the first that needs a DIFAT sector.
TEST(CompoundFile, StreamReadsBackWhole)
{
    constexpr std::uint64_t kLastWithoutDifat = 13842; // sectors: 13842 + 109 FAT + directory = 109 * 128
    const struct {
        std::uint64_t size;
        std::uint32_t fatSectors, difatSectors;
    } cases[] = {
        {4096, 1, 0},
        {4096 + 1, 1, 0},
        {100000 - 17, 2, 0}, // 196 sectors of stream
        {kLastWithoutDifat * 512, 109, 0},
        {kLastWithoutDifat * 512 + 1, 110, 1},
        {(kLastWithoutDifat + 1) * 512 + 300, 110, 1},
    };
    QTemporaryDir dir;
    for (const auto &c : cases) {
        const std::uint64_t size = c.size;
        SCOPED_TRACE(size);
        const CompoundFileLayout layout(size);
        QByteArray stream(static_cast<qsizetype>(size), '\0');
        for (qsizetype i = 0; i < stream.size(); ++i)
            stream[i] = static_cast<char>((i * 7 + i / 512) & 0xFF); // every sector differs
        const std::string header = layout.header();
        const std::string trailer = layout.trailer();
        ASSERT_EQ(header.size(), 512u);
        ASSERT_EQ(header.size() + size + trailer.size(), layout.fileSize());
        ASSERT_EQ(layout.fileSize() % 512, 0u);
        const auto field = [&header](std::size_t at) {
            std::uint32_t v = 0;
            for (std::size_t k = 0; k < 4; ++k)
                v |= std::uint32_t{static_cast<unsigned char>(header[at + k])} << (8 * k);
            return v;
        };
        EXPECT_EQ(field(0x2C), c.fatSectors);
        EXPECT_EQ(field(0x48), c.difatSectors);

        const QString name = dir.filePath(QStringLiteral("c.xls"));
        QFile f(name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(header.data(), static_cast<qint64>(header.size()));
        f.write(stream);
        f.write(trailer.data(), static_cast<qint64>(trailer.size()));
        f.close();

        const QString expected = QStringLiteral("%1\t%2").arg(size).arg(QString::fromLatin1(
            QCryptographicHash::hash(stream, QCryptographicHash::Sha256).toHex()));
        const QStringList lines = xlsreadback::readStream(name);
        ASSERT_FALSE(lines.isEmpty());
        for (const QString &line : lines) {
            EXPECT_FALSE(line.startsWith(QLatin1String("warning"))) << line.toStdString();
            if (!line.startsWith(QLatin1String("warning"))) {
                EXPECT_EQ(line.section(QLatin1Char('\t'), 1).toStdString(), expected.toStdString()) << line.toStdString();
            }
        }
    }
}

TEST(CompoundFile, RefusesStreamsItCannotLayOut)
{
    EXPECT_THROW(CompoundFileLayout(4095), std::length_error);
    EXPECT_THROW(CompoundFileLayout(CompoundFileLayout::kMaxStreamSize + 1), std::length_error);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
