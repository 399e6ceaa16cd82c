#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the simulated instrument holds and sends.
struct SimRecord
{
    bool timeStamped = false;
    std::vector<int> readings; // sequence data
    std::vector<std::vector<uint8_t>> packets; // the wire form, in order
};

// A heating and cooling run with noise and a few failed readings.
SimRecord generatedRecord(bool timeStamped, int count, unsigned seed);
// The readings of a saved data file, in the wire form of its layout.
bool recordFromFile(const std::string &path, SimRecord *record, std::string *error);
// The live value at t seconds after start: drifts slowly, so the demo moves.
int liveValue(double seconds);
// The 5-byte online reply for a value; 8888 gives the failed-reading reply.
std::vector<uint8_t> onlineReply(int value);
