// The rate files' line format, turned into the board's fixed-size rate table.
// Portable: bytes in, records and a report of what was left out.
//
// A file is code page 936 text, one record per line, fields separated by "|".
// Lines end in LF or CR LF (a CR before the LF is dropped, any other CR is
// text), the last line needs no terminator, and a Ctrl-Z byte ends the text
// as it does for a file read in text mode. A line that is empty or holds a
// ";" anywhere is a comment; every other line is a data row whose first three
// fields are copied as they stand into one record.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

constexpr int RATE_BUFFER_SIZE = 6300;  // 100 records
constexpr int RATE_RECORD_SIZE = 63;    // three slots
constexpr int RATE_FIELD_SIZE = 21;     // 20 bytes and a terminating zero
constexpr int RATE_FIELD_COUNT = 3;
constexpr int MAX_RATE_ROWS = 100;

namespace rates {

enum class SkipReason {
    Empty,        // nothing between two line ends
    Comment,      // holds a ";"
    TableFull,    // a data row after the hundredth: read and dropped
};

// A line that gave no record. Lines are numbered from 1; offset and length
// locate the line's bytes (without its terminator) in the input.
struct SkippedLine {
    int line = 0;
    std::size_t offset = 0;
    std::size_t length = 0;
    SkipReason reason = SkipReason::Empty;
};

// A field of a kept record that did not go into its slot whole: its text
// ended at a NUL byte, or it was longer than 20 bytes and was cut at 20 bytes
// or, so as not to split a double-byte character, at 19.
struct CutField {
    int line = 0;
    int record = 0;           // record number, from 0
    int field = 0;            // 0, 1 or 2
    std::size_t offset = 0;   // the field's bytes in the input
    std::size_t length = 0;   // all of them, up to the next "|" or line end
    int kept = 0;             // bytes stored in the slot
    bool endedAtNul = false;  // a NUL byte ended the field's text
};

struct ParseReport {
    int count = 0;                 // records kept, at most MAX_RATE_ROWS
    int lines = 0;                 // lines read
    std::vector<int> recordLines;  // line of each kept record
    std::vector<SkippedLine> skipped;
    std::vector<CutField> cut;
    // Where a Ctrl-Z byte ended the text; npos when the input ran to its end.
    std::size_t endMarker = std::string::npos;
};

// "empty line", "comment", "table full"
const char* SkipReasonText(SkipReason reason);

// Reads a rate file in pieces of any size, in linear time and with memory
// that does not grow with the length of a line. The table is cleared when
// the parser is made; records are written as their lines end.
class RateParser {
public:
    // table: RATE_BUFFER_SIZE bytes. report may be null.
    RateParser(char* table, ParseReport* report);
    RateParser(const RateParser&) = delete;
    RateParser& operator=(const RateParser&) = delete;

    void Feed(const char* data, std::size_t size);
    // Ends the last line (which needs no terminator); returns the count.
    int Finish();
    int Count() const { return m_count; }

private:
    struct Field {
        char head[RATE_FIELD_SIZE] = {};  // the first 21 bytes of its text
        std::size_t textLength = 0;       // bytes before a NUL
        std::size_t length = 0;           // all bytes
        std::size_t offset = 0;
        bool nul = false;
    };

    void Byte(char c);
    void EndLine();
    void StoreRecord();

    char* m_table;
    ParseReport* m_report;
    int m_count = 0;
    int m_line = 0;
    std::size_t m_offset = 0;      // bytes consumed so far
    std::size_t m_lineStart = 0;
    std::size_t m_lineLength = 0;
    bool m_comment = false;
    bool m_pendingCr = false;      // a CR that an LF may still turn into a line end
    bool m_ended = false;          // Ctrl-Z seen or Finish called
    int m_field = 0;               // field number of the byte being read
    Field m_fields[RATE_FIELD_COUNT];
};

// The whole of a file's bytes at once; returns the count.
int ParseRateText(const char* data, std::size_t size, char* table, ParseReport* report = nullptr);

// Bytes of text kept from a field: all of it when it has at most 20 bytes,
// else 20, or 19 when byte 19 is a GBK lead byte (0x81 to 0xFE) whose
// trail would be cut off. Lead bytes are found walking from the start.
int KeptFieldLength(const char* text, std::size_t length);

// Field k of record i in a filled table: a NUL-terminated string.
inline const char* RateField(const char* table, int record, int field) {
    return table + record * RATE_RECORD_SIZE + field * RATE_FIELD_SIZE;
}

}  // namespace rates
