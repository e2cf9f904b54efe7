// Fixture helpers: a clean settings key and a scratch folder per test.
#pragma once

#include <string>

// Deletes a key below HKEY_CURRENT_USER with everything in it; a missing key is fine.
void DeleteUserKey(const wchar_t* subKey);

// A fresh folder under the temp directory, removed with its files when the object goes away.
class CTempDir
{
public:
    CTempDir();
    ~CTempDir();
    const std::wstring& Path() const { return m_path; }
    std::wstring File(const wchar_t* name) const { return m_path + L"\\" + name; }
    // Writes bytes to a file in the folder and returns its path.
    std::wstring Write(const wchar_t* name, const std::string& bytes) const;

private:
    std::wstring m_path;
};
