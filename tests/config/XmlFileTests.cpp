// XML documents: building, loading, parsing and saving, the wrapper cache, the text code
// pages, and the limits that keep hostile or large documents from crashing or being cut.
// Documents are checked against the XML library's own printer and parser.
#include "config/ConfigTestSupport.h"

#include <tinyxml.h>

#include <cstdio>
#include "support/WideText.h"

using namespace Tolvane;
using namespace ConfigTest;

namespace {

// What the XML library's own SaveFile writes for a document.
std::string Printed(const TiXmlDocument& Document)
{
    std::FILE* Stream = std::tmpfile();
    if (!Stream)
        return std::string();
    Document.SaveFile(Stream);
    std::fflush(Stream);
    std::rewind(Stream);
    std::string Out;
    char Chunk[4096];
    for (std::size_t N; (N = std::fread(Chunk, 1, sizeof Chunk, Stream)) > 0;)
        Out.append(Chunk, N);
    std::fclose(Stream);
    return Out;
}

WideText Widen(const std::string& Latin1)
{
    WideText Out;
    for (char C : Latin1)
        Out += Tolvane::tvWChar(static_cast<unsigned char>(C));
    return Out;
}

std::string Repeat(const std::string& Piece, int Count)
{
    std::string Out;
    for (int i = 0; i < Count; ++i)
        Out += Piece;
    return Out;
}

std::vector<WideText> ChildNames(FXmlNode* Node)
{
    std::vector<WideText> Out;
    for (FXmlNode* Child : *Node->GetAllChilds()) {
        FString Name;
        Child->GetName(Name);
        Out.push_back(Text(Name));
    }
    return Out;
}

using XmlFiles = FFileFixture;

} // namespace

TEST(Xml, BuiltDocumentPrintsDeclarationRootAndChild)
{
    FXmlFile Xml;
    FXmlNode* Root = Xml.CreateRootNode(TVTEXT("Config"));
    ASSERT_NE(Root, nullptr);
    FXmlNode* Item = Root->AddChild(TVTEXT("Item"));
    ASSERT_NE(Item, nullptr);
    Item->SetAttribute(FString(TVTEXT("id")), FString(TVTEXT("7")));
    EXPECT_EQ(Printed(*Xml.GetDocument()), "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<Config>\n    <Item id=\"7\" />\n</Config>\n");
    EXPECT_EQ(Xml.CreateRootNode(TVTEXT("Other")), Root) << "the second name is ignored";
    EXPECT_EQ(Xml.RootNode(), Root);
    FString Name;
    EXPECT_EQ(Root->GetName(Name), 1);
    EXPECT_EQ(Text(Name), TVTEXT("Config"));
    EXPECT_EQ(ChildNames(Root), (std::vector<WideText>{TVTEXT("Item")}));
    EXPECT_EQ(Xml.SaveFile(), 0) << "a document that was never loaded has no file";
}

TEST_F(XmlFiles, LoadCachesChildElementsInOrderAndSaveMatchesTheXmlLibrary)
{
    const std::string Source =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Root>text<A x=\"1\"/><!-- note --><B>b</B>more<C><D/></C></Root>\r\n";
    Folder.Write("doc.xml", Bytes(Source));
    FXmlFile Xml;
    ASSERT_EQ(Xml.Load(P(TVTEXT("doc.xml"))), 1);
    ASSERT_NE(Xml.RootNode(), nullptr);
    EXPECT_EQ(ChildNames(Xml.RootNode()), (std::vector<WideText>{TVTEXT("A"), TVTEXT("B"), TVTEXT("C")}));
    EXPECT_EQ(ChildNames((*Xml.RootNode()->GetAllChilds())[2]), (std::vector<WideText>{TVTEXT("D")}));

    TiXmlDocument Peer;
    ASSERT_TRUE(Peer.LoadFile(Folder.Native("doc.xml").c_str()));
    EXPECT_EQ(Printed(*Xml.GetDocument()), Printed(Peer));
    ASSERT_EQ(Xml.SaveFile(), 1);
    const std::vector<unsigned char> Saved = Folder.Read("doc.xml");
    EXPECT_EQ(std::string(Saved.begin(), Saved.end()), Printed(Peer));
    EXPECT_EQ(FolderEntries(), (std::vector<std::string>{"doc.xml"}));
}

