#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>

// Dryer log bytes written by the tests themselves, most significant byte first.
namespace logbytes {

struct Fields {
    std::int16_t grainTempInsideDryer = 90;
    std::int16_t wetGrainTemp = 621;
    std::uint16_t moistureIn = 215;
    std::int16_t driedGrainTemp = 665;
    std::uint16_t moistureOut = 150;
    std::uint16_t unloadRate = 35;
    std::uint8_t bin = 3;
    std::uint8_t hour = 14;
    std::uint8_t minute = 5;
    std::uint8_t spare = 0;
};

inline void putBig16(QByteArray &out, std::uint16_t v)
{
    out.append(static_cast<char>(v >> 8));
    out.append(static_cast<char>(v & 0xFF));
}

inline QByteArray record(const Fields &f)
{
    QByteArray r;
    putBig16(r, static_cast<std::uint16_t>(f.grainTempInsideDryer));
    putBig16(r, static_cast<std::uint16_t>(f.wetGrainTemp));
    putBig16(r, f.moistureIn);
    putBig16(r, static_cast<std::uint16_t>(f.driedGrainTemp));
    putBig16(r, f.moistureOut);
    putBig16(r, f.unloadRate);
    r.append(static_cast<char>(f.bin));
    r.append(static_cast<char>(f.hour));
    r.append(static_cast<char>(f.minute));
    r.append(static_cast<char>(f.spare));
    return r;
}

// One record from its field values in file order, for tables of cases.
inline QByteArray record(int grainTempInsideDryer, int wetGrainTemp, int moistureIn, int driedGrainTemp,
                         int moistureOut, int unloadRate, int bin, int hour, int minute, int spare = 0)
{
    Fields f;
    f.grainTempInsideDryer = static_cast<std::int16_t>(grainTempInsideDryer);
    f.wetGrainTemp = static_cast<std::int16_t>(wetGrainTemp);
    f.moistureIn = static_cast<std::uint16_t>(moistureIn);
    f.driedGrainTemp = static_cast<std::int16_t>(driedGrainTemp);
    f.moistureOut = static_cast<std::uint16_t>(moistureOut);
    f.unloadRate = static_cast<std::uint16_t>(unloadRate);
    f.bin = static_cast<std::uint8_t>(bin);
    f.hour = static_cast<std::uint8_t>(hour);
    f.minute = static_cast<std::uint8_t>(minute);
    f.spare = static_cast<std::uint8_t>(spare);
    return record(f);
}

// `count` records whose fields tell their index apart: the wet grain
// temperature is the index in tenths, so row texts show which record they are.
inline QByteArray numberedRecords(int count, int firstIndex = 0)
{
    QByteArray out;
    out.reserve(count * 16);
    for (int i = firstIndex; i < firstIndex + count; ++i) {
        Fields f;
        f.wetGrainTemp = static_cast<std::int16_t>(i % 30000);
        f.moistureIn = static_cast<std::uint16_t>(i % 65536);
        f.hour = static_cast<std::uint8_t>(i / 300 % 24);
        f.minute = static_cast<std::uint8_t>(i / 5 % 60);
        f.bin = static_cast<std::uint8_t>(i % 8 + 1);
        out += record(f);
    }
    return out;
}

inline bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size() && f.flush();
}

} // namespace logbytes
