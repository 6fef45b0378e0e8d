// XML documents with wide-string access: FXmlFile owns one document of the XML library and a
// tree of FXmlNode wrappers mirroring its elements. Element names travel in the ANSI code
// page, attribute values and texts in UTF-8.
#pragma once

#include "tvCore/core/tvBase.h"
#include "tvCore/core/strings/tvArray.h"
#include "tvCore/core/strings/tvString.h"

// The XML library's classes; only pointers to them cross this interface.
class TiXmlDocument;
class TiXmlElement;

namespace Tolvane {

// How deeply elements may nest in a document the library loads, parses or builds. The XML
// library parses, prints, copies and destroys its trees recursively, so deeper documents are
// refused before they reach it.
constexpr int XML_NESTING_LIMIT = 256;

class TVCORE_API FXmlNode : public FFundament {
public:
    // Wraps the element; empty cache.
    explicit FXmlNode(TiXmlElement* InElement);
    // Makes a new, unlinked element named Name, which this wrapper owns.
    explicit FXmlNode(const tvWChar* Name);
    // Copies share the element and the child wrappers (only the pointers are copied).
    FXmlNode(const FXmlNode& Source);
    FXmlNode& operator=(const FXmlNode& Source);
    FXmlNode& operator=(TiXmlElement* InElement);
    // Frees the cache's storage; the wrappers in it are released by UnCacheChilds.
    ~FXmlNode();

    // A new element named Name linked as the last child, and its wrapper appended to the
    // cache; null when there is no element, the name does not convert, or the child would
    // nest deeper than XML_NESTING_LIMIT.
    FXmlNode* AddChild(const tvWChar* Name);
    // Unlinks and deletes the child's element with everything below it and releases the
    // wrapper: 1. 0 and nothing changed when Child is not a child of this element.
    int DeleteChild(FXmlNode* Child);
    // Deletes every child node (texts too) and empties the cache.
    void ClearAllChilds();
    // The cached wrapper of the first child node whose value is Name, or null.
    FXmlNode* FindFirstChild(const tvWChar* Name);
    // The cache: wrappers of the child elements in document order.
    TArray<FXmlNode*>* GetAllChilds();
    const TArray<FXmlNode*>* GetAllChilds() const;

    // The tag name from the ANSI code page: 1 (0 without an element).
    int GetName(FString& Name);
    // The text of the first child when that child is text, from UTF-8: 1. 0 and Text
    // unchanged when there is no such text.
    int GetText(FString& Text);
    // The attribute's value from UTF-8: 1. 0 and Value unchanged when it is missing.
    int GetAttribute(const FString& Name, FString& Value);
    // Adds or replaces the attribute (name and value in UTF-8).
    void SetAttribute(FString Name, FString Value);
    void RemoveAttribute(FString Name);
    // Appends a text child (UTF-8); earlier children stay. 1, or 0 without an element.
    int SetText(FString& Text);

    TiXmlElement* GetElement() const { return Element; }

protected:
    friend class FXmlFile;
    // Rebuilds the wrapper tree below this node from the element's child elements. Returns 0.
    // Each level of the tree is made when it is first used (GetAllChilds, FindFirstChild,
    // AddChild, copying), from the element's child elements at that moment.
    int CacheChilds();
    // Releases every wrapper below this node; the cache is then empty.
    void UnCacheChilds();

private:
    // Makes the wrappers of this level when the cache still waits to be made.
    void MakePendingCache() const;

    TiXmlElement* Element;
    mutable TArray<FXmlNode*> Children;
    TiXmlElement* OwnedElement;  // the unlinked element the name constructor made, or null
    // The cache mirrors the element's child elements but has not been made yet.
    mutable bool CachePending;
};

class TVCORE_API FXmlFile : public FFundament {
public:
    FXmlFile();
    // Copies hold a copy of the document (never the same one) with their own wrapper tree.
    FXmlFile(const FXmlFile& Source);
    FXmlFile& operator=(const FXmlFile& Source);
    ~FXmlFile();

    // Reads and parses the file; 1 and a new root wrapper tree on success. 0 when the file
    // cannot be read, is no well-formed document, or nests deeper than XML_NESTING_LIMIT; the
    // document and the root then stay as they were.
    int Load(const tvWChar* FileName);
    // Parses the text (converted to the ANSI code page) into the document; 1 and a new root
    // wrapper tree on success, 0 (document and root as they were) otherwise.
    int Parse(const tvWChar* Text);
    // Writes the document to the file it was loaded from, replacing it only once it was
    // written whole: 1, else 0 with the old file untouched.
    int SaveFile();
    // The root; when there is none, a declaration (1.0, utf-8) and a new root element named
    // Name are appended to the document first. Null when the name does not convert.
    FXmlNode* CreateRootNode(const tvWChar* Name);
    FXmlNode* RootNode() { return Root; }
    FXmlNode* GetRoot() { return Root; }
    // Releases the root's wrapper tree; the document keeps its content.
    void Close();

    TiXmlDocument* GetDocument() const { return Document; }

private:
    void ReleaseRoot();
    void SetRoot();
    int ParseNarrow(char* Text, bool Fresh);

    TiXmlDocument* Document;
    FXmlNode* Root;
    FString FileName;  // the file Load read, where SaveFile writes
};

} // namespace Tolvane
