// Dates of vCard properties (BDAY, ANNIVERSARY and their kin) and their OLE automation values.
#include "platform/store/vcard/date.h"

#include "platform/store/vcard/text.h"

namespace vcard {

namespace {

// Reads exactly count digits at pos.
bool Digits(const std::string& t, size_t pos, size_t count, int& value)
{
    if (pos + count > t.size())
        return false;
    value = 0;
    for (size_t i = pos; i < pos + count; ++i)
    {
        if (t[i] < '0' || t[i] > '9')
            return false;
        value = value * 10 + (t[i] - '0');
    }
    return true;
}

// What may follow a date: nothing, or a time part.
bool IsDateEnd(const std::string& t, size_t pos)
{
    return pos == t.size() || t[pos] == 'T' || t[pos] == 't' || t[pos] == ' ';
}

bool IsSeparator(char c)
{
    return c == '-' || c == '/' || c == '.';
}

// Month and day after a separator: one or two digits each ("3-5", "03-05").
bool SeparatedMonthDay(const std::string& t, size_t pos, int& month, int& day, size_t& end)
{
    size_t i = pos;
    auto number = [&](int& v) {
        size_t start = i;
        v = 0;
        while (i < t.size() && i - start < 2 && t[i] >= '0' && t[i] <= '9')
            v = v * 10 + (t[i++] - '0');
        return i > start;
    };
    if (!number(month) || i >= t.size() || !IsSeparator(t[i]))
        return false;
    ++i;
    if (!number(day))
        return false;
    end = i;
    return true;
}

long long DaysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

} // namespace

bool IsValidDate(int year, int month, int day)
{
    static const int DAYS[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1)
        return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    int limit = DAYS[month - 1] + (month == 2 && leap ? 1 : 0);
    return day <= limit;
}

bool ParseVCardDate(const std::string& text, CVCardDate& date)
{
    std::string t = Trim(text);
    int y = 0, m = 0, d = 0;
    size_t end = 0;
    if (t.size() >= 2 && t[0] == '-' && t[1] == '-')
    {
        y = YEAR_UNKNOWN;
        if (Digits(t, 2, 2, m) && Digits(t, 4, 2, d))
            end = 6;
        else if (Digits(t, 2, 2, m) && t.size() > 4 && t[4] == '-' && Digits(t, 5, 2, d))
            end = 7;
        else
            return false;
    }
    else if (!Digits(t, 0, 4, y))
        return false;
    else if (t.size() > 4 && IsSeparator(t[4]))
    {
        if (!SeparatedMonthDay(t, 5, m, d, end))
            return false;
    }
    else if (Digits(t, 4, 2, m) && Digits(t, 6, 2, d))
        end = 8;
    else
        return false;
    if (!IsDateEnd(t, end) || !IsValidDate(y, m, d))
        return false;
    date.year = y;
    date.month = m;
    date.day = d;
    return true;
}

double ToOleDate(const CVCardDate& date)
{
    return static_cast<double>(DaysFromCivil(date.year, date.month, date.day) - DaysFromCivil(1899, 12, 30));
}

} // namespace vcard
