// The about box: product, version, what the board does, where the weather
// comes from and the digit font's licence. Modal over the settings dialog.
#pragma once
#include "framework/Afx.h"

class AboutBox : public CDialog {
public:
    explicit AboutBox(CWnd* parent = nullptr);
};
