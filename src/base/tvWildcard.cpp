// Wildcard matching of file names.
#include "base/tvPrelude.h"
#include "base/tvWildcard.h"
#include "base/tvPathLimits.h"
#include "base/tvWideText.h"

#include <cstring>

namespace Tolvane {
namespace Wildcard {

bool Match(const tvWChar* Pattern, const tvWChar* Name)
{
    const tvWChar* StarPattern = nullptr;
    const tvWChar* StarName = nullptr;
    while (*Name) {
        if (*Pattern == u'*') {
            StarPattern = ++Pattern;
            StarName = Name;
        } else if (*Pattern == u'?' || (*Pattern && Wide::ToLower(*Pattern) == Wide::ToLower(*Name))) {
            ++Pattern;
            ++Name;
        } else if (StarPattern) {
            Pattern = StarPattern;
            Name = ++StarName;
        } else {
            return false;
        }
    }
    while (*Pattern == u'*')
        ++Pattern;
    return *Pattern == 0;
}

bool MatchFileName(const tvWChar* Pattern, const tvWChar* Name)
{
    if (Match(Pattern, Name))
        return true;
    const std::size_t Length = Wide::Length(Pattern);
    if (Length < 2 || Pattern[Length - 2] != u'.' || Pattern[Length - 1] != u'*' || Wide::FindChar(Name, u'.'))
        return false;
    tvWChar Stem[GWorkingPathUnits];
    if (Length - 2 >= GWorkingPathUnits)
        return false;
    std::memcpy(Stem, Pattern, (Length - 2) * sizeof(tvWChar));
    Stem[Length - 2] = 0;
    return Match(Stem, Name);
}

bool HasWildcard(const tvWChar* Text) { return Wide::FindChar(Text, u'*') || Wide::FindChar(Text, u'?'); }

} // namespace Wildcard
} // namespace Tolvane
