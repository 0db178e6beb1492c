// A name or a sentence for whoever looks after the PC, as boardcheck prints
// it: in Chinese (code page 936), and in English for `boardcheck --en`.
#pragma once

struct Bilingual {
    const char* zh;
    const char* en;
};
