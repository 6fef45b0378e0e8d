// XML texts from arbitrary bytes (read as Latin-1 characters): Parse either refuses them or
// builds a wrapper tree that a walk over names, texts, attributes, lookups, edits and deletions
// can use; deep nesting is refused before the parser recurses.
#include <tvCore/tvCore.h>

#include <cstddef>
#include <cstdint>
#include <vector>

using namespace Tolvane;

namespace {

void Walk(FXmlNode* Root)
{
    std::vector<FXmlNode*> Pending{Root};
    int Visited = 0;
    while (!Pending.empty() && Visited < 4096) {
        FXmlNode* Node = Pending.back();
        Pending.pop_back();
        ++Visited;
        FString Name, Text, Value;
        Node->GetName(Name);
        Node->GetText(Text);
        Node->GetAttribute(FString(TVTEXT("id")), Value);
        TArray<FXmlNode*>* Children = Node->GetAllChilds();
        if (Children->Num() > 0) {
            FString ChildName;
            (*Children)[0]->GetName(ChildName);
            Node->FindFirstChild(ChildName);
        }
        for (FXmlNode* Child : *Children)
            Pending.push_back(Child);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    std::vector<tvWChar> Text(Size + 1, 0);
    for (std::size_t i = 0; i < Size; ++i)
        Text[i] = Data[i] ? static_cast<tvWChar>(Data[i]) : static_cast<tvWChar>(' ');
    FXmlFile Xml;
    if (Xml.Parse(Text.data()) && Xml.RootNode()) {
        FXmlNode* Root = Xml.RootNode();
        Walk(Root);
        FString Attribute(TVTEXT("k")), Value(TVTEXT("v\u00E9"));
        Root->SetAttribute(Attribute, Value);
        Root->SetText(Value);
        if (FXmlNode* Added = Root->AddChild(TVTEXT("added")))
            Added->SetAttribute(Attribute, Value);
        TArray<FXmlNode*>* Children = Root->GetAllChilds();
        if (Children->Num() > 0)
            Root->DeleteChild((*Children)[0]);
        // A second text goes after the first in the same document.
        Xml.Parse(Text.data());
        Walk(Xml.RootNode());
        Xml.RootNode()->ClearAllChilds();
    }
    FXmlFile Copy(Xml);
    return 0;
}
