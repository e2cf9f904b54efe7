// Builds a state of the address book from its files: cards, contact records and unique oids.
#include "platform/store/addressbook.h"

#include "platform/store/config.h"
#include "platform/store/longpath.h"
#include "platform/store/vcard/reader.h"

#include <algorithm>

namespace {

uint64_t Fnv64(const char* data, size_t size)
{
    uint64_t h = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
    return h;
}

// Positive 32-bit, never 0.
LONG OidFromText(const std::string& text)
{
    uint32_t h = 2166136261u;
    for (char c : text)
        h = (h ^ static_cast<unsigned char>(c)) * 16777619u;
    LONG oid = static_cast<LONG>(h & 0x7FFFFFFF);
    return oid == 0 ? 1 : oid;
}

std::string FileNameKey(const std::wstring& path)
{
    size_t slash = path.find_last_of(L"\\/");
    std::wstring name = path.substr(slash == std::wstring::npos ? 0 : slash + 1);
    CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
    int n = WideCharToMultiByte(CP_UTF8, 0, name.c_str(), static_cast<int>(name.size()), nullptr, 0, nullptr, nullptr);
    std::string key(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, name.c_str(), static_cast<int>(name.size()), &key[0], n, nullptr, nullptr);
    return key;
}

bool ReadBytes(const std::wstring& path, std::string& bytes)
{
    HANDLE h = CreateFileW(LongPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h, &size) && static_cast<ULONGLONG>(size.QuadPart) <= MAX_ADDRESS_BOOK_FILE;
    if (ok)
    {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        size_t done = 0;
        while (ok && done < bytes.size())
        {
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24)), got = 0;
            ok = ReadFile(h, &bytes[done], chunk, &got, nullptr) && got > 0;
            done += got;
        }
        bytes.resize(done);
    }
    CloseHandle(h);
    return ok;
}

std::shared_ptr<const std::vector<CStoreCard>> ReadCards(CStoreFile& file)
{
    auto cards = std::make_shared<std::vector<CStoreCard>>();
    std::string bytes, converted;
    if (!ReadBytes(file.path, bytes))
        return cards;
    file.utf16 = vcard::ConvertUtf16File(bytes, converted);
    const std::string& text = file.utf16 ? converted : bytes;
    std::string nameKey = FileNameKey(file.path);
    vcard::CVCardReader reader(text.data(), text.size());
    vcard::CVCard card;
    for (size_t position = 0; reader.Next(card); ++position)
    {
        CStoreCard stored;
        vcard::ReadContact(card, stored.record);
        stored.hash = Fnv64(text.data() + card.begin, card.end - card.begin);
        stored.baseOid = stored.record.uid.empty() ? OidFromText(nameKey + "#" + std::to_string(position))
                                                   : OidFromText("uid:" + stored.record.uid);
        cards->push_back(std::move(stored));
    }
    return cards;
}

} // namespace

const vcard::CContactRecord& CSnapshot::Record(size_t entry) const
{
    const CStoreEntry& e = entries[entry];
    return (*files[e.file].cards)[e.card].record;
}

long CSnapshot::Find(LONG oid) const
{
    auto it = byOid.find(oid);
    return it == byOid.end() ? -1 : static_cast<long>(it->second);
}

std::wstring ReadAddressBookLocation()
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE, RRF_RT_REG_SZ, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size < sizeof(wchar_t))
        return std::wstring();
    std::wstring location(size / sizeof(wchar_t), L'\0');
    if (RegGetValueW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, ADDRESS_BOOK_VALUE, RRF_RT_REG_SZ, nullptr, &location[0],
                     &size) != ERROR_SUCCESS)
        return std::wstring();
    location.resize(wcsnlen(location.c_str(), location.size()));
    return location;
}

std::vector<CListedFile> ListAddressBook(const std::wstring& location)
{
    std::vector<CListedFile> files;
    if (location.empty())
        return files;
    DWORD attributes = GetFileAttributesW(LongPath(location).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return files;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY))
    {
        CListedFile file;
        file.path = location;
        if (ReadFileStamp(location.c_str(), file.stamp))
            files.push_back(file);
        return files;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(LongPath(location + L"\\*.vcf").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return files;
    do
    {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        CListedFile file;
        file.path = location + L"\\" + data.cFileName;
        file.stamp.exists = true;
        file.stamp.time = data.ftLastWriteTime;
        file.stamp.size = (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
        files.push_back(file);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(files.begin(), files.end(), [](const CListedFile& a, const CListedFile& b) {
        return CompareStringOrdinal(a.path.c_str(), -1, b.path.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
    return files;
}

std::shared_ptr<const CSnapshot> BuildSnapshot(const std::wstring& location, const std::vector<CListedFile>& listing,
                                               const CSnapshot* previous)
{
    auto snapshot = std::make_shared<CSnapshot>();
    snapshot->location = location;
    for (const CListedFile& listed : listing)
    {
        CStoreFile file;
        file.path = listed.path;
        file.stamp = listed.stamp;
        if (previous && previous->location == location)
            for (const CStoreFile& old : previous->files)
                if (old.path == listed.path && old.stamp == listed.stamp)
                {
                    file.cards = old.cards;
                    file.utf16 = old.utf16;
                    break;
                }
        if (!file.cards)
            file.cards = ReadCards(file);
        snapshot->files.push_back(std::move(file));
    }
    // Oids clash only by accident (or by a repeated UID): the later card takes the next free one.
    snapshot->byOid.reserve(snapshot->files.size() * 4);
    for (uint32_t f = 0; f < snapshot->files.size(); ++f)
    {
        const std::vector<CStoreCard>& cards = *snapshot->files[f].cards;
        for (uint32_t c = 0; c < cards.size(); ++c)
        {
            LONG oid = cards[c].baseOid;
            while (snapshot->byOid.count(oid))
                oid = oid == 0x7FFFFFFF ? 1 : oid + 1;
            snapshot->byOid.emplace(oid, static_cast<uint32_t>(snapshot->entries.size()));
            snapshot->entries.push_back({oid, f, c});
        }
    }
    return snapshot;
}

bool ReadFileRange(const CStoreFile& file, size_t begin, size_t end, std::string& text)
{
    if (begin > end || end - begin > MAX_ADDRESS_BOOK_FILE)
        return false;
    if (file.utf16)
    {
        std::string bytes;
        if (!ReadBytes(file.path, bytes) || !vcard::ConvertUtf16File(bytes, text) || end > text.size())
            return false;
        text = text.substr(begin, end - begin);
        return true;
    }
    HANDLE h = CreateFileW(LongPath(file.path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER offset;
    offset.QuadPart = static_cast<LONGLONG>(begin);
    text.resize(end - begin);
    DWORD got = 0;
    bool ok = SetFilePointerEx(h, offset, nullptr, FILE_BEGIN) &&
              ReadFile(h, &text[0], static_cast<DWORD>(text.size()), &got, nullptr) && got == text.size();
    CloseHandle(h);
    return ok;
}
