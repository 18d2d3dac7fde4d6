#include "DbpMessage.h"

#include <cstddef>
#include <cstring>
#include <initializer_list>

// constexpr so that the request buffer bounds below are computed from the
// very formats the builders print.
constexpr const char* const HeaderTable[kHeaderCount] = {
    "CSeq: %d\r\n",           // 0
    "ID: %d\r\n",             // 1
    "Type: %s\r\n",           // 2
    "Ver: %s\r\n",            // 3
    "MAC: %s\r\n",            // 4
    "IP: %s\r\n",             // 5
    "Mask: %s\r\n",           // 6
    "Gateway: %s\r\n",        // 7
    "Server: %[^:]:%d\r\n",   // 8
    "Server: %s:%d\r\n",      // 9
    "Server2: %[^:]:%d\r\n",  // 10
    "Server2: %s:%d\r\n",     // 11
    "DNS1: %s\r\n",           // 12
    "DNS2: %s\r\n",           // 13
    "Website: %[^\r]%s\r\n",  // 14
    "Website: %s\r\n",        // 15
    "UseDNS: %d\r\n",         // 16
    "AutoIP: %d\r\n",         // 17
    "Reboot: %s,%d\r\n",      // 18
    "SN: %s\r\n",             // 19
    "Mode: %s\r\n",           // 20
    "IsBroadcast: %d\r\n",    // 21
    "Speed: %d\r\n",          // 22
    "SvcConfig: %s\r\n",      // 23
    "Name: %s\r\n",           // 24
    "Treble: %d\r\n",         // 25
    "Bass: %d\r\n",           // 26
    "PlayVol: %d\r\n",        // 27
    "CaptureVol: %d\r\n",     // 28
    "UpdateAll: %d\r\n",      // 29
    "ResetAll: %d\r\n",       // 30
    "DBP/1.0 %d %s\r\n",      // 31
    "\r\n",                   // 32
    "%d %s %s DBP/1.0\r\n",   // 33
    "GET DBP/1.0\r\n",        // 34
    "RESET DBP/1.0\r\n",      // 35
    "CHECK DBP/1.0\r\n",      // 36
    "SETTING DBP/1.0\r\n",    // 37
    "SET DBP/1.0\r\n",        // 38
    "HReset",                 // 39
    "SaveReboot",             // 40
    "Update1",                // 41
    "Update2",                // 42
    "UpdateMode",             // 43
};

