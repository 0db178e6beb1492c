// The settings dialog: the program's main window. It owns the core library
// instance, the rate buffers and the board, loads config.ini at its start and
// saves it at its end.
#pragma once
#include <memory>

#include "framework/Afx.h"
#include "res/resource.h"

class CCore;

class SettingsDialog : public CDialog {
public:
    explicit SettingsDialog(CWnd* parent = nullptr);
    ~SettingsDialog() override;

    // Takes the controls into the settings variables; with validate, checks
    // the size and reloads the rate files. FALSE after a rejected size.
    BOOL CollectSettings(BOOL validate);
    // Hides the board, or sizes the text, collects with validation and
    // places the board.
    void ApplyOutput();

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

private:
    void LoadSettings();
    void SaveSettings();
    void OnDestroy();

    HICON m_hIcon = nullptr;  // shared resource icon, not destroyed
    std::unique_ptr<CCore> m_core;
};
