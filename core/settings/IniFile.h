// INI files with the behaviour of the Windows private-profile functions, for
// the settings file: section and key names match without regard to ASCII
// case, the first match wins, blanks (space, tab) around key names and
// values are ignored, and values are stored exactly as given, without
// quoting or escaping. A write changes only the line of its key; every other
// byte of the file, comments and unknown entries included, stays as it was.
//
// Lines: "[name]" opens a section; a first non-blank ';' or '#' marks a
// comment; "key=value" (split at the first '=') is a key of the section
// above it. Anything else, and keys before the first section, are kept but
// never read. A UTF-8 byte order mark before the first line is ignored.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// A read delivers at most this many characters, as the profile functions
// do with their 1024-byte buffer.
inline constexpr std::size_t IniValueLimit = 1023;

// The text of one INI file, line by line, each line keeping its own ending.
class IniDocument {
public:
    // An empty document; new lines end in newLine.
    explicit IniDocument(std::string newLine = DefaultNewLine);
    // The lines of text. New lines take the ending of the first line that
    // has one, so that a CRLF file stays CRLF.
    static IniDocument FromText(std::string_view text);

    // The value of key in section, blanks around it removed; none when the
    // section or key is missing.
    std::optional<std::string> Value(std::string_view section, std::string_view key) const;

    // Rewrites the line of key, keeping its text up to the value; a new key
    // goes right after the last line of its section that is neither blank
    // nor a comment (blank lines and comments that end a section usually
    // belong to the next one); a new section goes at the end. Raises
    // Exception for names and values that a line cannot hold (line breaks,
    // empty names, '=' in a key, ']' in a section, a leading ';', '#' or '[').
    void SetValue(std::string_view section, std::string_view key, std::string_view value);

    std::string Text() const;

#ifdef _WIN32
    static constexpr const char* DefaultNewLine = "\r\n";
#else
    static constexpr const char* DefaultNewLine = "\n";
#endif

private:
    struct Line {
        std::string content;  // without its ending
        std::string ending;   // "\n", "\r\n" or empty for a last line without one
    };

    std::string byteOrderMark_;  // kept apart so that it never hides the first line
    std::vector<Line> lines_;
    std::string newLine_;
};

// The document of the file at path; a missing file is an empty document.
// Any other failure raises (EInOutError from the file layer), so that a
// write never replaces a file it could not read.
IniDocument LoadIniFile(const std::string& path);

// Like GetPrivateProfileString: the value of key in section, or defaultText
// when the file, section or key is missing or the file cannot be read; cut
// to IniValueLimit characters.
std::string ReadIniString(const std::string& path, std::string_view section, std::string_view key,
                          std::string_view defaultText);

// Like WritePrivateProfileString: sets key in section, creating the file and
// section as needed. The whole file is replaced at once (temporary file,
// flush, rename), so a failure leaves the old file as it was; a symbolic link
// is followed and the file's permissions are kept. Raises on any failure.
void WriteIniString(const std::string& path, std::string_view section, std::string_view key,
                    std::string_view value);

}  // namespace tessel
