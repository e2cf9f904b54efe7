// The persistent index: what the store read from each file of an address book, kept between runs.
#pragma once

#include "platform/store/addressbook.h"

#include <string>

// Where the index of an address book lives: the user's local application data folder.
std::wstring IndexPath(const std::wstring& location);
// The files of the index written for location, or false when there is none that can be trusted
// (another version, another address book, another build of the store, damaged).
bool LoadIndex(const std::wstring& location, CSnapshot& files);
// Replaces the index atomically.
void SaveIndex(const CSnapshot& snapshot);
// The checksum the index's header holds of the payload that follows it.
uint64_t IndexChecksum(const char* payload, size_t size);
