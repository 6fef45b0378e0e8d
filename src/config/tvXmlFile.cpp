// XML documents over the XML library: loading and parsing behind a nesting check, saving
// through a checked whole-file writer, and the wrapper tree of the document's elements.
//
// Memory: the XML library allocates and frees its nodes and strings with the standard
// allocator, while every new and delete compiled into this library goes to GMalloc. So no
// node the XML library will delete is made here with new: nodes are made by the library's
// own Clone or InsertEndChild from prototypes on the stack, and deleted through their virtual
// destructors, which live in the XML library (this file is built without devirtualisation so
// that those calls stay virtual). Stack prototypes are either types whose destructor lives in
// the XML library (TiXmlElement) or hold only short texts.
#include "base/tvPrelude.h"

#include "tvCore/config/tvXmlFile.h"

#include "config/tvXmlNesting.h"
#include "core/files/tvFileSave.h"
#include "platform/tvPlatformMemoryFile.h"
#include "base/tvUnicode.h"
#include "tvCore/core/files/tvFileManagerWin.h"
#include "tvCore/core/strings/tvCharConversion.h"
#include "tvCore/core/tvGlobals.h"
#include "tvCore/core/tvMalloc.h"

#include <tinyxml.h>

namespace Tolvane {

namespace {

// --- Text conversions at the whole length of the text ------------------------------------------

// A GMalloc block holding Text in the ANSI code page, followed by Padding zero bytes; null
// when there is no text or it does not convert.
char* NewAnsi(const tvWChar* Text, int Padding = 0)
{
    if (!Text)
        return nullptr;
    const int Bytes = appUnicodeToAnsi(nullptr, Text, 0);
    if (Bytes <= 0 || Bytes > std::numeric_limits<int>::max() - Padding)
        return nullptr;
    char* Out = static_cast<char*>(GMalloc->Malloc(static_cast<unsigned>(Bytes + Padding)));
    if (!Out)
        return nullptr;
    if (appUnicodeToAnsi(Out, Text, Bytes) != Bytes) {
        GMalloc->Free(Out);
        return nullptr;
    }
    std::memset(Out + Bytes, 0, static_cast<std::size_t>(Padding));
    return Out;
}

// UTF-8 in and out goes through the base layer's UTF converters, which put U+FFFD where the
// input is not valid (as the system conversions do with flags 0) instead of dropping the text.

// A GMalloc block holding Text in UTF-8; null when memory is refused.
char* NewUtf8(const FString& Text)
{
    const int Units = Text.GetLength();
    const std::int64_t Room = 3 * static_cast<std::int64_t>(Units) + 1;  // a unit never needs more than 3 bytes
    if (Room > std::numeric_limits<int>::max())
        return nullptr;
    char* Out = static_cast<char*>(GMalloc->Malloc(static_cast<unsigned>(Room)));
    if (!Out)
        return nullptr;
    if (Unicode::Utf16ToUtf8(Text, Units, Out, static_cast<std::size_t>(Room)) < 0) {
        GMalloc->Free(Out);
        return nullptr;
    }
    return Out;
}

// Out becomes the UTF-8 text Text; false (Out unchanged) when memory is refused.
bool AssignUtf8(FString& Out, const char* Text)
{
    const std::size_t Bytes = std::strlen(Text);
    if (Bytes > static_cast<std::size_t>(std::numeric_limits<int>::max() - 1))
        return false;
    FString Result;
    if (Bytes) {
        // A byte never gives more than one unit.
        tvWChar* Buffer = Result.GetBuffer(static_cast<int>(Bytes));
        if (!Buffer || Unicode::Utf8ToUtf16(Text, static_cast<int>(Bytes), Buffer, Bytes + 1) < 0)
            return false;
        Result.ReleaseBuffer(-1);
    }
    Out = Result;
    return true;
}

// Out becomes the ANSI text Text; false (Out unchanged) when it does not convert.
bool AssignAnsi(FString& Out, const char* Text)
{
    const int Bytes = appAnsiToUnicode(nullptr, Text, 0);
    if (Bytes <= 0)
        return false;
    FString Result;
    if (Bytes > 2) {
        tvWChar* Buffer = Result.GetBuffer(Bytes / 2);
        if (!Buffer || !appAnsiToUnicode(Buffer, Text, Bytes))
            return false;
        Result.ReleaseBuffer(-1);
    }
    Out = Result;
    return true;
}

// --- Nodes made by the XML library --------------------------------------------------------------

TiXmlDocument* NewDocument()
{
    TiXmlDocument Empty;
    TiXmlNode* Made = static_cast<const TiXmlNode&>(Empty).Clone();
    return Made ? Made->ToDocument() : nullptr;
}

TiXmlElement* NewElement(const char* Name)
{
    TiXmlElement Prototype(Name);
    TiXmlNode* Made = static_cast<const TiXmlNode&>(Prototype).Clone();
    return Made ? Made->ToElement() : nullptr;
}

void DeleteNode(TiXmlNode* Node) { delete Node; }

// Elements from the document down to Element (1 for a root element).
int DepthOf(const TiXmlNode* Element)
{
    int Depth = 0;
    for (const TiXmlNode* Node = Element; Node && Node->ToElement(); Node = Node->Parent())
        ++Depth;
    return Depth;
}

// What the XML library's file reader does to a text before parsing it: CR LF and lone CR
// become LF.
void NormaliseLineEnds(char* Text)
{
    // Nothing moves before the first CR.
    char* Write = std::strchr(Text, '\r');
    if (!Write)
        return;
    const char* Read = Write;
    while (*Read) {
        if (*Read == '\r') {
            *Write++ = '\n';
            if (*++Read == '\n')
                ++Read;
        } else {
            *Write++ = *Read++;
        }
    }
    *Write = 0;
}

} // namespace

// --- FXmlNode --------------------------------------------------------------------------------------

FXmlNode::FXmlNode(TiXmlElement* InElement) : Element(InElement), OwnedElement(nullptr), CachePending(false) {}

FXmlNode::FXmlNode(const tvWChar* Name) : Element(nullptr), OwnedElement(nullptr), CachePending(false)
{
    if (char* Narrow = NewAnsi(Name)) {
        Element = OwnedElement = NewElement(Narrow);
        GMalloc->Free(Narrow);
    }
}

// Copies share the source's wrappers, so those are made before they are copied.
FXmlNode::FXmlNode(const FXmlNode& Source)
    : Element(Source.Element), Children((Source.MakePendingCache(), Source.Children)), OwnedElement(nullptr), CachePending(false)
{
}

FXmlNode& FXmlNode::operator=(const FXmlNode& Source)
{
    if (this != &Source) {
        Source.MakePendingCache();
        Element = Source.Element;
        Children = Source.Children;
        CachePending = false;
    }
    return *this;
}

FXmlNode& FXmlNode::operator=(TiXmlElement* InElement)
{
    // The cache keeps mirroring the element it was made for.
    MakePendingCache();
    Element = InElement;
    return *this;
}

FXmlNode::~FXmlNode()
{
    if (OwnedElement)
        DeleteNode(OwnedElement);
}

FXmlNode* FXmlNode::AddChild(const tvWChar* Name)
{
    if (!Element || DepthOf(Element) >= XML_NESTING_LIMIT)
        return nullptr;
    // The earlier children come first in the cache.
    MakePendingCache();
    char* Narrow = NewAnsi(Name);
    if (!Narrow)
        return nullptr;
    TiXmlElement Prototype(Narrow);
    GMalloc->Free(Narrow);
    TiXmlNode* Linked = Element->InsertEndChild(Prototype);
    if (!Linked)
        return nullptr;
    FXmlNode* Wrapper = new FXmlNode(Linked->ToElement());
    if (!Wrapper || Children.AddItem(Wrapper) < 0) {
        delete Wrapper;
        Element->RemoveChild(Linked);
        return nullptr;
    }
    return Wrapper;
}

int FXmlNode::DeleteChild(FXmlNode* Child)
{
    // The XML library asserts on a stranger; it is refused here first.
    if (!Element || !Child || !Child->Element || Child->Element->Parent() != Element)
        return 0;
    if (!Element->RemoveChild(Child->Element))
        return 0;
    Children.RemoveItem(Child);
    Child->Element = nullptr;
    Child->UnCacheChilds();
    delete Child;
    return 1;
}

void FXmlNode::ClearAllChilds()
{
    UnCacheChilds();
    if (Element)
        Element->Clear();
}

FXmlNode* FXmlNode::FindFirstChild(const tvWChar* Name)
{
    if (!Element)
        return nullptr;
    char* Narrow = NewAnsi(Name);
    if (!Narrow)
        return nullptr;
    const TiXmlNode* Found = Element->FirstChild(Narrow);
    GMalloc->Free(Narrow);
    if (!Found)
        return nullptr;
    MakePendingCache();
    for (FXmlNode* Child : Children)
        if (Child->Element == Found)
            return Child;
    return nullptr;
}

int FXmlNode::GetName(FString& Name)
{
    if (!Element)
        return 0;
    return AssignAnsi(Name, Element->Value()) ? 1 : 0;
}

int FXmlNode::GetText(FString& Text)
{
    const char* Found = Element ? Element->GetText() : nullptr;
    if (!Found)
        return 0;
    return AssignUtf8(Text, Found) ? 1 : 0;
}

int FXmlNode::GetAttribute(const FString& Name, FString& Value)
{
    if (!Element)
        return 0;
    char* Narrow = NewAnsi(Name);
    if (!Narrow)
        return 0;
    const char* Found = Element->Attribute(Narrow);
    GMalloc->Free(Narrow);
    if (!Found)
        return 0;
    return AssignUtf8(Value, Found) ? 1 : 0;
}

void FXmlNode::SetAttribute(FString Name, FString Value)
{
    if (!Element)
        return;
    char* NarrowName = NewUtf8(Name);
    char* NarrowValue = NewUtf8(Value);
    if (NarrowName && NarrowValue)
        Element->SetAttribute(NarrowName, NarrowValue);
    if (NarrowName)
        GMalloc->Free(NarrowName);
    if (NarrowValue)
        GMalloc->Free(NarrowValue);
}

void FXmlNode::RemoveAttribute(FString Name)
{
    if (!Element)
        return;
    if (char* Narrow = NewUtf8(Name)) {
        Element->RemoveAttribute(Narrow);
        GMalloc->Free(Narrow);
    }
}

int FXmlNode::SetText(FString& Text)
{
    if (!Element)
        return 0;
    char* Narrow = NewUtf8(Text);
    if (!Narrow)
        return 0;
    // The copy the element keeps is made by the XML library; its text is set afterwards.
    TiXmlText Empty("");
    TiXmlNode* Linked = Element->InsertEndChild(Empty);
    if (Linked)
        Linked->SetValue(Narrow);
    GMalloc->Free(Narrow);
    return Linked ? 1 : 0;
}

TArray<FXmlNode*>* FXmlNode::GetAllChilds()
{
    MakePendingCache();
    return &Children;
}

const TArray<FXmlNode*>* FXmlNode::GetAllChilds() const
{
    MakePendingCache();
    return &Children;
}

int FXmlNode::CacheChilds()
{
    UnCacheChilds();
    // The wrappers are made level by level as the tree is used: a document's load costs no
    // wrapper for the elements a caller never visits, and no walk recurses.
    CachePending = Element != nullptr;
    return 0;
}

void FXmlNode::MakePendingCache() const
{
    if (!CachePending)
        return;
    CachePending = false;
    for (TiXmlElement* Child = Element->FirstChildElement(); Child; Child = Child->NextSiblingElement()) {
        FXmlNode* Wrapper = new FXmlNode(Child);
        if (!Wrapper)
            continue;
        Wrapper->CachePending = true;
        if (Children.AddItem(Wrapper) < 0)
            delete Wrapper;
    }
}

void FXmlNode::UnCacheChilds()
{
    // A stack of wrappers still to free, each pushing its own cached children first.
    TArray<FXmlNode*> Doomed(std::move(Children));
    Children.RemoveAll(1);
    CachePending = false;
    while (Doomed.Num() > 0) {
        FXmlNode* Node = Doomed[Doomed.Num() - 1];
        Doomed.RemoveAt(Doomed.Num() - 1);
        for (FXmlNode* Child : Node->Children)
            Doomed.AddItem(Child);
        Node->Children.RemoveAll(1);
        delete Node;
    }
}

// --- FXmlFile --------------------------------------------------------------------------------------

FXmlFile::FXmlFile() : Document(NewDocument()), Root(nullptr) {}

FXmlFile::FXmlFile(const FXmlFile& Source) : Document(nullptr), Root(nullptr), FileName(Source.FileName)
{
    TiXmlNode* Copy = Source.Document ? static_cast<const TiXmlNode*>(Source.Document)->Clone() : NewDocument();
    Document = Copy ? Copy->ToDocument() : nullptr;
    if (Source.Root && Document)
        SetRoot();
}

FXmlFile& FXmlFile::operator=(const FXmlFile& Source)
{
    if (this == &Source)
        return *this;
    TiXmlNode* Copy = Source.Document ? static_cast<const TiXmlNode*>(Source.Document)->Clone() : NewDocument();
    if (!Copy)
        return *this;
    ReleaseRoot();
    if (Document)
        DeleteNode(Document);
    Document = Copy->ToDocument();
    FileName = Source.FileName;
    if (Source.Root)
        SetRoot();
    return *this;
}

FXmlFile::~FXmlFile()
{
    ReleaseRoot();
    if (Document)
        DeleteNode(Document);
}

void FXmlFile::ReleaseRoot()
{
    if (!Root)
        return;
    Root->UnCacheChilds();
    delete Root;
    Root = nullptr;
}

void FXmlFile::SetRoot()
{
    ReleaseRoot();
    Root = new FXmlNode(Document->FirstChildElement());
    if (Root)
        Root->CacheChilds();
}

void FXmlFile::Close() { ReleaseRoot(); }

int FXmlFile::ParseNarrow(char* Text, bool Fresh)
{
    if (!appXmlNestingWithin(Text, XML_NESTING_LIMIT))
        return 0;
    if (Fresh) {
        // A file replaces the document only once it has parsed without error.
        TiXmlDocument* Parsed = NewDocument();
        if (!Parsed)
            return 0;
        Parsed->Parse(Text, nullptr, TIXML_ENCODING_UNKNOWN);
        if (Parsed->Error()) {
            DeleteNode(Parsed);
            return 0;
        }
        ReleaseRoot();
        if (Document)
            DeleteNode(Document);
        Document = Parsed;
    } else {
        // A text is parsed into the document after what it holds; a text that fails takes
        // back every node it added.
        TiXmlNode* Last = Document->LastChild();
        Document->Parse(Text, nullptr, TIXML_ENCODING_UNKNOWN);
        if (Document->Error()) {
            while (Document->LastChild() != Last)
                Document->RemoveChild(Document->LastChild());
            return 0;
        }
    }
    SetRoot();
    return 1;
}

int FXmlFile::Load(const tvWChar* InFileName)
{
    if (!InFileName)
        return 0;
    FFileManagerWin Native;
    FFileReader* Reader = Native.CreateReader(InFileName);
    if (!Reader)
        return 0;
    const int Size = Reader->GetSize();
    char* Text = nullptr;
    if (Size > 0 && Size <= std::numeric_limits<int>::max() - 1 - XML_TEXT_PADDING)
        Text = static_cast<char*>(GMalloc->Malloc(static_cast<unsigned>(Size + 1 + XML_TEXT_PADDING)));
    const bool Read = Text && Reader->Read(Text, static_cast<tvULong>(Size)) == Size;
    delete Reader;
    if (!Read) {
        if (Text)
            GMalloc->Free(Text);
        return 0;
    }
    std::memset(Text + Size, 0, 1 + XML_TEXT_PADDING);
    NormaliseLineEnds(Text);
    const int Result = ParseNarrow(Text, true);
    GMalloc->Free(Text);
    if (Result)
        FileName = InFileName;
    return Result;
}

int FXmlFile::Parse(const tvWChar* Text)
{
    if (!Document)
        return 0;
    char* Narrow = NewAnsi(Text, XML_TEXT_PADDING);
    if (!Narrow)
        return 0;
    const int Result = ParseNarrow(Narrow, false);
    GMalloc->Free(Narrow);
    return Result;
}

int FXmlFile::SaveFile()
{
    if (!Document || FileName.IsEmpty())
        return 0;
    // The XML library prints into memory; the bytes then go through the checked writer.
    Platform::FMemoryFile Printed;
    if (!Platform::MemoryFileOpen(Printed))
        return 0;
    const bool PrintedAll = Document->SaveFile(Printed.Stream);
    if (!Platform::MemoryFileClose(Printed))
        return 0;
    int Result = 0;
    if (PrintedAll && Printed.Size <= std::numeric_limits<tvULong>::max())
        Result = appSaveFileReplacing(FileName, Printed.Data, static_cast<tvULong>(Printed.Size), 0);
    Platform::MemoryFileFree(Printed);
    return Result;
}

FXmlNode* FXmlFile::CreateRootNode(const tvWChar* Name)
{
    if (Root)
        return Root;
    if (!Document)
        return nullptr;
    char* Narrow = NewAnsi(Name);
    if (!Narrow)
        return nullptr;
    TiXmlDeclaration Declaration("1.0", "utf-8", "");
    TiXmlElement Prototype(Narrow);
    GMalloc->Free(Narrow);
    Document->InsertEndChild(Declaration);
    TiXmlNode* Linked = Document->InsertEndChild(Prototype);
    if (!Linked)
        return nullptr;
    Root = new FXmlNode(Linked->ToElement());
    return Root;
}

} // namespace Tolvane
