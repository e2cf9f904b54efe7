// The persistent index: what the store read from each file of an address book, kept between runs.
#include "platform/store/index.h"

#include <shlobj.h>

#include <cstring>

namespace {

const char INDEX_MAGIC[8] = {'F', 'S', 'T', 'V', 'I', 'D', 'X', 0};
// Raised whenever the layout below or the meaning of a stored field changes.
const uint32_t INDEX_VERSION = 1;
const size_t HEADER_BYTES = 8 + 4 + 4 + 8 + 8;

uint64_t Fnv64(const char* data, size_t size)
{
    uint64_t h = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i)
        h = (h ^ static_cast<unsigned char>(data[i])) * 1099511628211ull;
    return h;
}

class CWriter
{
public:
    std::string bytes;
    template <typename T> void Put(T value) { bytes.append(reinterpret_cast<const char*>(&value), sizeof(T)); }
    void Text(const std::string& text)
    {
        Put(static_cast<uint32_t>(text.size()));
        bytes += text;
    }
    void Wide(const std::wstring& text)
    {
        Put(static_cast<uint32_t>(text.size()));
        bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    }
};

// Reads what a writer wrote; every read is bounded, the bytes come from a file anyone may have changed.
class CReader
{
public:
    CReader(const char* data, size_t size) : m_data(data), m_size(size), m_pos(0), m_ok(true) {}
    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_pos == m_size; }
    template <typename T> T Get()
    {
        T value{};
        if (!Take(sizeof(T)))
            return value;
        memcpy(&value, m_data + m_pos - sizeof(T), sizeof(T));
        return value;
    }
    void Text(std::string& text)
    {
        uint32_t n = Get<uint32_t>();
        if (Take(n))
            text.assign(m_data + m_pos - n, n);
    }
    void Wide(std::wstring& text)
    {
        uint32_t n = Get<uint32_t>();
        if (n > m_size || !Take(static_cast<size_t>(n) * sizeof(wchar_t)))
            return;
        text.resize(n);
        memcpy(&text[0], m_data + m_pos - n * sizeof(wchar_t), n * sizeof(wchar_t));
    }
    // A count of items of at least minBytes each that the rest of the bytes can hold.
    uint32_t Count(size_t minBytes)
    {
        uint32_t n = Get<uint32_t>();
        if (static_cast<uint64_t>(n) * minBytes > m_size - m_pos)
            m_ok = false;
        return m_ok ? n : 0;
    }

private:
    bool Take(size_t n)
    {
        if (!m_ok || n > m_size - m_pos)
            return m_ok = false;
        m_pos += n;
        return true;
    }

    const char* m_data;
    size_t m_size;
    size_t m_pos;
    bool m_ok;
};

// The store's build that wrote an index: another build may read cards differently.
uint64_t BuildStamp()
{
    wchar_t path[MAX_PATH];
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const wchar_t*>(&BuildStamp), &module);
    DWORD n = GetModuleFileNameW(module, path, MAX_PATH);
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (n == 0 || n >= MAX_PATH || !GetFileAttributesExW(path, GetFileExInfoStandard, &data))
        return 0;
    return Ticks(data.ftLastWriteTime) ^ (static_cast<uint64_t>(data.nFileSizeLow) << 17);
}

void PutRecord(CWriter& out, const vcard::CContactRecord& r)
{
    out.Text(r.uid);
    out.Text(r.name);
    out.Text(r.firstName);
    out.Text(r.lastName);
    out.Put(r.birthday);
    out.Put(r.anniversary);
    for (const std::string& phone : r.phones)
        out.Text(phone);
    for (const std::string& email : r.emails)
        out.Text(email);
    out.Put(static_cast<uint8_t>(r.hasPhoto));
    out.Put(static_cast<uint64_t>(r.photoBegin));
    out.Put(static_cast<uint64_t>(r.photoEnd));
    out.Put(r.nProperty);
    out.Put(r.fnProperty);
    out.Put(r.birthdayProperty);
    out.Put(r.anniversaryProperty);
    for (short p : r.phoneProperty)
        out.Put(p);
    for (short p : r.emailProperty)
        out.Put(p);
}

void GetRecord(CReader& in, vcard::CContactRecord& r)
{
    in.Text(r.uid);
    in.Text(r.name);
    in.Text(r.firstName);
    in.Text(r.lastName);
    r.birthday = in.Get<double>();
    r.anniversary = in.Get<double>();
    for (std::string& phone : r.phones)
        in.Text(phone);
    for (std::string& email : r.emails)
        in.Text(email);
    r.hasPhoto = in.Get<uint8_t>() != 0;
    r.photoBegin = static_cast<size_t>(in.Get<uint64_t>());
    r.photoEnd = static_cast<size_t>(in.Get<uint64_t>());
    r.nProperty = in.Get<short>();
    r.fnProperty = in.Get<short>();
    r.birthdayProperty = in.Get<short>();
    r.anniversaryProperty = in.Get<short>();
    for (short& p : r.phoneProperty)
        p = in.Get<short>();
    for (short& p : r.emailProperty)
        p = in.Get<short>();
}

