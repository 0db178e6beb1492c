// A rate file's bytes in whatever encoding Notepad saved them, read once into
// the board's rate table. Portable: the one step that needs the system, from
// UTF-16 to code page 936, is handed in.
//
// Which encoding a file is in:
//  1. A byte-order mark decides: EF BB BF is UTF-8, FF FE UTF-16 LE, FE FF
//     UTF-16 BE (Notepad's "UTF-8 with BOM", "Unicode" and "Unicode big
//     endian").
//  2. Without one, the file is UTF-8 when it is valid UTF-8 from its first
//     byte to its last and at least half of its multi-byte characters are
//     three or four bytes long.
//  3. Everything else is code page 936, byte for byte. (Plain ASCII reads the
//     same either way and is reported as code page 936.)
// Why rule 2 holds: a Chinese character takes three bytes in UTF-8 (€ three,
// an emoji four), so UTF-8 rate files are mostly three-byte sequences. GBK
// text is valid UTF-8 only by chance: about 930 common characters (欧 元 楼
// 路 平 千 前 全 …) have a lead byte C2 to DF and a trail byte 80 to BF, which
// UTF-8 reads as one two-byte letter (Latin with accents, Greek, Cyrillic),
// and a file made only of those is valid UTF-8 through and through. So a
// file of mostly two-byte sequences is GBK. The price: a UTF-8 file whose
// only non-ASCII characters are two-byte letters and that holds no Chinese
// at all ("Café|1|2") is read as GBK; saving it with the mark reads it right.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "data/RateParser.h"

// How a rate file's bytes were taken; Unread when the file could not be read.
enum class RateEncoding { Unread, CodePage936, Utf8, Utf16LE, Utf16BE };

namespace rates {

// UTF-16 code units to code page 936 bytes, one "?" for each character code
// page 936 lacks. Called with whole characters only: a surrogate pair is
// never split between two calls.
using WideTo936 = std::function<std::string(const char16_t* text, std::size_t length)>;

// Reads a file fed in pieces of any size, once: the encoding and the records
// come from the same bytes. While the encoding is still open, the bytes are
// parsed both as code page 936 and as UTF-8 into two tables, and Finish keeps
// the one the rule above picks. Memory stays fixed whatever the file's size,
// save for the line notes when they are kept.
class RateTextReader {
public:
    RateTextReader(WideTo936 narrow, bool keepNotes);
    RateTextReader(const RateTextReader&) = delete;
    RateTextReader& operator=(const RateTextReader&) = delete;

    void Feed(const char* data, std::size_t size);
    // Ends the file and decides. Table, Count and Notes are then the chosen
    // reading's (Notes is empty unless they were kept).
    RateEncoding Finish();
    const char* Table() const { return Chosen().table.data(); }
    int Count() const { return Chosen().count; }
    const std::vector<LineNote>& Notes() const { return Chosen().notes; }

private:
    struct Lane {
        explicit Lane(bool keepNotes);
        std::vector<char> table;
        std::vector<LineNote> notes;
        RateParser parser;
        int count = 0;
    };
    enum class Mode { Head, Sniff, Utf8, Utf16LE, Utf16BE };

    void Start();  // the mark is known: pick the mode, take the head
    void Take(const char* data, std::size_t size);
    void Utf8Byte(unsigned char b);
    void EndUtf8Sequence(bool complete);
    void Utf16Byte(unsigned char b);
    void Emit(char32_t c);
    void Flush(bool atEnd);
    const Lane& Chosen() const { return m_chosenBytes ? m_bytes : m_text; }

    WideTo936 m_narrow;
    Lane m_bytes;  // code page 936, byte for byte
    Lane m_text;   // converted from UTF-8 or UTF-16
    Mode m_mode = Mode::Head;
    std::string m_head;  // the first bytes, until the mark is known
    std::u16string m_wide;
    bool m_chosenBytes = true;
    // UTF-8: the character being read, its bytes so far and still to come,
    // the range its next byte must fall in, and what the file held so far.
    char32_t m_code = 0;
    int m_have = 0, m_need = 0;
    unsigned char m_low = 0x80, m_high = 0xBF;
    bool m_valid = true;
    std::size_t m_twoByte = 0, m_longer = 0;
    // UTF-16: the first byte of a code unit.
    int m_oddByte = -1;
};

}  // namespace rates
