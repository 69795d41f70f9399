#include "text/TerminalName.h"

#include <cstdint>

namespace tessel {

namespace {

// The length of the valid UTF-8 sequence at text[at], or 0 when the byte
// there starts none (a stray continuation byte, an overlong form, a
// surrogate, a code point past U+10FFFF, a sequence cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t at)
{
    const auto byte = [&](std::size_t k) { return static_cast<uint8_t>(text[at + k]); };
    const uint8_t lead = byte(0);
    std::size_t length = 0;
    uint8_t secondLow = 0x80, secondHigh = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            secondLow = 0xA0;  // shorter forms are overlong
        if (lead == 0xED)
            secondHigh = 0x9F;  // U+D800 to U+DFFF are surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            secondLow = 0x90;
        if (lead == 0xF4)
            secondHigh = 0x8F;  // nothing past U+10FFFF
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(1) < secondLow || byte(1) > secondHigh)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(k) < 0x80 || byte(k) > 0xBF)
            return 0;
    return length;
}

bool IsControl(uint8_t byte) { return byte < 0x20 || byte == 0x7F; }

// U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F in UTF-8.
bool IsC1Control(std::string_view text, std::size_t at)
{
    return static_cast<uint8_t>(text[at]) == 0xC2 && static_cast<uint8_t>(text[at + 1]) <= 0x9F;
}

bool NeedsEscapes(std::string_view name)
{
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = Utf8SequenceLength(name, at);
        if (length == 0 || (length == 1 && IsControl(static_cast<uint8_t>(name[at]))) ||
            (length == 2 && IsC1Control(name, at)))
            return true;
        at += length;
    }
    return false;
}

void AppendOctal(std::string& out, uint8_t byte)
{
    out += '\\';
    out += static_cast<char>('0' + (byte >> 6));
    out += static_cast<char>('0' + ((byte >> 3) & 7));
    out += static_cast<char>('0' + (byte & 7));
}

void AppendEscapedByte(std::string& out, char c)
{
    switch (c) {
    case '\a': out += "\\a"; break;
    case '\b': out += "\\b"; break;
    case '\t': out += "\\t"; break;
    case '\n': out += "\\n"; break;
    case '\v': out += "\\v"; break;
    case '\f': out += "\\f"; break;
    case '\r': out += "\\r"; break;
    case '\\': out += "\\\\"; break;
    case '"': out += "\\\""; break;
    default:
        if (IsControl(static_cast<uint8_t>(c)))
            AppendOctal(out, static_cast<uint8_t>(c));
        else
            out += c;
    }
}

}  // namespace

std::string QuotedTerminalName(std::string_view name)
{
    std::string out = "\"";
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t length = Utf8SequenceLength(name, at);
        const std::size_t step = length == 0 ? 1 : length;  // a stray byte goes alone
        if (length == 1) {
            AppendEscapedByte(out, name[at]);
        } else if (length == 0 || IsC1Control(name, at)) {
            for (std::size_t k = 0; k < step; ++k)
                AppendOctal(out, static_cast<uint8_t>(name[at + k]));
        } else {
            out.append(name, at, length);
        }
        at += step;
    }
    out += '"';
    return out;
}

std::string TerminalName(std::string_view name)
{
    return NeedsEscapes(name) ? QuotedTerminalName(name) : std::string(name);
}

}  // namespace tessel
