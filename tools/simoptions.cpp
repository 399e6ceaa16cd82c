#include "simoptions.h"

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>

namespace {
void usage()
{
    std::fprintf(stderr,
        "usage: zq-instrument [--style 0|1] [--count N] [--file DATA.ZQ] [--fast]\n"
        "                     [--reply-delay MS] [--no-reply] [--junk N] [--cut-after PACKETS]\n"
        "                     [--garble OFFSET] [--junk-bytes HEX] [--pause-after PACKETS --pause-ms MS]\n"
        "                     [--busy-ignores-requests] [--byte-us MICROSECONDS] [--device PATH] [--link PATH]\n"
        "                     [--report-last-byte]\n"
        "Prints the device to use on its first line, then serves until SIGINT or SIGTERM.\n");
}
} // namespace

bool parse(int argc, char **argv, Options *o)
{
    const std::map<std::string, bool Options::*> flags{{"--fast", &Options::fast},
        {"--report-last-byte", &Options::reportLastByte}, {"--no-reply", &Options::noReply},
        {"--busy-ignores-requests", &Options::busyIgnoresRequests}};
    const std::map<std::string, std::function<void(const char *)>> values{
        {"--style", [o](const char *v) { o->timeStamped = std::atoi(v) == 1; }},
        {"--count", [o](const char *v) { o->count = std::atoi(v); }}, {"--file", [o](const char *v) { o->file = v; }},
        {"--reply-delay", [o](const char *v) { o->replyDelayMs = std::atoi(v); }},
        {"--junk", [o](const char *v) { o->junk = std::atoi(v); }},
        {"--cut-after", [o](const char *v) { o->cutAfter = std::atoi(v); }},
        {"--garble", [o](const char *v) { o->garbleOffset = std::atol(v); }},
        {"--junk-bytes",
            [o](const char *v) {
                for (const char *p = v; p[0] && p[1]; p += 2)
                    o->junkBytes.push_back(char(std::strtol(std::string(p, 2).c_str(), nullptr, 16)));
            }},
        {"--pause-after", [o](const char *v) { o->pauseAfter = std::atoi(v); }},
        {"--pause-ms", [o](const char *v) { o->pauseMs = std::atoi(v); }},
        {"--byte-us", [o](const char *v) { o->byteMicros = std::atoi(v); }},
        {"--device", [o](const char *v) { o->device = v; }}, {"--link", [o](const char *v) { o->link = v; }}};
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--help") {
            usage();
            std::exit(0);
        }
        if (const auto flag = flags.find(a); flag != flags.end()) {
            o->*(flag->second) = true;
        } else if (const auto value = values.find(a); value != values.end()) {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "zq-instrument: %s needs a value\n", a.c_str());
                return false;
            }
            value->second(argv[++i]);
        } else {
            usage();
            return false;
        }
    }
    return true;
}
