// The nesting check that runs before a text reaches the XML library's recursive parser.
#pragma once

#include "tvCore/core/tvTypes.h"

namespace Tolvane {

// True when no element of the zero-terminated Text nests deeper than Limit as the XML
// library's parser would read it. The text is lexed as that parser lexes it (comments, CDATA,
// declarations, unknown "<!" and "<?" nodes, quoted attribute values, and in UTF-8 documents
// the multi-byte steps of its text reader), so a nesting it would recurse into is never
// missed; where the parser would stop at an error, the count may only run higher.
TVCORE_INTERNAL bool appXmlNestingWithin(const char* Text, int Limit);

// Bytes of zeros the parser may read past a text's terminator (its UTF-8 reader steps over
// up to four bytes at once); every buffer handed to it carries them.
constexpr int XML_TEXT_PADDING = 4;

} // namespace Tolvane
