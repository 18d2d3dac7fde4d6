#include "LoopbackSocket.h"

std::string headerValue(const std::string& message, const std::string& key)
{
    const std::string line = "\r\n" + key + ": ";
    const size_t at = message.find(line);
    if (at == std::string::npos)
        return std::string();
    const size_t start = at + line.size();
    return message.substr(start, message.find("\r\n", start) - start);
}
