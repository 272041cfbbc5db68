// Stock GDI objects (GetStockObject): brushes, pens and fonts that belong to
// the system. They are never deleted, so GDI code must know them apart from
// objects it created.
#pragma once

#include <windows.h>

namespace zep::win32 {

// True for a handle GetStockObject handed out.
bool isStockObject(HGDIOBJ object);

}  // namespace zep::win32
