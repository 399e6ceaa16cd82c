#pragma once

#include <string>

// What the simulator is told on its command line.
struct Options
{

    bool timeStamped = false;
    int count = -1;
    std::string file;
    bool fast = false;
    int byteMicros = -1; // the line's pace; -1: 4800 baud, or none with --fast
    bool reportLastByte = false;
    int replyDelayMs = 0;
    bool noReply = false;
    int junk = 0;
    int cutAfter = -1;
    long garbleOffset = -1;
    std::string junkBytes; // raw bytes sent before the answer
    int pauseAfter = -1; // packets, then a pause of pauseMs
    int pauseMs = 0;
    bool busyIgnoresRequests = false; // a request while streaming goes unheard
    std::string device;
    std::string link;
};

// False (after saying why) on a bad command line; --help prints and exits.
bool parse(int argc, char **argv, Options *o);
