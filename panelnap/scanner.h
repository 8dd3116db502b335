// Forward-only cursor over one NUL-terminated text, used to pick keys and
// values out of profile lines. It never copies or owns the text.
#ifndef PANELNAP_SCANNER_H
#define PANELNAP_SCANNER_H

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

// printf-style rendering into a string; output beyond 1023 characters is cut.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

class scanner {
public:
    // Whitespace between the tokens of a profile line.
    static constexpr const char* spacechar = " \r\n\t";

    explicit scanner(const char* text) : text(text), pos(0) {}

    bool eof() const { return text[pos] == '\0'; }

    void assertNotEof() const {
        if (eof()) throw std::logic_error(format("config file format error:unexpected eof\r\n"));
    }

    char peek() const {
        assertNotEof();
        return text[pos];
    }

    char getChar() {
        assertNotEof();
        return text[pos++];
    }

    void skipspace(const char* set) {
        while (!eof() && belongs(peek(), set)) getChar();
    }

    // True when it stopped on a character of set, false at the end.
    bool goUntilNot(const char* set) {
        while (!eof() && !belongs(peek(), set)) getChar();
        return !eof();
    }

    // Leaves the scanner on c without consuming it; false at the end.
    bool goUntil(char c) {
        while (!eof() && peek() != c) ++pos;
        return text[pos] == c;
    }

    std::string getToken(const char* set) {
        skipspace(set);
        const std::int32_t start = pos;
        goUntilNot(set);
        return std::string(text + start, static_cast<std::size_t>(pos - start));
    }

private:
    // Never asked for the NUL: every caller tests for the end first.
    static bool belongs(char c, const char* set) { return std::strchr(set, c) != nullptr; }

    const char* text;
    std::int32_t pos;
};

#endif
