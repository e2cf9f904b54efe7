// The store DLL's module: its instance handle and the count of live objects that keeps it loaded.
#pragma once

#include <windows.h>

HINSTANCE StoreModule();
void ObjectCreated();
void ObjectDestroyed();
