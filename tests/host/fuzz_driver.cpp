// Random-input driver for the fuzz targets when libFuzzer is not at hand
// (g++). Deterministic: the same count and seed give the same inputs.
//
//   fuzz_target N [SEED]   runs N inputs, or as many as fit in 15 seconds.
//
// Inputs are of three kinds: raw random bytes; sequences of tokens from the
// program's text (separators, line ends, GBK characters, lone lead bytes,
// NUL, Ctrl-Z, a UTF-8 byte-order mark, digits) and from the target's own
// dictionary; and such sequences with a few bytes flipped. Lengths are
// mostly short, now and then up to 64 KB.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
// A target may name tokens of its own input format (markers, keywords).
extern "C" __attribute__((weak)) const char* const* FuzzDictionary(size_t* count);

namespace {

const char* const kTokens[] = {
    "|", "||", ";", "\n", "\r", "\r\n", "\n\n", "\0", "\x1a", " ", "\t", ",", "/", "^", "*", ".", "-",
    "0", "1", "9", "100", "718.25", "-3", "abc", "Loading",
    "\xb0\xa1",               // GBK 啊
    "\xd6\xd0",               // GBK 中
    "\x81\x40", "\xfe\xfe",   // GBK edges
    "\x81", "\xfe", "\x80", "\xff", "\xa1",  // lone lead and stray high bytes
    "\xb1\xea\xd7\xbc\xbc\xe4",              // 标准间
    "\xef\xbb\xbf",                          // UTF-8 byte-order mark
    "\xe7\xbe\x8e\xe5\x85\x83",              // 美元 in UTF-8
    "\xe2\x84\x83",                          // ℃ in UTF-8
};

// All tokens, "\0" as one NUL byte rather than an empty string.
std::vector<std::string> AllTokens(const std::vector<std::string>& extra) {
    std::vector<std::string> all;
    for (const char* t : kTokens) all.push_back(t[0] == '\0' ? std::string(1, '\0') : std::string(t));
    all.insert(all.end(), extra.begin(), extra.end());
    return all;
}

// A few tokens for one input: with all of them at once, an end-of-text byte
// or a comment mark would turn up in nearly every line.
std::vector<std::string> Palette(std::mt19937& rng, const std::vector<std::string>& all) {
    std::vector<std::string> palette;
    const int size = std::uniform_int_distribution<int>(2, 10)(rng);
    std::uniform_int_distribution<size_t> pick(0, all.size() - 1);
    for (int i = 0; i < size; ++i) palette.push_back(all[pick(rng)]);
    return palette;
}

const std::string& Token(std::mt19937& rng, const std::vector<std::string>& palette) {
    return palette[std::uniform_int_distribution<size_t>(0, palette.size() - 1)(rng)];
}

size_t Length(std::mt19937& rng) {
    const int bucket = std::uniform_int_distribution<int>(0, 99)(rng);
    const size_t limit = bucket < 60 ? 64 : bucket < 90 ? 512 : bucket < 99 ? 4096 : 65536;
    return std::uniform_int_distribution<size_t>(0, limit)(rng);
}

}  // namespace

int main(int argc, char** argv) {
    const long runs = argc > 1 ? std::atol(argv[1]) : 10000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 1u;
    std::mt19937 rng(seed);
    std::vector<std::string> extra;
    if (FuzzDictionary) {
        size_t count = 0;
        const char* const* words = FuzzDictionary(&count);
        for (size_t i = 0; words && i < count; ++i) extra.emplace_back(words[i]);
    }

    const std::vector<std::string> all = AllTokens(extra);
    const auto start = std::chrono::steady_clock::now();
    long done = 0;
    std::string input;
    for (; done < runs; ++done) {
        if ((done & 255) == 0 && std::chrono::steady_clock::now() - start > std::chrono::seconds(15)) break;
        const size_t length = Length(rng);
        const int kind = std::uniform_int_distribution<int>(0, 9)(rng);
        const std::vector<std::string> palette = Palette(rng, all);
        input.clear();
        if (kind < 2) {
            std::uniform_int_distribution<int> byte(0, 255);
            while (input.size() < length) input += static_cast<char>(byte(rng));
        } else if (kind < 5) {
            // Many short lines, so that limits on lines and records are reached.
            std::uniform_int_distribution<int> tokens(0, 6);
            while (input.size() < length * 4) {
                for (int i = tokens(rng); i > 0; --i) input += Token(rng, palette);
                input += (rng() & 1) ? "\r\n" : "\n";
            }
        } else {
            while (input.size() < length) input += Token(rng, palette);
            if (kind == 9 && !input.empty()) {
                std::uniform_int_distribution<size_t> at(0, input.size() - 1);
                for (int i = 0; i < 4; ++i) input[at(rng)] ^= static_cast<char>(1 << (rng() % 8));
            }
        }
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    }
    std::printf("%ld inputs, seed %u\n", done, seed);
    return 0;
}
