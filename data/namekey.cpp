// CNameKeys: sort keys of names from per-character weights derived from the locale, or from the locale's call.
#include "data/namekey.h"

#include <cstring>
#include <string>

namespace {

const DWORD KEY_FLAGS = LCMAP_SORTKEY | NORM_IGNORECASE;
// Characters tried for quick keys: the printable ones of ASCII and the letters of Latin-1, where almost
// every name lives.
const wchar_t FIRST_CHAR = 0x20;
const wchar_t LAST_ASCII = 0x7E;
const wchar_t FIRST_LETTER = 0xC0;
const wchar_t LAST_CHAR = 0xFF;
// Below this many names, the locale's calls cost less than deriving the weights (once per process).
const uint32_t QUICK_FROM = 5000;
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

// A character's part of a quick key: its primary weights, and its marks (the accents' weights), one for
// each primary unit; an unmarked unit has UNMARKED.
struct CWeight
{
    uint8_t length; // of primary; 0: the character has no quick key
    uint8_t marks;  // of mark
    uint8_t marked; // the marks up to the last one that is not UNMARKED
    unsigned char primary[MAX_WEIGHT];
    unsigned char mark[MAX_WEIGHT];
};

const unsigned char SEPARATOR = 0x01;
const unsigned char UNMARKED = 0x02;

// The weights of the characters for which the user's locale makes the key of a name made only of them as:
// every character's primary weights in turn, a separator, every character's marks in turn without the
// unmarked ones at the end, and what the key of the empty name has after its separator. Derived from the
// locale itself and checked on every pair of the characters and on names made of them; a character that
// does not pass is left to the locale's call, and so is every name when a check fails.
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

    // The room Write needs for a name of chars characters.
    size_t Room(size_t chars) const { return chars * 2 * MAX_WEIGHT + 1 + m_rest.size(); }

    // Writes the key of name (chars characters long) to out, which has Room (chars) bytes; returns its
    // length, or 0 when a character of name has no weight.
    size_t Write(const wchar_t* name, size_t chars, unsigned char* out) const
    {
        if (m_tail.empty())
            return 0;
        unsigned char* start = out;
        // The marks are gathered behind the room the primary weights can take, then moved to their place.
        unsigned char* marks = out + chars * MAX_WEIGHT + 1;
        size_t markCount = 0;
        size_t markEnd = 0;
        for (size_t i = 0; i < chars; i++)
        {
            wchar_t c = name[i];
            if (c > LAST_CHAR)
                return 0;
            const CWeight& weight = m_chars[c];
            if (weight.length == 0)
                return 0;
            // Four bytes in one store each; only the weight's own length counts.
            memcpy(out, weight.primary, MAX_WEIGHT);
            out += weight.length;
            memcpy(marks + markCount, weight.mark, MAX_WEIGHT);
            if (weight.marked)
                markEnd = markCount + weight.marked;
            markCount += weight.marks;
        }
        *out++ = SEPARATOR;
        memmove(out, marks, markEnd);
        out += markEnd;
        memcpy(out, m_rest.data(), m_rest.size());
        return static_cast<size_t>(out - start) + m_rest.size();
    }

private:
    void Derive()
    {
        Forget();
        m_tail = LocaleKey(L"", -1);
        if (m_tail.empty() || m_tail[0] != static_cast<char>(SEPARATOR))
            return m_tail.clear();
        m_rest = m_tail.substr(1);
        // A character whose own key shows one mark: behind any other character, it tells that one's marks.
        wchar_t reference = 0;
        std::string primary, marks;
        for (wchar_t c = FIRST_LETTER; c <= LAST_CHAR && !reference; c++)
            if (Parse(LocaleKey(&c, 1), primary, marks) && marks.size() == 1)
                reference = c;
        std::string referencePrimary, referenceMark;
        if (reference)
            Parse(LocaleKey(&reference, 1), referencePrimary, referenceMark);
        std::wstring plain, marked;
        for (wchar_t c = FIRST_CHAR; c <= LAST_CHAR; c = c == LAST_ASCII ? FIRST_LETTER : c + 1)
        {
            if (!Parse(LocaleKey(&c, 1), primary, marks))
                continue;
            std::string own;
            if (reference)
            {
                std::string pairPrimary, pairMarks;
                const wchar_t pair[] = {c, reference};
                if (!Parse(LocaleKey(pair, 2), pairPrimary, pairMarks) || pairPrimary != primary + referencePrimary ||
                    pairMarks.size() < 1 + marks.size() || pairMarks.size() > 1 + MAX_WEIGHT ||
                    pairMarks.back() != referenceMark[0])
                    continue;
                own = pairMarks.substr(0, pairMarks.size() - 1);
                // Its own key shows the same marks, without the unmarked ones at the end.
                if (own.compare(0, marks.size(), marks) != 0 ||
                    own.find_first_not_of(static_cast<char>(UNMARKED), marks.size()) != std::string::npos)
                    continue;
            }
            else if (!marks.empty())
                continue;
            CWeight& weight = m_chars[c];
            weight.length = static_cast<uint8_t>(primary.size());
            memcpy(weight.primary, primary.data(), primary.size());
            weight.marks = static_cast<uint8_t>(own.size());
            memcpy(weight.mark, own.data(), own.size());
            weight.marked = static_cast<uint8_t>(marks.size());
            (marks.empty() ? plain : marked) += c;
        }
        // Two letters may sort as one in some languages, an accent may count from the end: every pair must
        // keep both characters' weights as they are. The plain characters are checked first, so that a
        // marked one cannot take them along.
        plain = KeepPairs(std::wstring(), plain);
        marked = KeepPairs(plain, marked);
        if (!ChecksNames(plain + marked))
        {
            Drop(marked);
            if (!ChecksNames(plain))
                Forget();
        }
    }

