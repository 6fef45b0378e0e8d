// A lexer that follows the XML library's parser closely enough to count element nesting the
// way it recurses, without building anything.
#include "base/tvPrelude.h"

#include "config/tvXmlNesting.h"

namespace Tolvane {

namespace {

inline bool IsSpace(unsigned char C) { return C == ' ' || C == '\t' || C == '\n' || C == '\v' || C == '\f' || C == '\r'; }
inline bool IsAsciiAlpha(unsigned char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z'); }
// The parser's letters: ASCII letters and every byte from 127 up.
inline bool IsNameStart(unsigned char C) { return C >= 127 || IsAsciiAlpha(C) || C == '_'; }
inline bool IsNameChar(unsigned char C) { return IsNameStart(C) || (C >= '0' && C <= '9') || C == '-' || C == '.' || C == ':'; }

inline unsigned char Lower(unsigned char C) { return (C >= 'A' && C <= 'Z') ? static_cast<unsigned char>(C + 32) : C; }

// P starts with Tag (ASCII), optionally ignoring case; never reads past P's terminator.
bool StartsWith(const unsigned char* P, const char* Tag, bool IgnoreCase)
{
    for (; *Tag; ++P, ++Tag) {
        if (!*P)
            return false;
        if (IgnoreCase ? Lower(*P) != Lower(static_cast<unsigned char>(*Tag)) : *P != static_cast<unsigned char>(*Tag))
            return false;
    }
    return true;
}

// The parser's text reader steps over a UTF-8 lead byte and its followers as one character,
// whatever the followers are.
inline int Utf8Step(unsigned char C)
{
    if (C >= 0xC2 && C <= 0xDF)
        return 2;
    if (C >= 0xE0 && C <= 0xEF)
        return 3;
    if (C >= 0xF0 && C <= 0xF4)
        return 4;
    return 1;
}

class FLexer {
public:
    FLexer(const unsigned char* Text, int InLimit) : P(Text), Limit(InLimit)
    {
        if (P[0] == 0xEF && P[1] == 0xBB && P[2] == 0xBF)
            Utf8 = Known = true;
    }

    bool Run()
    {
        while (*P) {
            if (*P != '<') {
                // Text: single bytes in a run, then a UTF-8 lead byte with its followers.
                while (*P && *P != '<' && (!Utf8 || *P < 0xC2))
                    ++P;
                if (*P && *P != '<')
                    StepText();
                continue;
            }
            if (StartsWith(P, "<?xml", true))
                Declaration();
            else if (StartsWith(P, "<!--", false))
                SkipPast(P + 4, "-->");
            else if (StartsWith(P, "<![CDATA[", false))
                SkipPast(P + 9, "]]>");
            else if (P[1] == '/') {
                if (Depth > 0)
                    --Depth;
                SkipPastChar(P + 2, '>');
            } else if (P[1] == '!' || !IsNameStart(P[1]))
                SkipPastChar(P + 1, '>');
            else if (!Element())
                return false;
        }
        return true;
    }

private:
    // The parser's white-space skip; in UTF-8 documents it also passes over byte-order marks
    // and the two non-characters U+FFFE and U+FFFF.
    void SkipSpaces()
    {
        while (*P) {
            if (Utf8 && P[0] == 0xEF && ((P[1] == 0xBB && P[2] == 0xBF) || (P[1] == 0xBF && (P[2] == 0xBE || P[2] == 0xBF)))) {
                P += 3;
                continue;
            }
            if (!IsSpace(*P))
                return;
            ++P;
        }
    }
    void StepText()
    {
        const int Step = Utf8 ? Utf8Step(*P) : 1;
        for (int i = 0; i < Step && *P; ++i)
            ++P;
    }
    // Moves past the next End at or after From, or to the terminator.
    void SkipPast(const unsigned char* From, const char* End)
    {
        for (P = From; *P; ++P)
            if (StartsWith(P, End, false)) {
                P += std::strlen(End);
                return;
            }
    }
    void SkipPastChar(const unsigned char* From, unsigned char End)
    {
        for (P = From; *P && *P != End; ++P) {
        }
        if (*P)
            ++P;
    }
    // A quoted value as the parser's text reader takes it: up to the closing quote, stepping
    // over UTF-8 sequences whole.
    void Quoted()
    {
        const unsigned char Quote = *P++;
        while (*P && *P != Quote)
            StepText();
        if (*P)
            ++P;
    }
    // From "<name": attributes up to ">" (one level deeper) or "/>".
    bool Element()
    {
        ++P;
        while (*P && IsNameChar(*P))
            ++P;
        while (*P) {
            if (*P == '>') {
                ++P;
                if (++Depth > Limit)
                    return false;
                return true;
            }
            if (*P == '/' && P[1] == '>') {
                P += 2;
                return true;
            }
            if (*P == '"' || *P == '\'')
                Quoted();
            else
                ++P;
        }
        return true;
    }
    // "<?xml ... >": only the version, encoding and standalone values are read as quoted
    // values; anything else ends at the first ">". A declaration at the top of a document
    // whose encoding is not known yet decides it: none or UTF-8 make the rest UTF-8.
    void Declaration()
    {
        P += 5;
        const unsigned char* Encoding = nullptr;
        int EncodingLength = 0;
        while (*P) {
            if (*P == '>') {
                ++P;
                break;
            }
            SkipSpaces();
            const bool IsEncoding = StartsWith(P, "encoding", true);
            if (StartsWith(P, "version", true) || IsEncoding || StartsWith(P, "standalone", true)) {
                while (*P && IsNameChar(*P))
                    ++P;
                SkipSpaces();
                if (*P != '=')
                    continue;
                ++P;
                SkipSpaces();
                const unsigned char* Start = P;
                if (*P == '"' || *P == '\'') {
                    Quoted();
                    if (IsEncoding) {
                        Encoding = Start + 1;
                        EncodingLength = static_cast<int>(P - Start) - 2;
                    }
                } else {
                    while (*P && !IsSpace(*P) && *P != '/' && *P != '>')
                        ++P;
                    if (IsEncoding) {
                        Encoding = Start;
                        EncodingLength = static_cast<int>(P - Start);
                    }
                }
            } else {
                while (*P && *P != '>' && !IsSpace(*P))
                    ++P;
            }
        }
        if (Known || Depth > 0)
            return;
        Known = true;
        if (!Encoding || EncodingLength <= 0) {
            Utf8 = true;
            return;
        }
        // The parser compares only as many characters as "UTF-8" and "UTF8" have.
        unsigned char Name[6] = {0, 0, 0, 0, 0, 0};
        for (int i = 0; i < 5 && i < EncodingLength; ++i)
            Name[i] = Encoding[i];
        Utf8 = StartsWith(Name, "UTF-8", true) || StartsWith(Name, "UTF8", true);
    }

    const unsigned char* P;
    int Limit;
    int Depth = 0;
    bool Utf8 = false;
    bool Known = false;
};

} // namespace

bool appXmlNestingWithin(const char* Text, int Limit)
{
    if (!Text)
        return true;
    FLexer Lexer(reinterpret_cast<const unsigned char*>(Text), Limit);
    return Lexer.Run();
}

} // namespace Tolvane
