// File paths in the form the system opens as they are: no length limit, no device names.
#pragma once

#include <string>

// The full "\\?\" form of a path ("\\?\UNC\server\share\..." for a share): paths longer than the
// classic limit open, and a file named like a device (Con.vcf, nul.vcf, com1.x.vcf) opens as the
// file. Relative paths are made full, "." and ".." resolved; a path already in that form stays.
std::wstring LongPath(const std::wstring& path);