    // A key split at its first separator into primary weights and marks, when it has the end of the empty
    // name's key and parts that fit a weight.
    bool Parse(const std::string& key, std::string& primary, std::string& marks) const
    {
        if (key.size() <= m_rest.size() || key.compare(key.size() - m_rest.size(), std::string::npos, m_rest) != 0)
            return false;
        std::string body = key.substr(0, key.size() - m_rest.size());
        size_t separator = body.find(static_cast<char>(SEPARATOR));
        if (separator == std::string::npos || separator == 0 || separator > MAX_WEIGHT ||
            body.size() - separator - 1 > MAX_WEIGHT)
            return false;
        primary = body.substr(0, separator);
        marks = body.substr(separator + 1);
        return true;
    }

    // The characters of checked whose every pair with the characters of base (already checked among
    // themselves) and with each other keeps its weights; the others lose theirs.
    std::wstring KeepPairs(const std::wstring& base, const std::wstring& checked)
    {
        std::wstring all = base + checked;
        if (Concatenates(AllPairs(all)))
            return checked;
        std::wstring failing;
        for (wchar_t a : all)
            for (wchar_t b : all)
                if (!Concatenates(std::wstring{a, b}))
                    failing += {a, b};
        std::wstring kept;
        for (wchar_t c : checked)
            if (failing.find(c) == std::wstring::npos)
                kept += c;
            else
                m_chars[c].length = 0;
        if (Concatenates(AllPairs(base + kept)))
            return kept;
        Drop(kept);
        return std::wstring();
    }

    void Drop(const std::wstring& chars)
    {
        for (wchar_t c : chars)
            m_chars[c].length = 0;
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
        std::string expected(Room(text.size()), '\0');
        size_t length = Write(text.c_str(), text.size(), reinterpret_cast<unsigned char*>(&expected[0]));
        return length > 0 && LocaleKey(text) == expected.substr(0, length);
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
    std::string m_tail; // the key of the empty name
    std::string m_rest; // what it has after its separator
    CWeight m_chars[LAST_CHAR + 1];
};

CCharWeights& Weights()
{
    static CCharWeights weights;
    return weights;
}

const unsigned char NO_KEY = 0;

} // namespace

CNameKeys::CNameKeys(uint32_t names) : m_quick(names >= QUICK_FROM)
{
    if (m_quick)
        Weights().Update();
}

bool CNameKeys::Quick(const wchar_t* name, std::vector<unsigned char>& out) const
{
    size_t chars = m_quick ? wcslen(name) : 0;
    if (!m_quick || chars > MAX_QUICK_CHARS)
        return false;
    out.resize(Weights().Room(chars));
    size_t length = Weights().Write(name, chars, out.data());
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
