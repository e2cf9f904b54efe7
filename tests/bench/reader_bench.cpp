// The vCard reader's speed on a 100,000-card book in memory, beside what merely finding its line ends costs.
#include "platform/store/vcard/contact.h"
#include "platform/store/vcard/reader.h"
#include "platform/store/vcard/window.h"
#include "platform/store/filebytes.h"
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

// Processor time of this thread: on a machine shared with other work it varies far less than the wall clock.
double ThreadMilliseconds()
{
    FILETIME created, ended, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
    auto ms = [](const FILETIME& t) { return ((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e4; };
    return ms(kernel) + ms(user);
}

struct CTimes
{
    double wall = 1e30;
    double cpu = 1e30;
};

// The best of three runs; a pass too short for the processor clock's ticks is repeated within each run.
template <typename F> CTimes Best(F work, int repeat = 1)
{
    CTimes best;
    for (int run = 0; run < 3; ++run)
    {
        double cpu = ThreadMilliseconds();
        CStopwatch watch;
        for (int i = 0; i < repeat; ++i)
            work();
        best.wall = std::min(best.wall, watch.Milliseconds() / repeat);
        best.cpu = std::min(best.cpu, (ThreadMilliseconds() - cpu) / repeat);
    }
    return best;
}

void Row(const char* pass, const CTimes& t, double megabytes, size_t count)
{
    printf("%-36s %9.1f %9.1f %9.1f %8zu\n", pass, t.wall, t.cpu, megabytes * 1000 / std::max(t.cpu, 0.1), count);
}

} // namespace

void CardReaderBenchmark()
{
    const char* sizes = getenv("FESTIVO_READER_CARDS");
    int count = sizes ? atoi(sizes) : 100000;
    std::string text = Book(count, false);
    double megabytes = text.size() / 1048576.0;
    size_t lines = 0, cards = 0, named = 0;
    CTimes floor = Best([&] { lines = CountLines(text); }, 30);
    CTimes split = Best([&] {
        vcard::CVCardReader reader(text.data(), text.size());
        vcard::CVCard card;
        for (cards = 0; reader.Next(card); ++cards)
        {
        }
    });
    CTimes contacts = Best([&] {
        vcard::CVCardReader reader(text.data(), text.size());
        vcard::CVCard card;
        vcard::CContactRecord record;
        for (named = 0; reader.Next(card); ++named)
            vcard::ReadContact(card, record);
    });
    // What the store does on reading a file: through a window, only the list's fields, each card hashed.
    size_t listed = 0;
    CTimes store = Best([&] {
        size_t at = 0;
        vcard::CContactRecord record;
        uint64_t hashes = 0;
        listed = 0;
        vcard::ReadCardsInWindows(
            [&](char* buffer, size_t room) -> long long {
                size_t n = std::min(room, text.size() - at);
                memcpy(buffer, text.data() + at, n);
                at += n;
                return static_cast<long long>(n);
            },
            1u << 20,
            [&](const vcard::CVCard& card, const char* window, uint64_t) {
                vcard::ReadContact(card, record, vcard::LIST_FIELDS);
                hashes ^= CardHash(window + card.begin, card.end - card.begin);
                ++listed;
            });
    });
    printf("%d cards, %.1f MB of vCard text in memory (best of 3; MB/s of processor time)\n", count, megabytes);
    printf("%-36s %9s %9s %9s %8s\n", "pass", "wall ms", "cpu ms", "MB/s", "count");
    Row("floor: finding every line end", floor, megabytes, lines);
    Row("reader: cards and properties", split, megabytes, cards);
    Row("reader and contact mapping", contacts, megabytes, named);
    Row("store: window, list's fields, hash", store, megabytes, listed);
}
