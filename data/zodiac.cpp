// Zodiac sign table: each sign runs from the end of one month into the start of the next.
#include "data/zodiac.h"

namespace {

struct SignRange
{
    const wchar_t* name;
    int firstMonth;
    int firstDay;
    int lastMonth;
    int lastDay;
};

const SignRange kSigns[ZODIAC_COUNT] = {
    {L"Aries", 3, 19, 4, 18},        {L"Taurus", 4, 19, 5, 18},    {L"Gemini", 5, 19, 6, 19},
    {L"Cancer", 6, 20, 7, 20},       {L"Lion", 7, 21, 8, 21},      {L"Virgin", 8, 22, 9, 21},
    {L"Libra", 9, 22, 10, 21},       {L"Scorpio", 10, 22, 11, 20}, {L"Sagittarius", 11, 21, 12, 19},
    {L"Capricorn", 12, 20, 1, 18},   {L"Aquarius", 1, 19, 2, 18},  {L"Pisces", 2, 19, 3, 18},
};

} // namespace

int ZodiacSign(const CTime& date)
{
    int month = date.GetMonth();
    int day = date.GetDay();
    if (month < 1 || month > 12)
        return -1;
    for (int k = 0; k < ZODIAC_COUNT; k++)
    {
        const SignRange& s = kSigns[k];
        if ((month == s.firstMonth && day >= s.firstDay) || (month == s.lastMonth && day <= s.lastDay))
            return k;
    }
    return -1;
}

void GetZodiacName(int index, CStr& out)
{
    if (index < 0 || index >= ZODIAC_COUNT)
        return;
    out = kSigns[index].name;
}
