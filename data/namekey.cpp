// CNameKeys: sort keys of names from per-character weights derived from the locale, or from the locale's call.
#include "data/namekey.h"

#include <cstring>
#include <string>

namespace {

const DWORD KEY_FLAGS = LCMAP_SORTKEY | NORM_IGNORECASE;
// Characters tried for quick keys: the printable ones of the first 256, where almost every name lives.
const wchar_t FIRST_CHAR = 0x20;
const wchar_t LAST_CHAR = 0xFF;
const uint32_t MAX_WEIGHT = 4;
// Kept keys are written into blocks of this size (a longer key gets a block of its own).
const size_t BLOCK = 64 * 1024;
// Longer names (there are none but in damaged books) take the locale's call.
const size_t MAX_QUICK_CHARS = 1024;

std::string LocaleKey(const wchar_t* text, int length)
{
    int size = LCMapStringW(LOCALE_USER_DEFAULT, KEY_FLAGS, text, length, nullptr, 0);
    if (size <= 0)
        return std::string();
    std::string key(static_cast<size_t>(size), '\0');
    if (LCMapStringW(LOCALE_USER_DEFAULT, KEY_FLAGS, text, length, reinterpret_cast<wchar_t*>(&key[0]), size) != size)
        return std::string();
    return key;
}

std::string LocaleKey(const std::wstring& text)
{
    return LocaleKey(text.c_str(), static_cast<int>(text.size()));
}

struct CWeight
{
    uint8_t length; // 0: the character's key is not known to concatenate
    unsigned char bytes[MAX_WEIGHT];
};

// The weights of the characters whose key, in the user's locale, is their own weights followed by the key
// of the empty name, and whose weights simply follow each other in the key of any name made only of them.
// Derived from the locale itself and checked on names made of them; a character that does not pass is left
// to the locale's call, and so is every name when a check fails.
class CCharWeights
{
public:
    // Derives the weights again when the user's locale is not the one they were derived from.
    void Update()
    {
        wchar_t locale[LOCALE_NAME_MAX_LENGTH] = L"";
        GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
        if (m_derived && m_locale == locale)
            return;
        m_locale = locale;
        m_derived = true;
        Derive();
    }

    // Writes name's key to out, which has room for MAX_WEIGHT bytes a character and the key of the empty
    // name; returns its length, or 0 when a character of name has no weight.
    size_t Write(const wchar_t* name, unsigned char* out) const
    {
        unsigned char* start = out;
        for (const wchar_t* c = name; *c; c++)
        {
            if (*c > LAST_CHAR)
                return 0;
            const CWeight& weight = m_chars[*c];
            if (weight.length == 0)
                return 0;
            // All four bytes in one store; only the weight's own length counts.
            memcpy(out, weight.bytes, MAX_WEIGHT);
            out += weight.length;
        }
        memcpy(out, m_tail.data(), m_tail.size());
        return static_cast<size_t>(out - start) + m_tail.size();
    }

    size_t TailLength() const { return m_tail.size(); }

private:
    void Derive()
    {
        memset(m_chars, 0, sizeof(m_chars));
        m_tail = LocaleKey(L"", -1);
        if (m_tail.empty())
            return;
        std::wstring known;
        for (wchar_t c = FIRST_CHAR; c <= LAST_CHAR; c++)
        {
            std::string key = LocaleKey(&c, 1);
            if (key.size() <= m_tail.size() || key.size() > m_tail.size() + MAX_WEIGHT)
                continue;
            size_t own = key.size() - m_tail.size();
            if (key.compare(own, std::string::npos, m_tail) != 0)
                continue;
            m_chars[c].length = static_cast<uint8_t>(own);
            memcpy(m_chars[c].bytes, key.data(), own);
            known += c;
        }
        // Two letters may sort as one in some languages: every pair must keep both weights as they are.
        if (!Concatenates(AllPairs(known)))
        {
            for (wchar_t a : known)
                for (wchar_t b : known)
                    if (!Concatenates(std::wstring{a, b}))
                        m_chars[a].length = m_chars[b].length = 0;
            known.clear();
            for (wchar_t c = FIRST_CHAR; c <= LAST_CHAR; c++)
                if (m_chars[c].length)
                    known += c;
            if (!Concatenates(AllPairs(known)))
                return Forget();
        }
        if (!ChecksNames(known))
            Forget();
    }

    void Forget() { memset(m_chars, 0, sizeof(m_chars)); }

    // A text in which every ordered pair of the characters follows each other at least once (each pair
    // once: the characters' words of length one and two in order, the first character again at the end).
    static std::wstring AllPairs(const std::wstring& chars)
    {
        std::wstring text;
        for (size_t i = 0; i < chars.size(); i++)
        {
            text += chars[i];
            for (size_t j = i + 1; j < chars.size(); j++)
                text += {chars[i], chars[j]};
        }
        if (!chars.empty())
            text += chars[0];
        return text;
    }

    bool Concatenates(const std::wstring& text) const
    {
        std::string expected;
        for (wchar_t c : text)
            expected.append(reinterpret_cast<const char*>(m_chars[c].bytes), m_chars[c].length);
        expected += m_tail;
        return LocaleKey(text) == expected;
    }

    // Names of many lengths made of the known characters, picked by a fixed sequence of numbers.
    bool ChecksNames(const std::wstring& known) const
    {
        if (known.empty())
            return true;
        uint32_t random = 12345;
        for (int name = 0; name < 32; name++)
        {
            std::wstring text;
            for (int length = 1 + name * 2; length > 0; length--)
            {
                random = random * 1103515245u + 12345u;
                text += known[(random >> 16) % known.size()];
            }
            if (!Concatenates(text))
                return false;
        }
        return true;
    }

    std::wstring m_locale;
    bool m_derived = false;
    std::string m_tail;
    CWeight m_chars[LAST_CHAR + 1];
};

CCharWeights& Weights()
{
    static CCharWeights weights;
    return weights;
}

const unsigned char NO_KEY = 0;

} // namespace

CNameKeys::CNameKeys()
{
    Weights().Update();
}

bool CNameKeys::Quick(const wchar_t* name, std::vector<unsigned char>& out) const
{
    size_t chars = wcslen(name);
    if (chars > MAX_QUICK_CHARS)
        return false;
    out.resize(chars * MAX_WEIGHT + Weights().TailLength());
    size_t length = Weights().Write(name, out.data());
    out.resize(length);
    return length > 0;
}

unsigned char* CNameKeys::Reserve(size_t length)
{
    if (length > m_left)
    {
        size_t size = length > BLOCK ? length : BLOCK;
        m_blocks.emplace_back(new unsigned char[size]);
        m_free = m_blocks.back().get();
        m_left = size;
    }
    unsigned char* bytes = m_free;
    m_free += length;
    m_left -= length;
    return bytes;
}

const unsigned char* CNameKeys::Kept(const wchar_t* name, uint32_t& length)
{
    // Most names' keys fit this buffer: one call of the locale instead of one to size and one to fill.
    wchar_t buffer[256];
    int size = LCMapStringW(LOCALE_USER_DEFAULT, KEY_FLAGS, name, -1, buffer, sizeof(buffer));
    std::string large;
    if (size <= 0)
    {
        large = LocaleKey(name, -1);
        size = static_cast<int>(large.size());
    }
    length = static_cast<uint32_t>(size);
    if (size == 0)
        return &NO_KEY;
    unsigned char* bytes = Reserve(length);
    memcpy(bytes, large.empty() ? static_cast<const void*>(buffer) : large.data(), length);
    return bytes;
}