TEST_F(XmlFiles, AttributesAndTextsInTheirCodePages)
{
    Folder.Write("attr.xml", Bytes("\xEF\xBB\xBF<R name=\"caf\xC3\xA9\"><E>world</E><N/></R>"));
    FXmlFile Xml;
    ASSERT_EQ(Xml.Load(P(TVTEXT("attr.xml"))), 1);
    FXmlNode* Root = Xml.RootNode();
    FString Value(TVTEXT("unchanged"));
    EXPECT_EQ(Root->GetAttribute(FString(TVTEXT("missing")), Value), 0);
    EXPECT_EQ(Text(Value), TVTEXT("unchanged"));
    EXPECT_EQ(Root->GetAttribute(FString(TVTEXT("name")), Value), 1);
    EXPECT_EQ(Text(Value), TVTEXT("caf\u00E9"));
    // A byte that is no UTF-8 reads as U+FFFD; the rest of the value stays.
    Root->GetElement()->SetAttribute("bad", "a\xFF" "b");
    EXPECT_EQ(Root->GetAttribute(FString(TVTEXT("bad")), Value), 1);
    EXPECT_EQ(Text(Value), TVTEXT("a\uFFFDb"));

    FXmlNode* E = Root->FindFirstChild(TVTEXT("E"));
    ASSERT_NE(E, nullptr);
    FString Hello(TVTEXT("hello"));
    EXPECT_EQ(E->SetText(Hello), 1);
    FString Got;
    EXPECT_EQ(E->GetText(Got), 1);
    EXPECT_EQ(Text(Got), TVTEXT("world"));
    int Texts = 0;
    for (const TiXmlNode* Node = E->GetElement()->FirstChild(); Node; Node = Node->NextSibling())
        Texts += Node->ToText() ? 1 : 0;
    EXPECT_EQ(Texts, 2);

    // No text: 0 and the string untouched.
    FXmlNode* N = Root->FindFirstChild(TVTEXT("N"));
    ASSERT_NE(N, nullptr);
    FString Keep(TVTEXT("keep"));
    EXPECT_EQ(N->GetText(Keep), 0);
    EXPECT_EQ(Text(Keep), TVTEXT("keep"));

    // Texts and values far beyond the old working areas, with characters outside ASCII.
    WideText Long;
    for (int i = 0; i < 6000; ++i)
        Long += Tolvane::tvWChar(i % 3 == 0 ? TVTEXT('\u00E9') : i % 3 == 1 ? TVTEXT('\u4E2D') : TVTEXT('x'));
    N->SetAttribute(FString(TVTEXT("long")), FString(Long.c_str()));
    FString LongText(Long.c_str());
    N->SetText(LongText);
    FString Back;
    EXPECT_EQ(N->GetAttribute(FString(TVTEXT("long")), Back), 1);
    EXPECT_EQ(Text(Back), Long);
    EXPECT_EQ(N->GetText(Back), 1);
    EXPECT_EQ(Text(Back), Long);
    N->RemoveAttribute(FString(TVTEXT("long")));
    EXPECT_EQ(N->GetAttribute(FString(TVTEXT("long")), Back), 0);
    EXPECT_EQ(Root->FindFirstChild(TVTEXT("Nothing")), nullptr);
}

