// Test helpers of the contact store: registering the built DLL and pointing it at an address book.
#pragma once

#include <string>

// Registers festivo_store.dll from the folder of the running program (the build's bin folder) in
// the current Wine prefix, as `wine regsvr32 festivo_store.dll` would. True on success.
bool RegisterContactStore();

// Sets or removes the store's AddressBook value (a folder of .vcf files or one .vcf file).
void SetAddressBook(const std::wstring& location);
void ClearAddressBook();
