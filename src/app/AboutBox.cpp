#include "app/AboutBox.h"

#include "res/resource.h"

// Everything shown is in the template: static text, an OK button, Enter and
// Esc close it through the base class.
AboutBox::AboutBox(CWnd* parent) : CDialog(IDD_ABOUTBOX, parent) {}