namespace {

enum Header {
    kCSeq = 0,
    kID,
    kType,
    kVer,
    kMAC,
    kIP,
    kMask,
    kGateway,
    kServerRead,
    kServerWrite,
    kServer2Read,
    kServer2Write,
    kDNS1,
    kDNS2,
    kWebsiteRead,
    kWebsite,
    kUseDNS,
    kAutoIP,
    kRebootArg,
    kSN,
    kMode,
    kIsBroadcast,
    kSpeed,
    kSvcConfig,
    kName,
    kTreble,
    kBass,
    kPlayVol,
    kCaptureVol,
    kUpdateAll,
    kResetAll,
    kStatusLine,
    kLineEnd,
    kRequestLine,
    kGetLine,
    kResetLine,
    kCheckLine,
    kSettingLine,
    kSetLine,
    kHReset,
    kSaveReboot,
    kUpdate1,
    kUpdate2,
    kUpdateMode,
};
static_assert(kUpdateMode == kHeaderCount - 1, "one name per table entry");
static_assert(kStatusLine == kNoHeader, "reply keys are the entries before the status line");

// Used by the reboot and both SETTING requests besides the table.
constexpr const char* kRebootLine = "Reboot: %d\r\n";

// ---------------------------------------------------------------- composing

// Widest printed form of each kind of number, and the longest texts.
constexpr std::size_t kInt32Width = 11;  // "-2147483648"
constexpr std::size_t kUint16Width = 5;  // "65535"
constexpr std::size_t kUint8Width = 3;   // "255"
constexpr std::size_t kInt8Width = 4;    // "-128"
constexpr std::size_t kShortText = sizeof(TerminalParam::Type) - 1;
constexpr std::size_t kLongText = sizeof(TerminalParam::Website) - 1;
static_assert(sizeof(TerminalParam::SvcConfig) - 1 == kLongText, "both long texts share one bound");

// Length of a format printed with arguments of the given widths.
constexpr std::size_t widest(const char* format, std::initializer_list<std::size_t> widths = {})
{
    std::size_t length = 0;
    const std::size_t* width = widths.begin();
    for (; *format; ++format) {
        if (format[0] == '%' && (format[1] == 'd' || format[1] == 's')) {
            length += *width++;
            ++format;
        } else {
            ++length;
        }
    }
    return length;
}

// Sizes of the fixed request buffers, terminator included.
constexpr std::size_t kRequestBufferSize = 512;
constexpr std::size_t kRebootBufferSize = 513;

// A SET holds every text field of the record, so 513 bytes are not enough
// for a record with long texts. This is the longest SET that any record can
// produce: every optional line present, every text at its capacity (31, or 127
// for Website and SvcConfig) and every number at its widest printed form.
constexpr std::size_t kSetBufferSize = widest(HeaderTable[kRequestLine], {kInt32Width, kShortText, kShortText})  //  85
    + widest(HeaderTable[kCSeq], {kUint16Width})                                                                 //  13
    + widest(HeaderTable[kType], {kShortText})                                                                   //  39
    + widest(HeaderTable[kID], {kInt32Width})                                                                    //  17
    + widest(HeaderTable[kMAC], {kShortText})                                                                    //  38
    + widest(HeaderTable[kIP], {kShortText})                                                                     //  37
    + widest(HeaderTable[kMask], {kShortText})                                                                   //  39
    + widest(HeaderTable[kGateway], {kShortText})                                                                //  42
    + widest(HeaderTable[kServerWrite], {kShortText, kUint16Width})                                              //  47
    + widest(HeaderTable[kServer2Write], {kShortText, kUint16Width})                                             //  48
    + widest(HeaderTable[kDNS1], {kShortText})                                                                   //  39
    + widest(HeaderTable[kDNS2], {kShortText})                                                                   //  39
    + widest(HeaderTable[kWebsite], {kLongText})                                                                 // 138
    + widest(HeaderTable[kIsBroadcast], {kUint8Width})                                                           //  18
    + widest(HeaderTable[kSpeed], {kUint16Width})                                                                //  14
    + widest(HeaderTable[kUseDNS], {kUint8Width})                                                                //  13
    + widest(HeaderTable[kAutoIP], {kUint8Width})                                                                //  13
    + widest(HeaderTable[kTreble], {kInt8Width})                                                                 //  14
    + widest(HeaderTable[kBass], {kInt8Width})                                                                   //  12
    + widest(kRebootLine, {kUint8Width})                                                                         //  13
    + widest(HeaderTable[kRebootArg], {widest(HeaderTable[kHReset]), kUint8Width})                               //  20
    + widest(HeaderTable[kSvcConfig], {kLongText})                                                               // 140
    + widest(HeaderTable[kLineEnd])                                                                              //   2
    + 1;  // terminator
static_assert(kSetBufferSize == 881, "the bound quoted in the tests and notes");

// The longest reboot request fits its fixed buffer.
static_assert(widest(HeaderTable[kRequestLine], {kInt32Width, kShortText, kShortText})
            + widest(HeaderTable[kCSeq], {kUint16Width}) + widest(HeaderTable[kType], {kShortText})
            + widest(kRebootLine, {kUint8Width}) + widest(HeaderTable[kLineEnd]) + 1
        <= kRebootBufferSize,
    "reboot request fits");

// Everything of a server-for-all request but the server text itself.
constexpr std::size_t kServerRequestFixed = widest(HeaderTable[kSetLine]) + widest(HeaderTable[kCSeq], {kUint16Width})
    + widest(HeaderTable[kServerWrite], {0, 1}) + widest(HeaderTable[kIsBroadcast], {kUint8Width})
    + widest(HeaderTable[kLineEnd]) + 1;

// One argument of a format: a number for "%d", a text of known length for "%s".
struct Arg {
    bool isText;
    long long number;
    const char* text;
    std::size_t length;
};

Arg number(long long value)
{
    return {false, value, nullptr, 0};
}

Arg text(const char* value)
{
    return {true, 0, value, std::strlen(value)};
}

// A record's text: its last byte is the terminator, so it is never read.
template <std::size_t N> Arg field(const char (&value)[N])
{
    return {true, 0, value, strnlen(value, N - 1)};
}

// Prints table formats into one buffer. Never writes past the buffer; a
// message that does not fit yields no message rather than a cut one.
class Composer {
public:
    explicit Composer(std::size_t capacity)
        : buffer_(new char[capacity])
        , capacity_(capacity)
    {
    }

