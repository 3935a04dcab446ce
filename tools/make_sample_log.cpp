// make-sample-log: writes a realistic demo dryer log of our own.
//
// A portable dryer run: the burner brings the plenum up to temperature and
// holds it with a slow wander, wet grain comes in at 19-26 % moisture and
// leaves near 15 %, the unload rate follows the moisture, and the auger moves
// to the next bin every few hours. One record every 12 seconds; the same seed
// always gives the same bytes.

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rng { // splitmix64: small, portable, deterministic everywhere
    std::uint64_t state;
    std::uint64_t next()
    {
        std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double noise() { return (uniform() + uniform() + uniform() - 1.5) * 2.0; } // about -3..3, bell-shaped
};

void putBig16(unsigned char *p, long v)
{
    const auto u = static_cast<std::uint16_t>(v);
    p[0] = static_cast<unsigned char>(u >> 8);
    p[1] = static_cast<unsigned char>(u & 0xFF);
}

long clampLong(double v, long lo, long hi)
{
    const long r = std::lround(v);
    return r < lo ? lo : (r > hi ? hi : r);
}

int usage(const char *argv0, std::FILE *to = stderr)
{
    std::fprintf(to,
                 "usage: %s OUT.dat [--records N] [--seed S] [--start HH:MM]\n"
                 "Writes a demo dryer log: N records (default 7200, 24 hours), one every 12 seconds.\n",
                 argv0);
    return 2;
}

bool parseNumber(const char *s, unsigned long long &out)
{
    if (!s || !*s)
        return false;
    char *end = nullptr;
    errno = 0;
    out = std::strtoull(s, &end, 10);
    return errno == 0 && *end == '\0' && s[0] != '-';
}

} // namespace

int main(int argc, char **argv)
{
    const char *outPath = nullptr;
    unsigned long long records = 7200, seed = 1;
    unsigned startHour = 6, startMinute = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help" || a == "-h") {
            usage(argv[0], stdout);
            return 0;
        }
        if (a == "--records" && i + 1 < argc) {
            if (!parseNumber(argv[++i], records))
                return usage(argv[0]);
        } else if (a == "--seed" && i + 1 < argc) {
            if (!parseNumber(argv[++i], seed))
                return usage(argv[0]);
        } else if (a == "--start" && i + 1 < argc) {
            if (std::sscanf(argv[++i], "%u:%u", &startHour, &startMinute) != 2 || startHour > 23 || startMinute > 59)
                return usage(argv[0]);
        } else if (!a.empty() && a[0] != '-' && !outPath) {
            outPath = argv[i];
        } else {
            return usage(argv[0]);
        }
    }
    if (!outPath)
        return usage(argv[0]);

    std::FILE *f = std::fopen(outPath, "wb");
    if (!f) {
        std::fprintf(stderr, "make-sample-log: cannot create %s: %s\n", outPath, std::strerror(errno));
        return 1;
    }

    Rng rng{seed};
    const double plenumTarget = 165 + 15 * rng.uniform(); // whole degrees
    double plenum = 60;
    double wetTemp = 55 + 15 * rng.uniform();             // degrees
    double moistureIn = 20 + 5 * rng.uniform();           // percent
    double bin = 1 + std::floor(rng.uniform() * 3);
    const double binHours = 3 + 4 * rng.uniform();
    std::uint64_t seconds = (startHour * 60ull + startMinute) * 60ull;

    std::vector<unsigned char> chunk;
    chunk.reserve(16 * 4096);
    for (unsigned long long r = 0; r < records; ++r) {
        const double hours = static_cast<double>(r) * 12.0 / 3600.0;
        // Burner warm-up over the first 40 minutes, then a slow wander.
        plenum += (plenumTarget + 4 * std::sin(hours / 1.7) - plenum) * 0.01 + 0.3 * rng.noise();
        wetTemp += (60 + 8 * std::sin(hours / 11.0) - wetTemp) * 0.002 + 0.05 * rng.noise();
        moistureIn += (22.5 + 2.5 * std::sin(hours / 5.3) - moistureIn) * 0.003 + 0.02 * rng.noise();
        const double warm = std::min(1.0, hours / 0.7);
        const double moistureOut = moistureIn - warm * (moistureIn - 15.2) + 0.1 * rng.noise();
        const double driedTemp = wetTemp + warm * (plenum - wetTemp) * 0.45 + 0.2 * rng.noise();
        const double unload = warm * (55 - 2.2 * (moistureIn - 18)) + rng.noise();
        if (hours > 0 && std::fmod(hours, binHours) < 12.0 / 3600.0)
            bin = bin >= 8 ? 1 : bin + 1;

        const std::uint64_t t = seconds + r * 12;
        const unsigned hour = static_cast<unsigned>((t / 3600) % 24);
        const unsigned minute = static_cast<unsigned>((t / 60) % 60);

        unsigned char rec[16];
        putBig16(rec + 0, clampLong(plenum, -32768, 32767));
        putBig16(rec + 2, clampLong(wetTemp * 10, -32768, 32767));
        putBig16(rec + 4, clampLong(moistureIn * 10, 0, 65535));
        putBig16(rec + 6, clampLong(driedTemp * 10, -32768, 32767));
        putBig16(rec + 8, clampLong(moistureOut * 10, 0, 65535));
        putBig16(rec + 10, clampLong(unload, 0, 65535));
        rec[12] = static_cast<unsigned char>(bin);
        rec[13] = static_cast<unsigned char>(hour);
        rec[14] = static_cast<unsigned char>(minute);
        rec[15] = static_cast<unsigned char>(rng.next() & 0xFF); // the controller's spare byte
        chunk.insert(chunk.end(), rec, rec + 16);
        if (chunk.size() >= 16 * 4096) {
            if (std::fwrite(chunk.data(), 1, chunk.size(), f) != chunk.size())
                break;
            chunk.clear();
        }
    }
    bool ok = std::fwrite(chunk.data(), 1, chunk.size(), f) == chunk.size() && !std::ferror(f);
    ok = std::fclose(f) == 0 && ok;
    if (!ok) {
        std::fprintf(stderr, "make-sample-log: cannot write %s: %s\n", outPath, std::strerror(errno));
        return 1;
    }
    return 0;
}
