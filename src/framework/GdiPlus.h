// GDI+ headers need min and max in scope; the program builds with NOMINMAX.
#pragma once
#include "framework/Win.h"
#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <objidl.h>
#include <gdiplus.h>
