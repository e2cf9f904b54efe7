// Cards the store tests read and write, kept for the peer check when FESTIVO_PEER_CARDS names a folder.
#pragma once

#include <string>

// Writes the card (or book) the running test read into that folder, and what the test wrote of it
// when given: "<test>-<n>.book.vcf", or "<test>-<n>.before.vcf" and "<test>-<n>.after.vcf".
// Does nothing without the variable.
void KeepForPeers(const std::string& read, const std::string* written = nullptr);
