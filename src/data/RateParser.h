// The rate files' line format, turned into the board's fixed-size rate table.
// Portable: bytes in, records out.
//
// A file is code page 936 text, one record per line, fields separated by "|".
// Lines end in CR LF, LF or a CR alone (old Mac editors and some export
// tools write that), the last line needs no terminator, and a Ctrl-Z byte
// ends the text as it does for a file read in text mode. A line that is
// empty or holds a ";" anywhere is a comment; every other line is a data row
// whose first three fields are copied as they stand into one record. A "|"
// that is the second byte of a double-byte character (as in 東 or 億)
// belongs to that character.
#pragma once
#include <cstddef>
#include <functional>

constexpr int RATE_BUFFER_SIZE = 6300;  // 100 records
constexpr int RATE_RECORD_SIZE = 63;    // three slots
constexpr int RATE_FIELD_SIZE = 21;     // 20 bytes and a terminating zero
constexpr int RATE_FIELD_COUNT = 3;
constexpr int MAX_RATE_ROWS = 100;

namespace rates {

// What became of one line, for whoever checks a file by hand.
enum class LineKind { Empty, Comment, Record, TableFull };
struct LineNote {
    int line = 0;  // from 1
    LineKind kind = LineKind::Empty;
    int record = -1;                         // a Record's number, from 0
    std::size_t length[RATE_FIELD_COUNT]{};  // a Record's field sizes in the file
    int kept[RATE_FIELD_COUNT]{};            // and the bytes of each that fit its slot
};

// Reads a rate file in pieces of any size, in linear time and with memory
// that does not grow with the length of a line. The table is cleared when
// the parser is made; records are written as their lines end.
class RateParser {
public:
    using Observer = std::function<void(const LineNote&)>;
    // table: RATE_BUFFER_SIZE bytes. The observer, if any, hears of every line.
    explicit RateParser(char* table, Observer observer = nullptr);
    RateParser(const RateParser&) = delete;
    RateParser& operator=(const RateParser&) = delete;

    void Feed(const char* data, std::size_t size);
    // Ends the last line (which needs no terminator); returns the count.
    int Finish();
    bool EndedAtCtrlZ() const { return m_ctrlZ; }

private:
    void Byte(char c);
    void EndLine();

    char* m_table;
    Observer m_observer;
    int m_count = 0;
    LineNote m_note;
    std::size_t m_lineLength = 0;
    bool m_comment = false;
    bool m_afterCr = false;    // a line just ended at a CR: an LF next belongs to it
    bool m_trailNext = false;  // the next byte is the second byte of a character
    bool m_nul[RATE_FIELD_COUNT]{};          // a NUL byte ended that field's text
    std::size_t m_text[RATE_FIELD_COUNT]{};  // bytes of each field before a NUL
    bool m_ended = false;
    bool m_ctrlZ = false;
    int m_field = 0;  // field number of the byte being read
    char m_head[RATE_FIELD_COUNT][RATE_FIELD_SIZE]{};  // the first 21 bytes of each field's text
};

// The whole of a file's bytes at once; returns the count.
int ParseRateText(const char* data, std::size_t size, char* table);

// Bytes of text kept from a field: all of it when it has at most 20 bytes,
// else 20, or 19 when byte 19 is a GBK lead byte (0x81 to 0xFE) whose
// trail would be cut off. Lead bytes are found walking from the start.
int KeptFieldLength(const char* text, std::size_t length);

// Field k of record i in a filled table: a NUL-terminated string.
inline const char* RateField(const char* table, int record, int field) {
    return table + record * RATE_RECORD_SIZE + field * RATE_FIELD_SIZE;
}

}  // namespace rates
