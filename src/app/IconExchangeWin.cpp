#include "IconExchangeWin.h"

#include "TextCodec.h"

namespace kestrin {

bool NotifyShell(DWORD message, const IconRecord& record) {
    auto bytes = IconRecordBytes(record, AnsiFromWide);
    return Shell_NotifyIconA(message, reinterpret_cast<NOTIFYICONDATAA*>(bytes.data())) != FALSE;
}

}  // namespace kestrin
