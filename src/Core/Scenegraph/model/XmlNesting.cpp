// XmlNesting: the element depth of an XML text, read by rapidxml's own rules.
#include "Core/Scenegraph/model/XmlNesting.h"

#include <cstring>

namespace Vorm {

namespace {

bool IsSpace(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t';
}

// The characters the library takes into an element name.
bool IsNameChar(char c)
{
    return c != '\0' && !IsSpace(c) && c != '/' && c != '>' && c != '?';
}

// The characters the library takes into an attribute name: quotes are among
// them, so a quote only opens a value after '='.
bool IsAttributeNameChar(char c)
{
    return IsNameChar(c) && c != '<' && c != '=' && c != '!';
}

// A cursor that reads NUL past the end, as the library does at the
// terminator of its buffer.
class Cursor
{
public:
    explicit Cursor(const std::string& text) : m_text(text), m_pos(0) {}

    char Peek(size_t ahead = 0) const
    {
        return m_pos + ahead < m_text.size() ? m_text[m_pos + ahead] : '\0';
    }
    void Advance(size_t count) { m_pos += count; }
    bool StartsWith(const char* word) const
    {
        const size_t length = std::strlen(word);
        for (size_t i = 0; i < length; ++i)
            if (Peek(i) != word[i])
                return false;
        return true;
    }
    void Skip(bool (*test)(char))
    {
        while (test(Peek()))
            ++m_pos;
    }
    // Up to a NUL or `stop`; true when at `stop`.
    bool SkipTo(char stop)
    {
        while (Peek() != stop && Peek() != '\0')
            ++m_pos;
        return Peek() == stop;
    }
    // Past the next `end` (a comment's, CDATA's or processing instruction's);
    // false at a NUL first.
    bool SkipPast(const char* end)
    {
        while (!StartsWith(end)) {
            if (Peek() == '\0')
                return false;
            ++m_pos;
        }
        m_pos += std::strlen(end);
        return true;
    }
    // A document type's body up to and past its '>', which does not count
    // inside brackets.
    bool SkipDoctype()
    {
        while (Peek() != '>') {
            if (Peek() == '\0')
                return false;
            if (Peek() != '[') {
                ++m_pos;
                continue;
            }
            ++m_pos;
            for (int depth = 1; depth > 0; ++m_pos) {
                if (Peek() == '\0')
                    return false;
                depth += Peek() == '[' ? 1 : Peek() == ']' ? -1 : 0;
            }
        }
        ++m_pos;
        return true;
    }
    // The rest of a start tag after its '<': false where the library would
    // stop with an error; `opens` says whether it opens a level ('>') or
    // closes itself ("/>").
    bool SkipStartTag(bool& opens)
    {
        if (!IsNameChar(Peek()))
            return false;
        Skip(IsNameChar);
        Skip(IsSpace);
        while (IsAttributeNameChar(Peek())) {
            Skip(IsAttributeNameChar);
            Skip(IsSpace);
            if (Peek() != '=')
                return false;
            ++m_pos;
            Skip(IsSpace);
            const char quote = Peek();
            if (quote != '"' && quote != '\'')
                return false;
            ++m_pos;
            if (!SkipTo(quote))
                return false;
            ++m_pos;
            Skip(IsSpace);
        }
        opens = Peek() == '>';
        if (!opens && !(Peek() == '/' && Peek(1) == '>'))
            return false;
        m_pos += opens ? 1 : 2;
        return true;
    }

private:
    const std::string& m_text;
    size_t m_pos;
};

} // namespace

int XmlNesting::Depth(const std::string& text, int stopAbove)
{
    Cursor at(text);
    if (at.StartsWith("\xEF\xBB\xBF"))
        at.Advance(3);
    int depth = 0;
    int deepest = 0;
    for (;;) {
        // Outside the root only blanks may stand between nodes; inside an
        // element, text runs up to the next '<'.
        if (depth == 0)
            at.Skip(IsSpace);
        if (depth == 0 ? at.Peek() != '<' : !at.SkipTo('<'))
            return deepest;

        if (depth > 0 && at.Peek(1) == '/') {
            // The closing tag of the innermost open element.
            at.Advance(2);
            at.Skip(IsNameChar);
            at.Skip(IsSpace);
            if (at.Peek() != '>')
                return deepest;
            at.Advance(1);
            --depth;
            continue;
        }

        at.Advance(1);
        bool ok = true;
        if (at.Peek() == '?') {
            at.Advance(1);
            ok = at.SkipPast("?>");
        } else if (at.StartsWith("!--")) {
            at.Advance(3);
            ok = at.SkipPast("-->");
        } else if (at.StartsWith("![CDATA[")) {
            at.Advance(8);
            ok = at.SkipPast("]]>");
        } else if (at.StartsWith("!DOCTYPE") && IsSpace(at.Peek(8))) {
            at.Advance(9);
            ok = at.SkipDoctype();
        } else if (at.Peek() == '!') {
            at.Advance(1);
            ok = at.SkipTo('>');
            at.Advance(1);
        } else {
            bool opens = false;
            ok = at.SkipStartTag(opens);
            if (ok && opens && ++depth > deepest) {
                deepest = depth;
                if (deepest > stopAbove)
                    return deepest;
            }
        }
        if (!ok)
            return deepest;
    }
}

} // namespace Vorm
