// Reading the cards of a text that arrives a window at a time, exactly as the whole text reads.
#include "platform/store/vcard/window.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace vcard {

bool ReadCardsInWindows(const CFillText& fill, size_t window, const CTakeCard& take)
{
    size_t size = std::max<size_t>(window, 16);
    std::unique_ptr<char[]> buffer(new char[size]);
    size_t held = 0;
    uint64_t offset = 0;
    bool ended = false;
    CVCard card;
    for (;;)
    {
        while (!ended && held < size)
        {
            long long got = fill(buffer.get() + held, size - held);
            if (got < 0 || static_cast<unsigned long long>(got) > size - held)
                return false;
            ended = got == 0;
            held += static_cast<size_t>(got);
        }
        CVCardReader reader(buffer.get(), held, offset == 0);
        size_t taken = 0;
        while (reader.Next(card) && (ended || !reader.RanOut()))
        {
            take(card, buffer.get(), offset);
            taken = reader.Position();
        }
        if (ended)
            return true;
        if (taken == 0)
        {
            // Not one whole card in the window: a larger window, with what it holds kept.
            std::unique_ptr<char[]> larger(new char[size * 2]);
            memcpy(larger.get(), buffer.get(), held);
            buffer = std::move(larger);
            size *= 2;
            continue;
        }
        memmove(buffer.get(), buffer.get() + taken, held - taken);
        held -= taken;
        offset += taken;
    }
}

} // namespace vcard
