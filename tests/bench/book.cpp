// Generated address books for the benchmarks: numbered contacts spread over the year.
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <windows.h>

#include <cstdio>

namespace {

// About 1.4 KB of base64, the size of a small contact thumbnail.
std::string Photo()
{
    std::string line = "/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAgMCAgMDAwMEAwMEBQgFBQQEBQoHBwYIDAoMDAsKCwsNDhIQDQ4RDgsLEBYQERMUFRUV";
    std::string photo;
    while (photo.size() < 1400)
        photo += line;
    return photo;
}

} // namespace

std::string Book(int count, bool photos)
{
    std::string photo = Photo(), text;
    text.reserve(static_cast<size_t>(count) * (photos ? 2100 : 260));
    char card[512];
    for (int i = 0; i < count; ++i)
    {
        snprintf(card, sizeof(card),
                 "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-%d\r\nN:Family%d;Given%d;;;\r\nFN:Given%d Family%d\r\n"
                 "BDAY:%04d-%02d-%02d\r\nTEL;TYPE=CELL:+1 555 %07d\r\nEMAIL;TYPE=INTERNET:given%d@example.com\r\n",
                 i, i, i, i, i, 1940 + i % 70, 1 + i % 12, 1 + i % 28, i, i);
        text += card;
        if (photos)
        {
            std::string line = "PHOTO;ENCODING=b;TYPE=JPEG:" + photo;
            for (size_t pos = 0; pos < line.size(); pos += 74)
                text += (pos ? " " : "") + line.substr(pos, 74) + "\r\n";
        }
        text += "END:VCARD\r\n";
    }
    return text;
}

bool WriteAll(const std::wstring& path, const std::string& bytes)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size();
    CloseHandle(h);
    return ok;
}

bool RegisterStoreForBenchmark()
{
    if (RegisterContactStore())
        return true;
    printf("festivo_store.dll could not be registered\n");
    return false;
}

std::wstring TempFolder()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    return temp;
}
