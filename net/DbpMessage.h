// The "DBP/1.0" wire text: the header table, the request builders and the
// reply reader. Pure functions over their arguments; safe on any thread.
#pragma once

#include "TerminalParam.h"

#include <cstdint>
#include <memory>

// A composed request: zero-terminated text, sent without its terminator.
using DbpRequest = std::unique_ptr<char[]>;

constexpr int kHeaderCount = 44;
constexpr int kNoHeader = 31;  // FindHeader's answer for an unknown line

extern const char* const HeaderTable[kHeaderCount];

// Each builder returns the message, or null when its record is missing.
DbpRequest BuildGetRequest(uint16_t cseq, uint8_t isBroadcast);
DbpRequest BuildSetRequest(const TerminalParam* p);
DbpRequest BuildRebootRequest(const TerminalParam* p, uint8_t code);
DbpRequest BuildResetAllRequest(uint16_t cseq, uint8_t isBroadcast);
DbpRequest BuildServerRequest(const char* server, uint16_t cseq, uint8_t isBroadcast);
DbpRequest BuildUpdateAllRequest(uint16_t cseq, uint8_t isBroadcast);
DbpRequest BuildToneRequest(uint16_t cseq, int8_t treble, int8_t bass, int8_t playVol);
DbpRequest BuildVolumeRequest(uint16_t cseq, int8_t playVol, int8_t captureVol);

// Index 0..30 of the table entry whose key starts the line, or kNoHeader.
int FindHeader(const char* line);

// Reads a zero-terminated reply into `reply` (already cleared, Address and
// Port set). Returns 0 (not a DBP reply), 400 or 200.
int ParseReply(const char* text, TerminalParam* reply);
