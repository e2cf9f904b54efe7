// Benchmark: opening and saving one contact of a 10,000-card address book file (merge, write, atomic replace).
#include "platform/store/addressbook.h"
#include "platform/store/config.h"
#include "platform/store/writeback.h"

#include <cstdio>
#include <string>

namespace {

double Seconds()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / frequency.QuadPart;
}

std::string Book(int cards)
{
    std::string text;
    for (int i = 0; i < cards; ++i)
    {
        std::string n = std::to_string(i);
        text += "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u" + n + "\r\nN:Family" + n + ";Given;;;\r\nFN:Given Family" + n +
                "\r\nTEL;TYPE=CELL:+44 7700 " + std::to_string(100000 + i) + "\r\nEMAIL:g" + n +
                "@example.org\r\nBDAY:1980-03-15\r\nNOTE:A note that makes the card as long as a real one.\r\nEND:VCARD\r\n";
    }
    return text;
}

void SetLocation(const std::wstring& location)
{
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, CONTACT_STORE_KEY, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr))
        return;
    RegSetValueExW(key, ADDRESS_BOOK_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(location.c_str()),
                   static_cast<DWORD>((location.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

} // namespace

int wmain()
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    std::wstring path = std::wstring(folder) + L"festivo-card-bench.vcf";
    std::wstring previous = ReadAddressBookLocation();
    std::string text = Book(10000);
    if (ReplaceFileBytes(path, text) != ERROR_SUCCESS)
    {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD wrote = 0;
        WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &wrote, nullptr);
        CloseHandle(h);
    }
    SetLocation(path);
    LONG oid = TheAddressBook().Current()->Oid(5000);
    printf("One card of 10,000 in one file of %zu bytes\n", text.size());
    for (int round = 1; round <= 5; ++round)
    {
        double t0 = Seconds();
        COpenedCard card;
        bool opened = OpenCard(oid, card);
        double t1 = Seconds();
        vcard::CCardFields fields = card.fields;
        fields.birthday = {1980, 3, round};
        CSaveResult result = SaveOpenedCard(card, fields);
        double t2 = Seconds();
        printf("round %d: open %6.1f ms, save %6.1f ms (%s)\n", round,
               (t1 - t0) * 1000, (t2 - t1) * 1000, opened && result.written ? "includes the store's reload for notifications" : "FAILED");
    }
    double t0 = Seconds();
    ReplaceFileBytes(path, text);
    double t1 = Seconds();
    TheAddressBook().TakeChanges();
    double t2 = Seconds();
    printf("atomic replace of the whole file: %.1f ms; store reload of the changed file: %.1f ms\n", (t1 - t0) * 1000,
           (t2 - t1) * 1000);
    SetLocation(previous);
    DeleteFileW(path.c_str());
    return 0;
}
