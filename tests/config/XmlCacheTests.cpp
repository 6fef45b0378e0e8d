// The wrapper cache of XML documents: each level of wrappers is made when it is first used, and
// every way of reaching a level gives what a cache made at load would give.
#include "config/ConfigTestSupport.h"
#include "support/WideText.h"

#include <tinyxml.h>

using namespace Tolvane;

// The wrappers below a loaded root are made when a level is first used; every way of reaching a
// level before that gives what a cache made at load would give.
TEST(Xml, WrappersMadeOnFirstUseMirrorTheElementsInOrder)
{
    const WideText Source = TVTEXT("<R><A><B/>t<C><D/></C></A><E/></R>");
    struct FCase {
        const char* What;
        void (*Use)(FXmlNode& A);  // A is the root's first child, never visited before
    };
    const FCase Cases[] = {
        {"a copy shares the wrappers of its source",
         [](FXmlNode& A) {
             FXmlNode Copy(A);
             FXmlNode Assigned(static_cast<TiXmlElement*>(nullptr));
             Assigned = A;
             ASSERT_EQ(Copy.GetAllChilds()->Num(), 2);
             for (int i = 0; i < 2; ++i) {
                 EXPECT_EQ((*Copy.GetAllChilds())[i], (*A.GetAllChilds())[i]);
                 EXPECT_EQ((*Assigned.GetAllChilds())[i], (*A.GetAllChilds())[i]);
             }
         }},
        {"a new child comes after the earlier ones",
         [](FXmlNode& A) {
             FXmlNode* Added = A.AddChild(TVTEXT("F"));
             ASSERT_NE(Added, nullptr);
             ASSERT_EQ(A.GetAllChilds()->Num(), 3);
             EXPECT_EQ((*A.GetAllChilds())[2], Added);
         }},
        {"the found child is the cached wrapper",
         [](FXmlNode& A) {
             FXmlNode* C = A.FindFirstChild(TVTEXT("C"));
             ASSERT_NE(C, nullptr);
             EXPECT_EQ(C, (*A.GetAllChilds())[1]);
             ASSERT_EQ(C->GetAllChilds()->Num(), 1);
             FString Name;
             (*C->GetAllChilds())[0]->GetName(Name);
             EXPECT_EQ(WideText(static_cast<const tvWChar*>(Name)), TVTEXT("D"));
         }},
        {"a new element pointer keeps the cache of the old one",
         [](FXmlNode& A) {
             TiXmlElement* Old = A.GetElement();
             A = Old->NextSiblingElement();
             EXPECT_EQ(A.GetAllChilds()->Num(), 2);
             A = Old;
         }},
        {"a deleted child never enters the cache",
         [](FXmlNode& A) {
             FXmlNode* B = new FXmlNode(A.GetElement()->FirstChildElement());
             EXPECT_EQ(A.DeleteChild(B), 1);
             ASSERT_EQ(A.GetAllChilds()->Num(), 1);
             EXPECT_EQ((*A.GetAllChilds())[0]->GetElement()->ValueStr(), "C");
         }},
    };
    for (const FCase& Case : Cases) {
        SCOPED_TRACE(Case.What);
        FXmlFile Xml;
        ASSERT_EQ(Xml.Parse(Source.c_str()), 1);
        FXmlNode* Root = Xml.RootNode();
        ASSERT_EQ(Root->GetAllChilds()->Num(), 2);
        Case.Use(*(*Root->GetAllChilds())[0]);
        EXPECT_EQ((*Root->GetAllChilds())[1]->GetAllChilds()->Num(), 0);
    }
}
