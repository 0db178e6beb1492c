// How the weather download appends each read of the page body. Portable.
#pragma once
#include "framework/CString.h"

namespace httpbody {

// Appends one read of `length` bytes: only the bytes before the first NUL
// byte, if the read holds one, and every LF byte as the pair CR LF (so a
// CR LF in the page becomes CR CR LF).
void AppendChunk(CString& body, const char* data, int length);

}  // namespace httpbody
