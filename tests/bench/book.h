// Generated address books for the benchmarks.
#pragma once

#include <string>

// count vCard 3.0 contacts "Given<i> Family<i>" with birthdays spread over the year, each with a
// number and an address, and with a small inline photo when photos is set.
std::string Book(int count, bool photos);
bool WriteAll(const std::wstring& path, const std::string& bytes);
// Registers the contact store for a benchmark; false, said on stdout, when it cannot be.
bool RegisterStoreForBenchmark();
// The temporary folder, ending in a backslash.
std::wstring TempFolder();
