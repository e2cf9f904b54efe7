// Time to enumerate generated address books through the contact store, beside merely reading their bytes.
#include "platform/store/contactstore.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

double ReadBytes(const std::wstring& path)
{
    CStopwatch watch;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size;
    GetFileSizeEx(h, &size);
    std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
    DWORD got = 0;
    ReadFile(h, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(h);
    return watch.Milliseconds();
}

// Everything the event list reads of each contact, as it reads it.
double Enumerate(IPOutlookApp2* app, int& count)
{
    CStopwatch watch;
    count = 0;
    IFolder* folder = nullptr;
    IPOutlookItemCollection* items = nullptr;
    if (FAILED(app->GetDefaultFolder(olFolderContacts, &folder)))
        return 0;
    if (SUCCEEDED(folder->get_Items(&items)) && SUCCEEDED(items->get_Count(&count)))
        for (int i = 1; i <= count; ++i)
        {
            IContact* contact = nullptr;
            if (FAILED(items->Item(i, &contact)))
                continue;
            LONG oid;
            DATE birthday, anniversary;
            BSTR name = nullptr;
            contact->get_Oid(&oid);
            contact->get_Birthday(&birthday);
            contact->get_Anniversary(&anniversary);
            contact->get_FileAs(&name);
            SysFreeString(name);
            contact->Release();
        }
    if (items)
        items->Release();
    folder->Release();
    return watch.Milliseconds();
}

// What one contact costs through the collection, by the calls the event list makes: each pass adds calls
// to the one before, so that the differences between passes are the calls' costs.
void PrintCallCosts(IPOutlookApp2* app)
{
    IFolder* folder = nullptr;
    IPOutlookItemCollection* items = nullptr;
    int count = 0;
    if (FAILED(app->GetDefaultFolder(olFolderContacts, &folder)))
        return;
    if (SUCCEEDED(folder->get_Items(&items)) && SUCCEEDED(items->get_Count(&count)) && count > 0)
    {
        const char* passes[] = {"Item and Release", "+ get_Oid", "+ get_Birthday and get_Anniversary",
                                "+ get_FileAs and SysFreeString"};
        // The fastest of five rounds: the machine's other work only ever adds.
        for (int pass = 0; pass < 4; ++pass)
        {
            double fastest = 1e300;
            for (int round = 0; round < 5; ++round)
            {
                CStopwatch watch;
                for (int i = 1; i <= count; ++i)
                {
                    IContact* contact = nullptr;
                    if (FAILED(items->Item(i, &contact)))
                        continue;
                    LONG oid;
                    DATE date;
                    BSTR name = nullptr;
                    if (pass >= 1)
                        contact->get_Oid(&oid);
                    if (pass >= 2)
                    {
                        contact->get_Birthday(&date);
                        contact->get_Anniversary(&date);
                    }
                    if (pass >= 3)
                    {
                        contact->get_FileAs(&name);
                        SysFreeString(name);
                    }
                    contact->Release();
                }
                fastest = std::min(fastest, watch.Milliseconds());
            }
            printf("  %-40s %6.0f ns a contact\n", passes[pass], fastest * 1e6 / count);
        }
    }
    if (items)
        items->Release();
    folder->Release();
}

} // namespace

void ContactStoreBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    IPOutlookApp2* app = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                reinterpret_cast<void**>(&app))))
    {
        printf("the contact store could not be created\n");
        return;
    }
    app->Logon(0);
    std::wstring temp = TempFolder();
    printf("%9s %7s %10s %12s %16s %16s\n", "contacts", "photos", "file MB", "read ms", "first enum ms", "again ms");
    const int sizes[] = {1000, 10000, 100000};
    for (int size : sizes)
        for (int photos = 0; photos < 2; ++photos)
        {
            std::string text = Book(size, photos != 0);
            std::wstring path = std::wstring(temp) + L"festivo-bench-" + std::to_wstring(size) + (photos ? L"p" : L"") + L".vcf";
            if (!WriteAll(path, text))
                continue;
            ReadBytes(path); // the file is in the cache for both measurements
            double read = ReadBytes(path);
            SetAddressBook(path);
            int count = 0;
            double first = Enumerate(app, count);
            double again = Enumerate(app, count);
            printf("%9d %7s %10.1f %12.1f %16.1f %16.1f\n", count, photos ? "yes" : "no", text.size() / 1048576.0,
                   read, first, again);
            if (size == sizes[2] && !photos)
                PrintCallCosts(app);
            fflush(stdout);
            ClearAddressBook();
            Enumerate(app, count);
            DeleteFileW(path.c_str());
        }
    app->Logoff();
    app->Release();
}

void ContactWalkBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    std::wstring temp = TempFolder();
    std::wstring folder = std::wstring(temp) + L"festivo-walk";
    CreateDirectoryW(folder.c_str(), nullptr);
    const int files = 5000;
    std::string book = Book(files, true);
    for (int i = 0, start = 0; i < files; ++i)
    {
        size_t end = book.find("END:VCARD\r\n", static_cast<size_t>(start)) + 11;
        WriteAll(folder + L"\\" + std::to_wstring(i) + L".vcf", book.substr(start, end - start));
        start = static_cast<int>(end);
    }
    SetAddressBook(folder);
    IPOutlookApp2* app = nullptr;
    if (FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER, IID_IPOutlookApp2,
                                reinterpret_cast<void**>(&app))))
        return;
    // The log-on reads the book: it is part of the first enumeration.
    CStopwatch logon;
    app->Logon(0);
    int count = 0;
    Enumerate(app, count);
    double enumerate = logon.Milliseconds();
    // Contact by contact, as a program that shows each one: oid, name, dates, numbers, picture.
    CStopwatch watch;
    IFolder* contacts = nullptr;
    IPOutlookItemCollection* items = nullptr;
    app->GetDefaultFolder(olFolderContacts, &contacts);
    contacts->get_Items(&items);
    const CEPROPID numbers[] = {PIMPR_MOBILE_TELEPHONE_NUMBER, PIMPR_HOME_TELEPHONE_NUMBER, PIMPR_EMAIL1_ADDRESS};
    for (int i = 1; i <= count; ++i)
    {
        IContact* listed = nullptr;
        LONG oid = 0;
        if (FAILED(items->Item(i, &listed)))
            continue;
        listed->get_Oid(&oid);
        listed->Release();
        IItem* item = nullptr;
        IContact* contact = nullptr;
        if (FAILED(app->GetItemFromOid(oid, &contact)) || FAILED(app->GetItemFromOidEx(oid, 0, &item)))
            continue;
        BSTR name = nullptr;
        DATE birthday;
        contact->get_FileAs(&name);
        contact->get_Birthday(&birthday);
        SysFreeString(name);
        CEPROPVAL* values = nullptr;
        ULONG size = 0;
        if (SUCCEEDED(item->GetProps(numbers, CEDB_ALLOWREALLOC, 3, &values, &size, nullptr)))
            HeapFree(GetProcessHeap(), 0, values);
        IStream* stream = nullptr;
        if (SUCCEEDED(item->OpenProperty(PIMPR_PICTURE, GENERIC_READ, &stream)))
            stream->Release();
        item->Release();
        contact->Release();
    }
    items->Release();
    contacts->Release();
    double walk = watch.Milliseconds();
    // The walk's floor: every card file opened and read once.
    double floor = 0;
    for (int i = 0; i < files; ++i)
        floor += ReadBytes(folder + L"\\" + std::to_wstring(i) + L".vcf");
    printf("%d files, one contact each: first enumeration %.0f ms; walk contact by contact (oid, name, date, "
           "numbers, picture) %.0f ms; floor, every file read once %.0f ms\n", count, enumerate, walk, floor);
    app->Logoff();
    app->Release();
    ClearAddressBook();
    for (int i = 0; i < files; ++i)
        DeleteFileW((folder + L"\\" + std::to_wstring(i) + L".vcf").c_str());
    RemoveDirectoryW(folder.c_str());
}
