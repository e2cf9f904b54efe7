// Lets a test observe the shell stand-ins: every call is reported with its window and parameters.
#pragma once

#include <windows.h>

// call: the stand-in's name, for example L"SHHandleWMSettingChange".
typedef void (*ShellRecorder)(const wchar_t* call, HWND hwnd, WPARAM wParam, LPARAM lParam);

// Installs the recorder (null removes it); the product never installs one.
void ShellSetRecorder(ShellRecorder recorder);

// Reports a call to the installed recorder, if any.
void ShellRecord(const wchar_t* call, HWND hwnd, WPARAM wParam, LPARAM lParam);