TEST(Xml, DeleteFindAndClearKeepTheCacheInStep)
{
    FXmlFile Xml;
    ASSERT_EQ(Xml.Parse(TVTEXT("<R><A/>t<B><C/></B><A/></R>")), 1);
    FXmlNode* Root = Xml.RootNode();
    FXmlFile Other;
    ASSERT_EQ(Other.Parse(TVTEXT("<S><A/></S>")), 1);
    FXmlNode* Stranger = (*Other.RootNode()->GetAllChilds())[0];
    EXPECT_EQ(Root->DeleteChild(Stranger), 0);
    EXPECT_EQ(Root->DeleteChild(nullptr), 0);
    EXPECT_EQ(Root->DeleteChild((*Root->GetAllChilds())[1]->GetAllChilds()->GetAt(0)), 0) << "a grandchild is no child";
    EXPECT_EQ(ChildNames(Root), (std::vector<WideText>{TVTEXT("A"), TVTEXT("B"), TVTEXT("A")}));
    EXPECT_EQ(ChildNames(Other.RootNode()), (std::vector<WideText>{TVTEXT("A")}));

    FXmlNode* FirstA = Root->FindFirstChild(TVTEXT("A"));
    EXPECT_EQ(FirstA, (*Root->GetAllChilds())[0]);
    EXPECT_EQ(Root->DeleteChild(FirstA), 1);
    EXPECT_EQ(ChildNames(Root), (std::vector<WideText>{TVTEXT("B"), TVTEXT("A")}));
    EXPECT_EQ(Printed(*Xml.GetDocument()), "<R>t\n    <B>\n        <C />\n    </B>\n    <A />\n</R>\n");

    Root->ClearAllChilds();
    EXPECT_EQ(Root->GetAllChilds()->Num(), 0);
    EXPECT_EQ(Root->GetElement()->FirstChild(), nullptr);
    EXPECT_NE(Root->AddChild(TVTEXT("New")), nullptr);
    EXPECT_EQ(Printed(*Xml.GetDocument()), "<R>\n    <New />\n</R>\n");
}

TEST(Xml, DeepDocumentsAreRefusedBeforeTheParserRecurses)
{
    const int Deep = 100000;
    FXmlFile Xml;
    const std::string Nested = Repeat("<a>", Deep) + Repeat("</a>", Deep);
    EXPECT_EQ(Xml.Parse(Widen(Nested).c_str()), 0);
    EXPECT_EQ(Xml.RootNode(), nullptr);
    EXPECT_EQ(Xml.GetDocument()->FirstChild(), nullptr) << "nothing was added";

    // Exactly at the limit parses; one more level does not.
    const std::string AtLimit = Repeat("<a>", XML_NESTING_LIMIT) + Repeat("</a>", XML_NESTING_LIMIT);
    const std::string Beyond = Repeat("<a>", XML_NESTING_LIMIT + 1) + Repeat("</a>", XML_NESTING_LIMIT + 1);
    FXmlFile Limit;
    EXPECT_EQ(Limit.Parse(Widen(Beyond).c_str()), 0);
    EXPECT_EQ(Limit.Parse(Widen(AtLimit).c_str()), 1);
    // Building deeper than the limit is refused as well.
    FXmlNode* Node = Limit.RootNode();
    while (Node->GetAllChilds()->Num())
        Node = (*Node->GetAllChilds())[0];
    EXPECT_EQ(Node->AddChild(TVTEXT("b")), nullptr);
    EXPECT_NE((*Limit.RootNode()->GetAllChilds())[0]->AddChild(TVTEXT("b")), nullptr);
}

