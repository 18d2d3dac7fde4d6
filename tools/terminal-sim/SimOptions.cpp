#include "SimOptions.h"

#include "SimModels.h"
#include "SimNumbers.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>

namespace {

std::vector<std::string> splitList(const std::string& text)
{
    std::vector<std::string> items;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
            comma = text.size();
        if (comma > start)
            items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

// "3,7,10-12": terminal indices.
bool parseIndices(const std::string& text, std::vector<int>* out)
{
    for (const std::string& item : splitList(text)) {
        size_t dash = item.find('-', 1);
        long long first = 0;
        long long last = 0;
        if (dash == std::string::npos) {
            if (!parseLong(item, 0, 1000000, &first))
                return false;
            last = first;
        } else if (!parseLong(item.substr(0, dash), 0, 1000000, &first)
            || !parseLong(item.substr(dash + 1), first, 1000000, &last)) {
            return false;
        }
        for (long long i = first; i <= last; ++i)
            out->push_back(static_cast<int>(i));
    }
    return true;
}

bool parsePair(const std::string& text, std::vector<std::pair<int, int>>* out)
{
    size_t colon = text.find(':');
    long long a = 0;
    long long b = 0;
    if (colon == std::string::npos || !parseLong(text.substr(0, colon), 0, 1000000, &a)
        || !parseLong(text.substr(colon + 1), 0, 1000000, &b))
        return false;
    out->emplace_back(static_cast<int>(a), static_cast<int>(b));
    return true;
}

// "NA-100:3,HS-1": model codes with optional weights (1 when left out).
bool parseModels(const std::string& text, std::vector<SimModelShare>* out)
{
    for (const std::string& item : splitList(text)) {
        SimModelShare share;
        size_t colon = item.rfind(':');
        long long weight = 1;
        if (colon != std::string::npos && !parseLong(item.substr(colon + 1), 0, 1000000, &weight))
            return false;
        share.type = item.substr(0, colon);
        share.weight = static_cast<int>(weight);
        if (share.type.empty() || share.type.size() >= sizeof(TerminalParam::Type))
            return false;
        out->push_back(share);
    }
    return !out->empty();
}

}  // namespace

bool parseSimOptions(int argc, const char* const* argv, SimConfig* config, bool* help, std::string* error)
{
    *config = SimConfig();
    config->fleetSize = kSimProgramFleetSize;
    config->port = kSimProgramPort;
    config->keepRequestLog = false;
    *help = false;
    for (int i = 1; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--help" || option == "-h") {
            *help = true;
            return true;
        }
        if (option == "--namespace") {
            config->addressing = SimAddressing::Namespace;
            continue;
        }
        static const char* const valued[]
            = {"--terminals", "--models", "--seed", "--fleet-file", "--port", "--bind", "--first-address",
                "--addresses", "--broadcast", "--ip-conflict", "--mac-conflict", "--delay", "--jitter", "--drop",
                "--link-rate", "--queue-bytes", "--reply-order", "--answer-400", "--silent", "--malformed", "--log"};
        if (std::find(std::begin(valued), std::end(valued), option) == std::end(valued)) {
            *error = "unknown option " + option;
            return false;
        }
        if (i + 1 >= argc) {
            *error = "missing value after " + option;
            return false;
        }
        const std::string value = argv[++i];
        long long n = 0;
        double rate = 0.0;
        char* end = nullptr;
        bool ok = true;
        if (option == "--terminals") {
            ok = parseLong(value, 0, 1000000, &n);
            config->fleetSize = static_cast<int>(n);
        } else if (option == "--models") {
            config->modelMix.clear();
            ok = parseModels(value, &config->modelMix);
        } else if (option == "--seed") {
            ok = parseLong(value, 0, 0xFFFFFFFFLL, &n);
            config->seed = static_cast<uint32_t>(n);
        } else if (option == "--fleet-file") {
            config->fleetFile = value;
        } else if (option == "--port") {
            ok = parseLong(value, 0, 65535, &n);
            config->port = static_cast<uint16_t>(n);
        } else if (option == "--bind") {
            config->bindAddress = value;
        } else if (option == "--first-address") {
            config->firstLoopbackAddress = value;
        } else if (option == "--addresses") {
            config->addresses = splitList(value);
        } else if (option == "--broadcast") {
            config->broadcastAddresses = splitList(value);
        } else if (option == "--ip-conflict") {
            ok = parsePair(value, &config->ipConflicts);
        } else if (option == "--mac-conflict") {
            ok = parsePair(value, &config->macConflicts);
        } else if (option == "--delay") {
            ok = parseLong(value, 0, 600000, &n);
            config->replyDelayMs = static_cast<int>(n);
        } else if (option == "--jitter") {
            ok = parseLong(value, 0, 600000, &n);
            config->replyJitterMs = static_cast<int>(n);
        } else if (option == "--drop") {
            rate = std::strtod(value.c_str(), &end);
            ok = !value.empty() && *end == '\0' && rate >= 0.0 && rate <= 1.0;
            config->dropRate = rate;
        } else if (option == "--link-rate") {
            ok = parseLong(value, 0, 100000000000LL, &n);
            config->linkRateBps = static_cast<uint64_t>(n);
        } else if (option == "--queue-bytes") {
            ok = parseLong(value, 0, 1000000000LL, &n);
            config->queueBytes = static_cast<size_t>(n);
        } else if (option == "--reply-order") {
            ok = value == "fixed" || value == "random";
            config->replyOrder = value == "fixed" ? SimReplyOrder::Fixed : SimReplyOrder::Random;
        } else if (option == "--answer-400") {
            ok = parseIndices(value, &config->answer400);
        } else if (option == "--silent") {
            ok = parseIndices(value, &config->silent);
        } else if (option == "--malformed") {
            ok = parseIndices(value, &config->malformed);
        } else if (option == "--log") {
            config->logFile = value;
        }
        if (!ok) {
            *error = "bad value for " + option + ": " + value;
            return false;
        }
    }
    return true;
}

