// The settings dialog: the program's main window. It owns the core library
// instance, the two rate buffers and the board, loads config.ini at its start
// and saves it at its end; its buttons reload the rate files and place, hide
// or redraw the board.
#pragma once
#include <memory>
#include <utility>
#include <vector>

#include "controls/ColourPicker.h"
#include "framework/Afx.h"
#include "res/resource.h"

class CCore;
class BoardWindow;

class SettingsDialog : public CDialog {
public:
    explicit SettingsDialog(CWnd* parent = nullptr);
    ~SettingsDialog() override;

protected:
    void DoDataExchange(CDataExchange* dx) override;
    BOOL OnInitDialog() override;
    LRESULT WindowProc(UINT msg, WPARAM wp, LPARAM lp) override;
    BOOL OnCommand(WPARAM wp, LPARAM lp) override;

    CXColourPicker m_clrDigiPicker;  // 1011, digit colour
    CXColourPicker m_clrBgPicker;    // 1010, background colour
    CXColourPicker m_clrFontPicker;  // 1009, text colour
    HICON m_hIcon = nullptr;         // shared resource icon, never destroyed

private:
    // Takes the controls into the settings variables; with validate, checks
    // the size (a warning and the focus on the offending edit when it is out
    // of range) and otherwise reloads the rate files. FALSE after a rejected
    // size.
    BOOL CollectSettings(BOOL validate);
    // Hides the board, or sizes the text from the current width, collects
    // with validation and places the board.
    void ApplyOutput();
    void LoadSettings();
    // Writes every key; the system's error code of the first that could not
    // be written, or 0.
    unsigned long SaveSettings();
    // Reads one rate file into its table; a file that exists but cannot be
    // read keeps the table and is noted for the operator.
    void ReloadRates(const CString& path, char* table, int* count);
    // Tells the operator, in one box, which rate files the last action could
    // not read and why.
    void ReportUnreadRateFiles();
    void CreateBoard();
    void PlaceBoard(const RECT& rc);
    void EditRateFile(const CString& path, const char* headerLine);

    void OnOutputSwitch();
    void OnLocateSecondScreen();
    void OnAbout();
    void OnRefresh();
    void OnEditRoomRates();
    void OnEditExchangeRates();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnSize(UINT type);
    void OnDestroy();

    // The objects behind g_core, g_board, g_roomRates and g_exchangeRates;
    // the globals are plain aliases, cleared before these let go.
    std::unique_ptr<CCore> m_core;
    std::unique_ptr<char[]> m_roomRates;
    std::unique_ptr<char[]> m_exchangeRates;
    std::unique_ptr<BoardWindow> m_board;
    bool m_boardHiddenByMinimise = false;
    // Rate files found unreadable since the operator's last action, with
    // the system's reason: one box per action however often they are read.
    std::vector<std::pair<CString, unsigned long>> m_unreadRateFiles;
};