    void add(const char* format, std::initializer_list<Arg> args = {})
    {
        const Arg* arg = args.begin();
        for (; *format && fits_; ++format) {
            if (format[0] == '%' && (format[1] == 'd' || format[1] == 's')) {
                const bool wantText = format[1] == 's';
                ++format;
                if (arg == args.end() || arg->isText != wantText) {
                    fits_ = false;
                } else if (wantText) {
                    put(arg->text, arg->length);
                } else {
                    putNumber(arg->number);
                }
                ++arg;
            } else {
                put(format, 1);
            }
        }
    }

    DbpRequest finish()
    {
        if (!fits_)
            return nullptr;
        buffer_[length_] = '\0';
        return std::move(buffer_);
    }

private:
    void put(const char* bytes, std::size_t count)
    {
        if (count >= capacity_ - length_) {  // keeps room for the terminator
            fits_ = false;
            return;
        }
        std::memcpy(buffer_.get() + length_, bytes, count);
        length_ += count;
    }

    void putNumber(long long value)
    {
        char digits[24];
        std::size_t start = sizeof digits;
        unsigned long long magnitude
            = value < 0 ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
        do {
            digits[--start] = static_cast<char>('0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0)
            digits[--start] = '-';
        put(digits + start, sizeof digits - start);
    }

    DbpRequest buffer_;
    std::size_t capacity_;
    std::size_t length_ = 0;
    bool fits_ = true;
};

// The three requests to all terminals differ only in their one header line.
DbpRequest buildSetAll(Header header, uint16_t cseq, uint8_t isBroadcast)
{
    Composer c(kRequestBufferSize);
    c.add(HeaderTable[kSetLine]);
    c.add(HeaderTable[kCSeq], {number(cseq)});
    c.add(HeaderTable[header], {number(1)});
    c.add(HeaderTable[kIsBroadcast], {number(isBroadcast)});
    c.add(HeaderTable[kLineEnd]);
    return c.finish();
}

// ------------------------------------------------------------------ reading
//
// Values are read the way scanf's "%d", "%s" and "%[^:]" read them, with two
// bounds of our own: a value never reaches past its line (CR or LF end it,
// so a missing value is never taken from the next line), and a text longer
// than its field is cut to fit.

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

bool isWordEnd(char c)
{
    return c == '\0' || isBlank(c) || isLineEnd(c);
}

const char* skipBlanks(const char* s)
{
    while (isBlank(*s))
        ++s;
    return s;
}

// Optional sign and decimal digits after any blanks; returns the end of the
// number, or null when there is none. A number too wide for 32 bits keeps
// its low 32 bits, the same rule that the narrower fields follow.
const char* readNumber(const char* s, int32_t* value)
{
    s = skipBlanks(s);
    const bool negative = *s == '-';
    if (*s == '-' || *s == '+')
        ++s;
    if (*s < '0' || *s > '9')
        return nullptr;
    uint32_t magnitude = 0;
    for (; *s >= '0' && *s <= '9'; ++s)
        magnitude = magnitude * 10u + static_cast<uint32_t>(*s - '0');
    *value = static_cast<int32_t>(negative ? 0u - magnitude : magnitude);
    return s;
}

// Copies at most N - 1 bytes and terminates; the rest is dropped.
template <std::size_t N> void store(char (&field)[N], const char* from, std::size_t length)
{
    if (length > N - 1)
        length = N - 1;
    std::memcpy(field, from, length);
    field[length] = '\0';
}

// The first whitespace-free word after any blanks; an empty value leaves the
// field as it was.
template <std::size_t N> void readWord(const char* s, char (&field)[N])
{
    s = skipBlanks(s);
    std::size_t length = 0;
    while (!isWordEnd(s[length]))
        ++length;
    if (length > 0)
        store(field, s, length);
}

// "host:port": the host runs to the first ':' of the line (blanks included);
// both parts must be there for the line to count.
template <std::size_t N> void readServer(const char* s, char (&host)[N], uint16_t* port)
{
    s = skipBlanks(s);
    std::size_t length = 0;
    while (s[length] != ':' && s[length] != '\0' && !isLineEnd(s[length]))
        ++length;
    int32_t value = 0;
    if (length == 0 || s[length] != ':' || !readNumber(s + length + 1, &value))
        return;
    store(host, s, length);
    *port = static_cast<uint16_t>(value);
}

// Everything after the key's colon (the line's first ':') up to the line's
// CR LF, verbatim; a line without CR LF gives nothing.
void readServiceConfig(const char* value, TerminalParam* reply)
{
    reply->SvcConfig[0] = '\0';
    if (const char* end = std::strstr(value, HeaderTable[kLineEnd]))
        store(reply->SvcConfig, value, static_cast<std::size_t>(end - value));
}

void readWebsite(const char* line, const char* value, TerminalParam* reply)
{
    // Read only from a line longer than ten characters whose character after
    // "Website: " is not CR.
    constexpr std::size_t kPrefix = 9;
    if (strnlen(line, kPrefix + 2) > kPrefix + 1 && line[kPrefix] != '\r')
        readWord(value, reply->Website);
}

int8_t lowByte(int32_t value)
{
    return static_cast<int8_t>(value);
}

// A reply line is matched on its entry's text before the first blank ("CSeq:").
std::size_t keyLength(const char* entry)
{
    return static_cast<std::size_t>(std::strchr(entry, ' ') - entry);
}

void applyHeader(int header, const char* line, TerminalParam* r)
{
    const char* value = line + keyLength(HeaderTable[header]);
    int32_t n = 0;
    switch (header) {
    case kCSeq:
        if (readNumber(value, &n))
            r->CSeq = static_cast<uint16_t>(n);
        break;
    case kID:
        if (readNumber(value, &n))
            r->ID = n;
        break;
    case kType:
        readWord(value, r->Type);
        break;
    case kVer:
        readWord(value, r->Ver);
        break;
    case kMAC:
        readWord(value, r->MAC);
        break;
    case kIP:
        readWord(value, r->IP);
        break;
    case kMask:
        readWord(value, r->Mask);
        break;
    case kGateway:
        readWord(value, r->Gateway);
        break;
    case kServerRead:
        readServer(value, r->Server, &r->ServerPort);
        break;
    case kServer2Read:
        readServer(value, r->Server2, &r->Server2Port);
        break;
    case kDNS1:
        readWord(value, r->DNS1);
        break;
    case kDNS2:
        readWord(value, r->DNS2);
        break;
    case kWebsiteRead:
    case kWebsite:
        readWebsite(line, value, r);
        break;
    case kUseDNS:
        if (readNumber(value, &n))
            r->UseDNS = n != 0;
        break;
    case kAutoIP:
        if (readNumber(value, &n))
            r->AutoIP = n != 0;
        break;
    case kMode:
        readWord(value, r->Mode);
        break;
    case kSpeed:
        if (readNumber(value, &n)) {
            const uint16_t speed = static_cast<uint16_t>(n);
            r->Speed = (speed == 0 || speed == 10 || speed == 100) ? speed : 0;
        }
        break;
    case kSvcConfig:
        readServiceConfig(value, r);
        break;
    case kName:
        store(r->Name, "--", 2);
        readWord(value, r->Name);
        break;
    case kTreble:
        if (readNumber(value, &n))
            r->Treble = lowByte(n);
        break;
    case kBass:
        if (readNumber(value, &n))
            r->Bass = lowByte(n);
        break;
    case kPlayVol:
        if (readNumber(value, &n))
            r->PlayVol = lowByte(n);
        break;
    case kCaptureVol:
        if (readNumber(value, &n))
            r->CaptureVol = lowByte(n);
        break;
    default:  // Reboot, SN, IsBroadcast, UpdateAll, ResetAll: known, not kept
        break;
    }
}

// "DBP/1.0 %d %s": the code and a reason word, both on the status line.
bool readStatusLine(const char* text, int32_t* code)
{
    static constexpr char kVersion[] = "DBP/1.0";
    if (std::strncmp(text, kVersion, sizeof kVersion - 1) != 0)
        return false;
    const char* s = readNumber(text + sizeof kVersion - 1, code);
    return s && !isWordEnd(*skipBlanks(s));
}

}  // namespace

// ------------------------------------------------------------------ builders

DbpRequest BuildGetRequest(uint16_t cseq, uint8_t isBroadcast)
{
    Composer c(kRequestBufferSize);
    c.add(HeaderTable[kGetLine]);
    c.add(HeaderTable[kCSeq], {number(cseq)});
    c.add(HeaderTable[kIsBroadcast], {number(isBroadcast)});
    c.add(HeaderTable[kLineEnd]);
    return c.finish();
}

DbpRequest BuildSetRequest(const TerminalParam* p)
{
    if (!p)
        return nullptr;
    Composer c(kSetBufferSize);
    c.add(HeaderTable[kRequestLine], {number(p->ID), field(p->Type), field(p->OldMAC)});
    c.add(HeaderTable[kCSeq], {number(p->CSeq)});
    c.add(HeaderTable[kType], {field(p->Type)});
    c.add(HeaderTable[kID], {number(p->NewID)});
    if (p->MAC[0])
        c.add(HeaderTable[kMAC], {field(p->MAC)});
    if (p->IP[0])
        c.add(HeaderTable[kIP], {field(p->IP)});
    if (p->Mask[0])
        c.add(HeaderTable[kMask], {field(p->Mask)});
    if (p->Gateway[0])
        c.add(HeaderTable[kGateway], {field(p->Gateway)});
    if (p->Server[0])
        c.add(HeaderTable[kServerWrite], {field(p->Server), number(p->ServerPort)});
    // The second server line is always sent; without a second server it
    // repeats the first one.
    if (p->Server2[0])
        c.add(HeaderTable[kServer2Write], {field(p->Server2), number(p->Server2Port)});
    else
        c.add(HeaderTable[kServer2Write], {field(p->Server), number(p->ServerPort)});
    if (p->DNS1[0])
        c.add(HeaderTable[kDNS1], {field(p->DNS1)});
    if (p->DNS2[0])
        c.add(HeaderTable[kDNS2], {field(p->DNS2)});
    if (p->Website[0])
        c.add(HeaderTable[kWebsite], {field(p->Website)});
    c.add(HeaderTable[kIsBroadcast], {number(p->IsBroadcast)});
    c.add(HeaderTable[kSpeed], {number(p->Speed)});
    c.add(HeaderTable[kUseDNS], {number(p->UseDNS)});
    c.add(HeaderTable[kAutoIP], {number(p->AutoIP)});
    c.add(HeaderTable[kTreble], {number(p->Treble)});
    c.add(HeaderTable[kBass], {number(p->Bass)});
    c.add(kRebootLine, {number(p->Reboot)});
    c.add(HeaderTable[kRebootArg], {text(HeaderTable[kHReset]), number(p->Reboot)});
    if (p->SvcConfig[0])
        c.add(HeaderTable[kSvcConfig], {field(p->SvcConfig)});
    c.add(HeaderTable[kLineEnd]);
    return c.finish();
}

DbpRequest BuildRebootRequest(const TerminalParam* p, uint8_t code)
{
    if (!p)
        return nullptr;
    Composer c(kRebootBufferSize);
    c.add(HeaderTable[kRequestLine], {number(p->ID), field(p->Type), field(p->MAC)});
    c.add(HeaderTable[kCSeq], {number(p->CSeq)});
    c.add(HeaderTable[kType], {field(p->Type)});
    c.add(kRebootLine, {number(code)});
    c.add(HeaderTable[kLineEnd]);
    return c.finish();
}

DbpRequest BuildResetAllRequest(uint16_t cseq, uint8_t isBroadcast)
{
    return buildSetAll(kResetAll, cseq, isBroadcast);
}

DbpRequest BuildServerRequest(const char* server, uint16_t cseq, uint8_t isBroadcast)
{
    if (!server)
        return nullptr;
    // The server text is the user's, of any length: the buffer is sized for it.
    Composer c(kServerRequestFixed + std::strlen(server));
    c.add(HeaderTable[kSetLine]);
    c.add(HeaderTable[kCSeq], {number(cseq)});
    c.add(HeaderTable[kServerWrite], {text(server), number(0)});
    c.add(HeaderTable[kIsBroadcast], {number(isBroadcast)});
    c.add(HeaderTable[kLineEnd]);
    return c.finish();
}

DbpRequest BuildUpdateAllRequest(uint16_t cseq, uint8_t isBroadcast)
{
    return buildSetAll(kUpdateAll, cseq, isBroadcast);
}

DbpRequest BuildToneRequest(uint16_t cseq, int8_t treble, int8_t bass, int8_t playVol)
{
    Composer c(kRequestBufferSize);
    c.add(HeaderTable[kSettingLine]);
    c.add(HeaderTable[kCSeq], {number(cseq)});
    c.add(HeaderTable[kTreble], {number(treble)});
    c.add(HeaderTable[kBass], {number(bass)});
    c.add(HeaderTable[kPlayVol], {number(playVol)});
    c.add(kRebootLine, {number(5)});
    c.add(HeaderTable[kLineEnd]);
    return c.finish();
}

DbpRequest BuildVolumeRequest(uint16_t cseq, int8_t playVol, int8_t captureVol)
{
    Composer c(kRequestBufferSize);
    c.add(HeaderTable[kSettingLine]);
    c.add(HeaderTable[kCSeq], {number(cseq)});
    c.add(HeaderTable[kPlayVol], {number(playVol)});
    c.add(HeaderTable[kCaptureVol], {number(captureVol)});
    c.add(kRebootLine, {number(5)});
    c.add(HeaderTable[kLineEnd]);
    return c.finish();
}

// -------------------------------------------------------------------- reader

int FindHeader(const char* line)
{
    if (!line)
        return kNoHeader;
    for (int i = 0; i < kNoHeader; ++i) {
        if (std::strncmp(line, HeaderTable[i], keyLength(HeaderTable[i])) == 0)
            return i;
    }
    return kNoHeader;
}

int ParseReply(const char* text, TerminalParam* reply)
{
    int32_t code = 0;
    if (!text || !reply || !readStatusLine(text, &code))
        return 0;
    const char* lineEnd = HeaderTable[kLineEnd];
    for (const char* end = std::strstr(text, lineEnd); end; end = std::strstr(end + 2, lineEnd)) {
        const char* line = end + 2;
        const int header = FindHeader(line);
        if (header != kNoHeader && (code != 400 || header == kCSeq))
            applyHeader(header, line, reply);
    }
    return code == 400 ? 400 : 200;
}