std::string simUsage()
{
    std::string models;
    for (const std::string& code : simModelCodes())
        models += (models.empty() ? "" : ",") + code;
    return "Usage: dbp-terminal-sim [options]\n"
           "\n"
           "Simulates a fleet of DBP/1.0 terminals for testing. Every terminal has its own\n"
           "parameters and answers from its own IPv4 address: in loopback mode terminal i\n"
           "answers from a 127/8 address (127.1.0.1 upwards, skipping .0 and .255). One UDP\n"
           "socket receives every request; a request to a broadcast destination reaches every\n"
           "terminal, one to a terminal's address reaches that terminal, and a SET or reboot\n"
           "reaches the terminal whose ID, model and MAC its request line names. Replies go\n"
           "only to the request's source; in loopback mode requests from outside 127/8 are\n"
           "logged and never answered.\n"
           "\n"
           "On start it prints \"port <port> terminals <count>\" on stdout, then runs until\n"
           "SIGINT or SIGTERM.\n"
           "\n"
           "Fleet:\n"
           "  --terminals N        generated fleet size (default 100)\n"
           "  --models LIST        model mix, CODE[:WEIGHT],... (default "
        + models
        + ",\n"
          "                       equal weights)\n"
          "  --seed N             seed of every generated value, of drops and of jitter\n"
          "                       (default 1)\n"
          "  --fleet-file PATH    read the fleet from PATH instead (format below)\n"
          "  --ip-conflict A:B    terminal B takes terminal A's IP address (repeatable)\n"
          "  --mac-conflict A:B   terminal B takes terminal A's MAC address (repeatable)\n"
          "Network:\n"
          "  --port N             UDP port (default 59137; 0 picks a free port)\n"
          "  --bind ADDR          local address of the socket (default 0.0.0.0)\n"
          "  --first-address A    first loopback terminal address (default 127.1.0.1)\n"
          "  --namespace          namespace mode: terminals answer from the addresses of\n"
          "                       --addresses or the fleet file, which the caller has put\n"
          "                       on an interface; requests from any source are answered\n"
          "  --addresses LIST     terminal addresses, A,B,...: terminal i takes the i-th\n"
          "  --broadcast LIST     destinations that reach every terminal\n"
          "                       (default 255.255.255.255,127.255.255.255)\n"
          "Behaviour (LIST is terminal indices from 0, e.g. 3,7,10-12):\n"
          "  --delay MS           every reply waits MS milliseconds\n"
          "  --jitter MS          plus a uniform 0..MS milliseconds\n"
          "  --drop RATE          share of replies not sent, 0 to 1\n"
          "  --reply-order ORDER  random (default): each reply at a random time within the\n"
          "                       jitter; fixed: in the fleet's order spread over it\n"
          "  --link-rate BITS     replies leave through a link of BITS per second (default\n"
          "                       0: unlimited) ...\n"
          "  --queue-bytes N      ... with a drop-tail queue of N bytes (default 131072)\n"
          "  --answer-400 LIST    these terminals answer \"DBP/1.0 400 Bad\" and apply nothing\n"
          "  --silent LIST        these terminals never answer\n"
          "  --malformed LIST     these terminals answer with faulty replies, in turn: no\n"
          "                       reason word, overlong values, longer than 1024 bytes, an\n"
          "                       embedded zero byte, bare LF line ends, odd values, garbage\n"
          "  --log PATH           append every request received to PATH: a line\n"
          "                       \"=== <n> <source>:<port> -> <destination> <size> bytes\",\n"
          "                       the datagram byte for byte, and a newline\n"
          "  --help               this text\n"
          "\n"
          "Fleet file: one terminal per line; '#' starts a comment. A line is blank-separated\n"
          "key=value items, a value with blanks in double quotes:\n"
          "  id=12 type=NA-100 ip=127.1.0.12 mac=00-12-37-00-00-0C name=Hall-1\n"
          "  type=HS-1 server=127.0.0.1:7900 svcconfig=\"1=7900 2=7901\" behaviour=silent\n"
          "Keys: id type ver mac ip mask gateway server server2 (host:port) dns1 dns2 website\n"
          "usedns autoip mode speed name svcconfig treble bass playvol capturevol, and\n"
          "behaviour (normal, 400, silent, malformed). A key left out takes the value the\n"
          "seed generates for that line; a line without ip gets the next free address.\n"
          "\n"
          "What terminals do: GET answers with all parameters; SET (request line\n"
          "\"ID Type MAC DBP/1.0\") applies ID, MAC, IP, Mask, Gateway, Server, Server2,\n"
          "DNS1, DNS2, Website, UseDNS, AutoIP, Speed, Treble, Bass, SvcConfig (a server\n"
          "port 0 keeps the port); a reboot with code 2 enters Mode \"Upgrade\", code 0\n"
          "returns to \"Normal\"; SETTING applies Treble, Bass, PlayVol, CaptureVol;\n"
          "\"SET DBP/1.0\" applies Server, UpdateAll (Mode \"Upgrade\") and ResetAll (reboot).\n"
          "Every answer is \"DBP/1.0 200 OK\" with the request's CSeq and the parameters\n"
          "after the change.\n";
}
