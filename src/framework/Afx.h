// The framework layer as one include.
#pragma once
#include "framework/Button.h"
#include "framework/CString.h"
#include "framework/Dialog.h"
#include "framework/Font.h"
#include "framework/Handles.h"
#include "framework/Text.h"
#include "framework/Time.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
