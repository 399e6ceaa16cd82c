#pragma once

#include "core/workspace.h"

#include <QByteArray>
#include <cstdint>

// Packed BCD to its value; halves above 9 are taken as they come (0x1A gives 20).
uint8_t DECtoHEX(uint8_t &b);

namespace zq {
constexpr int kSeqPacket = 4;
constexpr int kTimePacket = 8;
constexpr int kOnlineReply = 5;

// One sequence reading from its two bytes; a high byte above 8 is a failed reading.
int16_t sequenceReading(uint8_t low, uint8_t high);

// Stores one 4-byte packet at wdnum. False when it was short or had no room.
bool storeSequencePacket(Workspace &ws, const QByteArray &packet);

// Stores one 8-byte packet in group 0 via wdrec. A packet without room still
// counts in recnum, so a transfer can still end by its count.
bool storeTimePacket(Workspace &ws, const QByteArray &packet);

// The instrument's live reading from its reply; 8888 for anything not a reading.
int16_t decodeOnlineReply(const QByteArray &reply);
} // namespace zq