TEST_F(XmlFiles, HiddenClosingTagsDoNotLetDeepDocumentsThrough)
{
    // Each piece opens one element and carries an end tag that the parser reads as content;
    // a check that counted it as a close would let any depth through.
    struct FCase {
        const char* Name;
        std::string Prefix, Piece;
    };
    const FCase Cases[] = {
        {"comment", "", "<a><!--</a>-->"},
        {"cdata", "", "<a><![CDATA[</a>]]>"},
        {"attribute", "", "<a v=\"</a>\">"},
        {"single-quoted", "", "<a v='</a>'>"},
        {"declaration", "", "<a><?xml version=\"></a>\"?>"},
        {"utf8-text", "\xEF\xBB\xBF", "<a>\xC3</a>"},
        {"utf8-attribute", "\xEF\xBB\xBF", "<a v=\"\xE0\"></a>\">"},
        {"declared-utf8", "<?xml version=\"1.0\"?>", "<a>\xE0</a>"},
    };
    for (const FCase& Case : Cases) {
        const std::string Name = std::string(Case.Name) + ".xml";
        const WideText Path = Folder.Path(Widen(Name));
        // Well within the limit the document is read as the XML library reads it.
        Folder.Write(Name, Bytes(Case.Prefix + Repeat(Case.Piece, 100) + Repeat("</a>", 100)));
        TiXmlDocument Peer;
        ASSERT_TRUE(Peer.LoadFile(Folder.Native(Name).c_str())) << Case.Name;
        FXmlFile Xml;
        EXPECT_EQ(Xml.Load(Path.c_str()), 1) << Case.Name;
        // Far beyond it, the document is refused without a crash.
        Folder.Write(Name, Bytes(Case.Prefix + Repeat(Case.Piece, 100000) + Repeat("</a>", 100000)));
        FXmlFile Deep;
        EXPECT_EQ(Deep.Load(Path.c_str()), 0) << Case.Name;
    }
}

TEST(Xml, LargeTextsParseWhole)
{
    WideText Body(200000, TVTEXT('x'));
    for (size_t i = 0; i < Body.size(); i += 1000)
        Body[i] = TVTEXT('-');
    const WideText Source = TVTEXT("<R><T>") + Body + TVTEXT("</T></R>");
    FXmlFile Xml;
    ASSERT_EQ(Xml.Parse(Source.c_str()), 1);
    FXmlNode* T = Xml.RootNode()->FindFirstChild(TVTEXT("T"));
    ASSERT_NE(T, nullptr);
    FString Got;
    ASSERT_EQ(T->GetText(Got), 1);
    EXPECT_EQ(Got.GetLength(), 200000);
}

TEST_F(XmlFiles, FailedLoadsAndParsesChangeNothing)
{
    Folder.Write("good.xml", Bytes("<R><A/></R>"));
    Folder.Write("bad.xml", Bytes("<R><A></R>"));
    Folder.Write("empty.xml", {});
    FXmlFile Xml;
    ASSERT_EQ(Xml.Load(P(TVTEXT("good.xml"))), 1);
    FXmlNode* Root = Xml.RootNode();
    TiXmlDocument* Document = Xml.GetDocument();
    EXPECT_EQ(Xml.Load(P(TVTEXT("bad.xml"))), 0);
    EXPECT_EQ(Xml.Load(P(TVTEXT("empty.xml"))), 0);
    EXPECT_EQ(Xml.Load(P(TVTEXT("missing.xml"))), 0);
    EXPECT_EQ(Xml.Parse(TVTEXT("<X><Y></X>")), 0);
    EXPECT_EQ(Xml.Parse(nullptr), 0);
    EXPECT_EQ(Xml.RootNode(), Root);
    EXPECT_EQ(Xml.GetDocument(), Document);
    EXPECT_EQ(ChildNames(Root), (std::vector<WideText>{TVTEXT("A")}));
    EXPECT_EQ(Printed(*Document), "<R>\n    <A />\n</R>\n");
    // The file name is still the good one.
    Root->AddChild(TVTEXT("B"));
    ASSERT_EQ(Xml.SaveFile(), 1);
    const std::vector<unsigned char> Saved = Folder.Read("good.xml");
    EXPECT_EQ(std::string(Saved.begin(), Saved.end()), "<R>\n    <A />\n    <B />\n</R>\n");
}

