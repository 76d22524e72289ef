#pragma once
// Hands an icon record to the shell's notification area.

#include <windows.h>
#include <shellapi.h>

#include "IconExchange.h"

namespace kestrin {

// message is NIM_ADD, NIM_MODIFY or NIM_DELETE; true when the shell took it.
bool NotifyShell(DWORD message, const IconRecord& record);

}  // namespace kestrin
