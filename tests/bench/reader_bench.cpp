// The vCard reader's speed on a 100,000-card book in memory, beside what merely finding its line ends costs.
#include "platform/store/vcard/contact.h"
#include "platform/store/vcard/reader.h"
#include "tests/bench/bench.h"
#include "tests/bench/book.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// The floor: one pass over the bytes that finds every line end, as any line reader must.
size_t CountLines(const std::string& text)
{
    size_t lines = 0;
    for (const char* at = text.data(), *end = at + text.size(); (at = static_cast<const char*>(memchr(at, '\n', end - at)));
         ++at)
        ++lines;
    return lines;
}

template <typename F> double Best(F work)
{
    double best = 1e30;
    for (int run = 0; run < 3; ++run)
    {
        CStopwatch watch;
        work();
        best = std::min(best, watch.Milliseconds());
    }
    return best;
}

} // namespace

void CardReaderBenchmark()
{
    const char* sizes = getenv("FESTIVO_READER_CARDS");
    int count = sizes ? atoi(sizes) : 100000;
    std::string text = Book(count, false);
    double megabytes = text.size() / 1048576.0;
    size_t lines = 0, cards = 0, named = 0;
    double floor = Best([&] { lines = CountLines(text); });
    double split = Best([&] {
        vcard::CVCardReader reader(text.data(), text.size());
        vcard::CVCard card;
        for (cards = 0; reader.Next(card); ++cards)
        {
        }
    });
    double contacts = Best([&] {
        vcard::CVCardReader reader(text.data(), text.size());
        vcard::CVCard card;
        vcard::CContactRecord record;
        for (named = 0; reader.Next(card); ++named)
            vcard::ReadContact(card, record);
    });
    printf("%d cards, %.1f MB of vCard text in memory (best of 3)\n", count, megabytes);
    printf("%-44s %10s %10s %8s\n", "pass", "ms", "MB/s", "count");
    printf("%-44s %10.1f %10.1f %8zu\n", "floor: finding every line end", floor, megabytes * 1000 / floor, lines);
    printf("%-44s %10.1f %10.1f %8zu\n", "reader: cards and properties", split, megabytes * 1000 / split, cards);
    printf("%-44s %10.1f %10.1f %8zu\n", "reader and contact mapping", contacts, megabytes * 1000 / contacts, named);
}
