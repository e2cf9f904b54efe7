// The event list's ordering of 100,000 events: the name keys and the whole order, beside a locale call per name.
#include "data/datalist.h"
#include "data/namekey.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"
#include "tests/store/register_store.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

template <class F> double Time(F action)
{
    CStopwatch watch;
    action();
    return watch.Milliseconds();
}

// The peer: one locale call per name into one string reserved at 40 bytes a name, then the sort on the
// keys' first eight bytes and their tails, as the list ordered its names before.
void OrderByLocaleCalls(std::vector<CDataItem*>& items)
{
    struct Keyed
    {
        uint64_t head;
        uint32_t offset;
        uint32_t length;
        CDataItem* item;
    };
    std::string bytes;
    bytes.reserve(items.size() * 40);
    std::vector<Keyed> keyed(items.size());
    for (size_t i = 0; i < items.size(); i++)
    {
        char buffer[512];
        int size = LCMapStringW(LOCALE_USER_DEFAULT, LCMAP_SORTKEY | NORM_IGNORECASE, items[i]->GetName(), -1,
                                reinterpret_cast<wchar_t*>(buffer), sizeof(buffer));
        size = size > 0 ? size : 0;
        uint64_t head = 0;
        for (int b = 0; b < 8; b++)
            head = (head << 8) | (b < size ? static_cast<unsigned char>(buffer[b]) : 0);
        keyed[i] = {head, static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(size), items[i]};
        bytes.append(buffer, static_cast<size_t>(size));
    }
    std::sort(keyed.begin(), keyed.end(), [&bytes](const Keyed& a, const Keyed& b) {
        if (a.head != b.head)
            return a.head < b.head;
        uint32_t common = std::min(a.length, b.length);
        int result = common > 8 ? memcmp(&bytes[a.offset + 8], &bytes[b.offset + 8], common - 8) : 0;
        if (result != 0)
            return result < 0;
        if (a.length != b.length)
            return a.length < b.length;
        return a.item->oid < b.item->oid;
    });
    for (size_t i = 0; i < items.size(); i++)
        items[i] = keyed[i].item;
}

// The name keys alone: each from the locale's call and kept, or quick where the name has a quick key.
double KeyTime(const std::vector<CDataItem*>& items, bool quick)
{
    return Time([&] {
        CNameKeys keys(static_cast<uint32_t>(items.size()));
        std::vector<unsigned char> scratch;
        uint32_t length = 0;
        for (CDataItem* item : items)
            if (!quick || !keys.Quick(item->GetName(), scratch))
                keys.Kept(item->GetName(), length);
    });
}

// The book with every name starting with given instead of "Given".
std::string Renamed(const std::string& book, const std::string& given)
{
    const std::string plain = "\r\nFN:Given";
    std::string text;
    size_t from = 0;
    for (size_t at = book.find(plain); at != std::string::npos; at = book.find(plain, from))
    {
        text.append(book, from, at - from).append("\r\nFN:" + given);
        from = at + plain.size();
    }
    return text.append(book, from, std::string::npos);
}

} // namespace

void OrderBenchmark()
{
    if (!RegisterStoreForBenchmark())
        return;
    std::wstring temp = TempFolder();
    printf("milliseconds for 100,000 events; peer: a locale call per name\n");
    printf("%-24s %12s %12s %12s %12s %12s\n", "names", "keys: peer", "keys", "order: peer", "by name", "by days");
    std::string book = Book(100000, false);
    // Plain names; accented ones (quick keys too); with a hyphen (no quick key: the locale's call for each).
    const char* givens[] = {"Given", "\xC3\x89mile Given", "\xC3\x89mile-Given"};
    const char* rows[] = {"Given<i> Family<i>", "(E acute)mile Given<i>", "(E acute)mile-Given<i>"};
    for (int row = 0; row < 3; row++)
    {
        std::wstring path = std::wstring(temp) + L"festivo-order.vcf";
        if (!WriteAll(path, Renamed(book, givens[row])))
            continue;
        SetAddressBook(path);
        CDataList list;
        list.Open(nullptr);
        list.Load();
        // Paired: each figure is the best of three, the peer and the list taking turns, both starting from
        // the events in the order of days left.
        double best[5] = {1e9, 1e9, 1e9, 1e9, 1e9};
        for (int round = 0; round < 3; round++)
        {
            list.Sort(SORT_BY_DAYS_LEFT);
            std::vector<CDataItem*> items;
            for (uint32_t i = 0; i < list.GetTotalCount(); i++)
                items.push_back(list.GetItem(i));
            best[0] = std::min(best[0], KeyTime(items, false));
            best[1] = std::min(best[1], KeyTime(items, true));
            best[2] = std::min(best[2], Time([&] { OrderByLocaleCalls(items); }));
            best[3] = std::min(best[3], Time([&] { list.Sort(SORT_BY_NAME); }));
            best[4] = std::min(best[4], Time([&] { list.Sort(SORT_BY_DAYS_LEFT); }));
        }
        printf("%-24s %12.1f %12.1f %12.1f %12.1f %12.1f\n", rows[row], best[0], best[1], best[2], best[3], best[4]);
        fflush(stdout);
        list.Close();
        ClearAddressBook();
        DeleteFileW(path.c_str());
    }
}
