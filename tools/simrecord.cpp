#include "simrecord.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <random>

namespace {
uint8_t bcd(int v)
{
    return uint8_t(((v / 10) % 10) << 4 | (v % 10));
}

int profile(double f)
{
    // Heat from 25 to about 650, hold, then cool: the plateau sits inside
    // the chart's default view of 400 to 800.
    if (f < 0.35)
        return int(25 + 625 * (1 - std::exp(-f / 0.09)));
    if (f < 0.6)
        return 650;
    return int(25 + 625 * std::exp(-(f - 0.6) / 0.15));
}
} // namespace

SimRecord generatedRecord(bool timeStamped, int count, unsigned seed)
{
    SimRecord rec;
    rec.timeStamped = timeStamped;
    std::mt19937 rng(seed);
    std::normal_distribution<double> noise(0.0, 3.0);
    std::uniform_int_distribution<int> failPick(0, 499);
    int month = 7, day = 26, hour = 13, minute = 5, second = 9;
    for (int i = 0; i < count; ++i) {
        const double f = count > 1 ? double(i) / (count - 1) : 0;
        int value = std::max(1, profile(f) + int(std::lround(noise(rng))));
        const bool failed = failPick(rng) == 0;
        if (!timeStamped) {
            rec.readings.push_back(failed ? 8888 : value);
        } else {
            const int high = failed ? 0x0F : value / 256;
            rec.packets.push_back({0x00, bcd(second), bcd(minute), bcd(hour), bcd(day), bcd(month),
                uint8_t(value & 0xFF), uint8_t(high)});
            second += 5;
            if (second >= 60) {
                second -= 60;
                ++minute;
            }
            if (minute >= 60) {
                minute = 0;
                ++hour;
            }
            if (hour >= 24) {
                hour = 0;
                ++day;
            }
        }
    }
    if (!timeStamped) {
        for (size_t i = 0; i + 1 < rec.readings.size(); i += 2) {
            auto wire = [](int v, uint8_t *lo, uint8_t *hi) {
                *lo = uint8_t(v == 8888 ? 0 : v & 0xFF);
                *hi = uint8_t(v == 8888 ? 0x0F : (v >> 8) & 0xFF);
            };
            uint8_t a, b, c, d;
            wire(rec.readings[i], &a, &b);
            wire(rec.readings[i + 1], &c, &d);
            rec.packets.push_back({a, b, c, d});
        }
    }
    return rec;
}

bool recordFromFile(const std::string &path, SimRecord *rec, std::string *error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    rec->packets.clear();
    if (bytes.size() == 7680) {
        rec->timeStamped = false;
        for (size_t i = 0; i + 3 < bytes.size(); i += 4)
            rec->packets.push_back({bytes[i], bytes[i + 1], bytes[i + 2], bytes[i + 3]});
        return true;
    }
    rec->timeStamped = true;
    for (size_t i = 0; i + 6 < bytes.size() && rec->packets.size() < 4032; i += 7) {
        const int wd = int16_t(bytes[i] | bytes[i + 1] << 8);
        if (wd == 0 && bytes[i + 2] == 0 && bytes[i + 3] == 0 && bytes[i + 4] == 0 && bytes[i + 5] == 0
            && bytes[i + 6] == 0)
            continue;
        const uint8_t high = wd == 8888 ? 0x0F : uint8_t((wd >> 8) & 0x07);
        rec->packets.push_back({0x00, bcd(bytes[i + 6]), bcd(bytes[i + 5]), bcd(bytes[i + 4]), bcd(bytes[i + 3]),
            bcd(bytes[i + 2]), uint8_t(wd & 0xFF), high});
    }
    return true;
}

int liveValue(double seconds)
{
    return int(std::lround(300 + 40 * std::sin(seconds / 6.0) + 3 * std::sin(seconds * 1.7)));
}

std::vector<uint8_t> onlineReply(int value)
{
    if (value == 8888)
        return {0xC0, 0x00, 0x10, 0x30, 0x20};
    return {0xC0, uint8_t(value & 0x0F), uint8_t(((value >> 4) & 0x0F) ^ 0x10), uint8_t(((value >> 8) & 0x03) ^ 0x20),
        uint8_t(((value >> 10) & 0x0F) ^ 0x30)};
}
