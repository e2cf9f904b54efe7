// Loading 10 MB address books of hostile shapes through the contact store, beside a normal one of that size.
#include "platform/store/contactstore.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <cstdio>
#include <string>

namespace {

const size_t TARGET = 10u << 20;

std::string Repeat(const std::string& unit, size_t size = TARGET)
{
    std::string text;
    text.reserve(size + unit.size());
    while (text.size() < size)
        text += unit;
    return text;
}

// Cards of 4,000 properties, every date in a group of its own with its label.
std::string GroupedDates()
{
    std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Dates\r\n";
    for (int i = 0; i < 2000; ++i)
    {
        std::string group = "item" + std::to_string(i);
        card += group + ".X-ABDATE:2004-05-06\r\n" + group + ".X-ABLabel:_$!<Other>!$_\r\n";
    }
    return Repeat(card + "END:VCARD\r\n");
}

// One card of 10 MB: notes past every bound, then its birthday.
std::string OneHugeCard()
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Huge\r\n" + Repeat("NOTE:n\r\n") + "BDAY:1980-03-15\r\nEND:VCARD\r\n";
}

// One quoted-printable value of 10 MB broken every few characters.
std::string SoftBreaks()
{
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Soft\r\nNOTE;ENCODING=QUOTED-PRINTABLE:" + Repeat("=41=  \r\n") +
           "\r\nEND:VCARD\r\n";
}

// A quoted-printable value followed by 10 MB of folded blanks.
std::string BlankFolds()
{
    return "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Blank\r\nNOTE;ENCODING=QUOTED-PRINTABLE:a\r\n" + Repeat("  \r\n") +
           "END:VCARD\r\n";
}

// Cards that never end, each cut off by the next, and agent cards nested ever deeper.
std::string NeverEnded()
{
    return Repeat("BEGIN:VCARD\r\nFN:Cut\r\n", TARGET / 2) + "BEGIN:VCARD\r\nFN:Agents\r\n" +
           Repeat("AGENT:\r\nBEGIN:VCARD\r\nFN:Agent\r\n", TARGET / 2);
}

// Numbers with type lists of thousands of entries.
std::string LongTypeLists()
{
    return Repeat("BEGIN:VCARD\r\nFN:Types\r\nTEL;TYPE=" + Repeat("X-A,", 60000) + "HOME:1\r\nEND:VCARD\r\n");
}

// Every line folded after each character.
std::string FoldedEverywhere()
{
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:F\r\nNOTE:x" + Repeat("\r\n y") + "\r\nEND:VCARD\r\n";
}

// A normal book with CR-only line ends.
std::string CrOnly(const std::string& normal)
{
    std::string text;
    text.reserve(normal.size());
    for (char c : normal)
        if (c != '\n')
            text += c;
    return text;
}

double Load(IPOutlookApp2* app, const std::wstring& path, const std::string& text, int& count)
{
    count = 0;
    if (!WriteAll(path, text))
        return -1;
    SetAddressBook(path);
    CStopwatch watch;
    IFolder* folder = nullptr;
    IPOutlookItemCollection* items = nullptr;
    if (SUCCEEDED(app->GetDefaultFolder(olFolderContacts, &folder)))
    {
        if (SUCCEEDED(folder->get_Items(&items)))
        {
            items->get_Count(&count);
            items->Release();
        }
        folder->Release();
    }
    double ms = watch.Milliseconds();
    ClearAddressBook();
    DeleteFileW(path.c_str());
    return ms;
}

} // namespace

void HostileBookBenchmark()
{
    IPOutlookApp2* app = nullptr;
    if (!RegisterContactStore() || FAILED(CoCreateInstance(CLSID_Application, nullptr, CLSCTX_INPROC_SERVER,
                                                           IID_IPOutlookApp2, reinterpret_cast<void**>(&app))))
    {
        printf("the contact store could not be created\n");
        return;
    }
    app->Logon(0);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::string normal = Book(52000, false);
    struct
    {
        const char* shape;
        std::string text;
    } books[] = {
        {"normal", normal},
        {"grouped X-ABDATE", GroupedDates()},
        {"one huge card", OneHugeCard()},
        {"QP soft breaks", SoftBreaks()},
        {"QP blank folds", BlankFolds()},
        {"never ended", NeverEnded()},
        {"long type lists", LongTypeLists()},
        {"folded everywhere", FoldedEverywhere()},
        {"CR-only lines", CrOnly(normal)},
        {"tiny cards", Repeat("BEGIN:VCARD\nFN:a\nEND:VCARD\n")},
    };
    printf("%-20s %8s %8s %10s %8s\n", "shape", "MB", "cards", "load ms", "x normal");
    double base = 0;
    for (const auto& book : books)
    {
        int count = 0;
        // A file of its own for each: the store reads a new address book, not a change of the last one.
        std::wstring path = std::wstring(temp) + L"festivo-bench-hostile-" + std::to_wstring(&book - books) + L".vcf";
        double ms = Load(app, path, book.text, count);
        if (base == 0)
            base = ms;
        printf("%-20s %8.1f %8d %10.1f %8.2f\n", book.shape, book.text.size() / 1048576.0, count, ms, ms / base);
        fflush(stdout);
    }
    app->Logoff();
    app->Release();
}