TEST_F(XmlFiles, NonAsciiPathsOpen)
{
    Folder.Write("caf\xC3\xA9-\xE4\xB8\xAD.xml", Bytes("<R/>"));
    FXmlFile Xml;
    EXPECT_EQ(Xml.Load(P(TVTEXT("caf\u00E9-\u4E2D.xml"))), 1);
    EXPECT_EQ(Xml.SaveFile(), 1);
}

TEST_F(XmlFiles, CopiesOwnTheirDocument)
{
    Folder.Write("c.xml", Bytes("<R><A/></R>"));
    FXmlFile* First = new FXmlFile;
    ASSERT_EQ(First->Load(P(TVTEXT("c.xml"))), 1);
    FXmlFile Second(*First);
    FXmlFile Third;
    Third = *First;
    First->RootNode()->AddChild(TVTEXT("OnlyFirst"));
    delete First;
    EXPECT_EQ(ChildNames(Second.RootNode()), (std::vector<WideText>{TVTEXT("A")}));
    EXPECT_EQ(ChildNames(Third.RootNode()), (std::vector<WideText>{TVTEXT("A")}));
    EXPECT_NE(Second.GetDocument(), Third.GetDocument());
    Third.RootNode()->AddChild(TVTEXT("T"));
    EXPECT_EQ(Third.SaveFile(), 1);
}

TEST_F(XmlFiles, FailedSavesKeepTheOldFile)
{
    const std::vector<unsigned char> Old = Bytes("<Old/>");
    std::filesystem::create_directory(Folder.Native("tmpfs"));
    {
        FSmallTmpfs Small(Folder.Native("tmpfs"));
        if (Small.Ok()) {
            Folder.Write("tmpfs/d.xml", Old);
            FXmlFile Xml;
            ASSERT_EQ(Xml.Load(P(TVTEXT("tmpfs/d.xml"))), 1);
            FString Big(WideText(100000, TVTEXT('z')).c_str());
            Xml.RootNode()->SetText(Big);
            EXPECT_EQ(Xml.SaveFile(), 0) << "100 KB do not fit in 64 KiB";
            EXPECT_EQ(Folder.Read("tmpfs/d.xml"), Old);
            std::vector<std::string> Left;
            for (auto& Entry : std::filesystem::directory_iterator(Folder.Native("tmpfs")))
                Left.push_back(Entry.path().filename().string());
            EXPECT_EQ(Left, (std::vector<std::string>{"d.xml"}));
        }
    }
    std::filesystem::create_directory(Folder.Native("locked"));
    Folder.Write("locked/d.xml", Old);
    FXmlFile Xml;
    ASSERT_EQ(Xml.Load(P(TVTEXT("locked/d.xml"))), 1);
    Xml.RootNode()->AddChild(TVTEXT("New"));
    std::filesystem::permissions(Folder.Native("locked"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    if (::access(Folder.Native("locked").c_str(), W_OK) != 0) {
        EXPECT_EQ(Xml.SaveFile(), 0);
        EXPECT_EQ(Folder.Read("locked/d.xml"), Old);
    }
    std::filesystem::permissions(Folder.Native("locked"), std::filesystem::perms::owner_all);
    EXPECT_EQ(Xml.SaveFile(), 1);
}

TEST(Xml, StandaloneNodesAndCopies)
{
    FXmlNode Alone(TVTEXT("Alone"));
    FString Name;
    ASSERT_EQ(Alone.GetName(Name), 1);
    EXPECT_EQ(Text(Name), TVTEXT("Alone"));
    FXmlNode* Child = Alone.AddChild(TVTEXT("Kid"));
    ASSERT_NE(Child, nullptr);
    FXmlNode Copy(Alone);
    EXPECT_EQ(Copy.GetElement(), Alone.GetElement());
    EXPECT_EQ((*Copy.GetAllChilds())[0], Child) << "copies share the wrappers";
    delete Child;
}
