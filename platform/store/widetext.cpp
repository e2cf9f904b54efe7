// UTF-8 text as the system's wide strings and back, through the vCard code's one UTF-16 conversion.
#include "platform/store/widetext.h"

#include "platform/store/vcard/text.h"

#include <cstring>

// Wide strings are UTF-16 in the machine's (little-endian) byte order.
std::wstring Utf8ToWide(const std::string& utf8)
{
    std::string units = vcard::Utf8ToUtf16(utf8, false);
    std::wstring wide(units.size() / sizeof(wchar_t), L'\0');
    if (!wide.empty())
        memcpy(&wide[0], units.data(), wide.size() * sizeof(wchar_t));
    return wide;
}

std::string WideToUtf8(const std::wstring& wide)
{
    return vcard::Utf16ToUtf8(reinterpret_cast<const char*>(wide.data()), wide.size() * sizeof(wchar_t), false);
}
