#include "logbytes.h"
#include "logdata/logrecord.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace sorvant;

namespace {

LogRecord fixed(const QByteArray &fileBytes)
{
    LogRecord r;
    std::memcpy(&r, fileBytes.constData(), sizeof r);
    fixByteOrder(&r, 1);
    return r;
}

} // namespace

TEST(LogRecord, WorkedExampleSwapsOnlyTheSixWords)
{
    const unsigned char file[16] = {0x00, 0x5A, 0x02, 0x6D, 0x00, 0xD7, 0x02, 0x99,
                                    0x00, 0x96, 0x00, 0x23, 0x03, 0x0E, 0x05, 0x00};
    const unsigned char after[16] = {0x5A, 0x00, 0x6D, 0x02, 0xD7, 0x00, 0x99, 0x02,
                                     0x96, 0x00, 0x23, 0x00, 0x03, 0x0E, 0x05, 0x00};
    LogRecord r;
    std::memcpy(&r, file, sizeof r);
    fixByteOrder(&r, 1);
    EXPECT_EQ(0, std::memcmp(&r, after, sizeof after));
    EXPECT_EQ(r.GrainTempInsideDryer, 90);
    EXPECT_EQ(r.WetGrainTemp, 621);
    EXPECT_EQ(r.MoistureIn, 215);
    EXPECT_EQ(r.DriedGrainTemp, 665);
    EXPECT_EQ(r.MoistureOut, 150);
    EXPECT_EQ(r.UnloadRate, 35);
    EXPECT_EQ(r.BinNumber, 3);
    EXPECT_EQ(r.Hour, 14);
    EXPECT_EQ(r.Minute, 5);
}

TEST(LogRecord, SignednessFollowsTheField)
{
    struct Case {
        int offset;
        unsigned char hi, lo;
        int expected;
    };
    const Case cases[] = {
        {2, 0xFF, 0x9C, -100},   // WetGrainTemp, signed
        {2, 0xFF, 0x97, -105},   // WetGrainTemp
        {0, 0x80, 0x00, -32768}, // GrainTempInsideDryer
        {6, 0xFF, 0xFF, -1},     // DriedGrainTemp, signed
        {4, 0xFF, 0xFF, 65535},  // MoistureIn, unsigned
        {8, 0x80, 0x00, 32768},  // MoistureOut, unsigned
        {10, 0xFF, 0xFF, 65535}, // UnloadRate, unsigned
    };
    for (const Case &c : cases) {
        QByteArray bytes(16, '\0');
        bytes[c.offset] = static_cast<char>(c.hi);
        bytes[c.offset + 1] = static_cast<char>(c.lo);
        const LogRecord r = fixed(bytes);
        const int values[] = {r.GrainTempInsideDryer, r.WetGrainTemp, r.MoistureIn,
                              r.DriedGrainTemp,       r.MoistureOut,  r.UnloadRate};
        EXPECT_EQ(values[c.offset / 2], c.expected) << "offset " << c.offset;
        for (int other = 0; other < 6; ++other) {
            if (other != c.offset / 2) {
                EXPECT_EQ(values[other], 0) << "offset " << c.offset << " leaked into field " << other;
            }
        }
    }
}

TEST(LogRecord, ManyRecordsEachFixedExactlyOnce)
{
    // Odd counts and a large block: every record is fixed, none twice, and the
    // single bytes are never touched.
    for (int count : {1, 3, 17, 10001}) {
        std::vector<LogRecord> records(static_cast<std::size_t>(count));
        QByteArray all;
        for (int i = 0; i < count; ++i) {
            logbytes::Fields f;
            f.grainTempInsideDryer = static_cast<std::int16_t>(-i);
            f.moistureOut = static_cast<std::uint16_t>(60000 + i % 5000);
            f.unloadRate = static_cast<std::uint16_t>(i * 7);
            f.bin = static_cast<std::uint8_t>(i);
            f.hour = static_cast<std::uint8_t>(i >> 8);
            f.spare = 0xA5;
            all += logbytes::record(f);
        }
        std::memcpy(records.data(), all.constData(), static_cast<std::size_t>(all.size()));
        fixByteOrder(records.data(), records.size());
        for (int i = 0; i < count; ++i) {
            const LogRecord &r = records[static_cast<std::size_t>(i)];
            ASSERT_EQ(r.GrainTempInsideDryer, -i) << i;
            ASSERT_EQ(r.MoistureOut, 60000 + i % 5000) << i;
            ASSERT_EQ(r.UnloadRate, static_cast<std::uint16_t>(i * 7)) << i;
            ASSERT_EQ(r.BinNumber, static_cast<std::uint8_t>(i)) << i;
            ASSERT_EQ(r.Hour, static_cast<std::uint8_t>(i >> 8)) << i;
            ASSERT_EQ(r.Spare, 0xA5) << i;
        }
    }
}