bool ReadWhole(const std::wstring& path, std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size;
    bool ok = GetFileSizeEx(h, &size) && size.QuadPart >= static_cast<LONGLONG>(HEADER_BYTES) &&
              static_cast<ULONGLONG>(size.QuadPart) <= MAX_ADDRESS_BOOK_FILE;
    DWORD got = 0;
    if (ok)
    {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        ok = ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr) && got == bytes.size();
    }
    CloseHandle(h);
    return ok;
}

} // namespace

std::wstring IndexPath(const std::wstring& location)
{
    wchar_t base[MAX_PATH];
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, base)))
        return std::wstring();
    std::wstring lower = LowerPath(location);
    uint64_t key = Fnv64(reinterpret_cast<const char*>(lower.data()), lower.size() * sizeof(wchar_t));
    wchar_t name[32];
    swprintf(name, 32, L"%016llx.idx", static_cast<unsigned long long>(key));
    return std::wstring(base) + L"\\Festivo\\AddressBooks\\" + name;
}

bool LoadIndex(const std::wstring& location, CSnapshot& snapshot)
{
    std::wstring path = IndexPath(location);
    std::string bytes;
    if (path.empty() || !ReadWhole(path, bytes) || memcmp(bytes.data(), INDEX_MAGIC, 8) != 0)
        return false;
    CReader header(bytes.data() + 8, HEADER_BYTES - 8);
    uint32_t version = header.Get<uint32_t>();
    header.Get<uint32_t>();
    uint64_t payloadBytes = header.Get<uint64_t>();
    uint64_t checksum = header.Get<uint64_t>();
    const char* payload = bytes.data() + HEADER_BYTES;
    if (version != INDEX_VERSION || payloadBytes != bytes.size() - HEADER_BYTES ||
        checksum != Fnv64(payload, static_cast<size_t>(payloadBytes)))
        return false;
    CReader in(payload, static_cast<size_t>(payloadBytes));
    std::wstring indexed;
    in.Wide(indexed);
    if (indexed != location || in.Get<uint64_t>() != BuildStamp())
        return false;
    snapshot = CSnapshot();
    snapshot.location = location;
    uint32_t files = in.Count(41);
    snapshot.files.resize(files);
    for (CStoreFile& file : snapshot.files)
    {
        in.Wide(file.path);
        file.stamp.exists = true;
        ULONGLONG time = in.Get<uint64_t>();
        file.stamp.time.dwLowDateTime = static_cast<DWORD>(time);
        file.stamp.time.dwHighDateTime = static_cast<DWORD>(time >> 32);
        file.stamp.size = in.Get<uint64_t>();
        file.changeTime = in.Get<uint64_t>();
        file.readAt = in.Get<uint64_t>();
        file.utf16 = in.Get<uint8_t>() != 0;
        auto cards = std::make_shared<std::vector<CStoreCard>>(in.Count(100));
        for (CStoreCard& card : *cards)
        {
            card.baseOid = in.Get<LONG>();
            card.hash = in.Get<uint64_t>();
            GetRecord(in, card.record);
        }
        file.cards = cards;
        if (!in.Ok())
            return false;
    }
    return in.Ok() && in.AtEnd();
}

void SaveIndex(const CSnapshot& snapshot)
{
    std::wstring path = IndexPath(snapshot.location);
    if (path.empty() || snapshot.location.empty())
        return;
    CWriter out;
    out.Wide(snapshot.location);
    out.Put(BuildStamp());
    uint32_t files = 0;
    for (const CStoreFile& file : snapshot.files)
        files += file.failed ? 0 : 1;
    out.Put(files);
    for (const CStoreFile& file : snapshot.files)
    {
        if (file.failed)
            continue;
        out.Wide(file.path);
        out.Put(static_cast<uint64_t>(Ticks(file.stamp.time)));
        out.Put(static_cast<uint64_t>(file.stamp.size));
        out.Put(static_cast<uint64_t>(file.changeTime));
        out.Put(static_cast<uint64_t>(file.readAt));
        out.Put(static_cast<uint8_t>(file.utf16));
        out.Put(static_cast<uint32_t>(file.cards->size()));
        for (const CStoreCard& card : *file.cards)
        {
            out.Put(card.baseOid);
            out.Put(card.hash);
            PutRecord(out, card.record);
        }
    }
    CWriter header;
    header.bytes.assign(INDEX_MAGIC, 8);
    header.Put(INDEX_VERSION);
    header.Put(uint32_t(0));
    header.Put(static_cast<uint64_t>(out.bytes.size()));
    header.Put(Fnv64(out.bytes.data(), out.bytes.size()));

    // A finished copy renamed over the old one: a reader sees the whole old or the whole new index.
    size_t slash = path.find_last_of(L'\\');
    std::wstring folder = path.substr(0, slash);
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
    wchar_t temp[MAX_PATH];
    if (!GetTempFileNameW(folder.c_str(), L"idx", 0, temp))
        return;
    HANDLE h = CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    bool ok = h != INVALID_HANDLE_VALUE;
    DWORD wrote = 0;
    ok = ok && WriteFile(h, header.bytes.data(), static_cast<DWORD>(header.bytes.size()), &wrote, nullptr) &&
         WriteFile(h, out.bytes.data(), static_cast<DWORD>(out.bytes.size()), &wrote, nullptr) &&
         wrote == out.bytes.size();
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    if (!ok || !MoveFileExW(temp, path.c_str(), MOVEFILE_REPLACE_EXISTING))
        DeleteFileW(temp);
}
