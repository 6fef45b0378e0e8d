// FString and TArray driven by the input: each step applies one operation to the library's type
// and to a standard model of it, and the two must agree after every step.
#include <tvCore/tvCore.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

using namespace Tolvane;

namespace {

struct FInput {
    const std::uint8_t* Data;
    std::size_t Size;
    std::size_t At = 0;
    bool More() const { return At < Size; }
    unsigned Byte() { return At < Size ? Data[At++] : 0u; }
    // Text units without a terminator or surrogates: printable ASCII, a few blanks, one CJK unit.
    tvWChar Unit()
    {
        const unsigned B = Byte();
        if (B < 8)
            return tvWChar(u"\t\n\r \x4E2D\x00E9  "[B]);
        return tvWChar(0x20 + B % 0x5F);
    }
    std::u16string Text(std::size_t Max)
    {
        const std::size_t Length = 1 + Byte() % Max;
        std::u16string Out;
        for (std::size_t i = 0; i < Length; ++i)
            Out += Unit();
        return Out;
    }
};

void Check(bool Condition)
{
    if (!Condition)
        std::abort();
}

bool Same(const FString& S, const std::u16string& Model)
{
    return S.GetLength() == int(Model.size()) && std::u16string(static_cast<const tvWChar*>(S)) == Model;
}

bool Blank(char16_t C) { return C == u' ' || (C >= 0x09 && C <= 0x0D); }

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size)
{
    FInput In{Data, Size};
    FString S;
    std::u16string Model;
    TArray<int> Array;
    std::vector<int> Items;
    for (int Step = 0; In.More() && Step < 256; ++Step) {
        const int Length = int(Model.size());
        switch (In.Byte() % 16) {
        case 0: { const tvWChar C = In.Unit(); S += C; Model += C; break; }
        case 1: { const std::u16string T = In.Text(16); S += T.c_str(); Model += T; break; }
        case 2: {
            const int At = int(In.Byte()) % (Length + 1);
            const std::u16string T = In.Text(8);
            S.Insert(At, T.c_str());
            Model.insert(std::size_t(At), T);
            break;
        }
        case 3: {
            if (Length == 0) break;
            const int At = int(In.Byte()) % Length;
            const int Count = int(In.Byte()) % (Length - At + 1);
            S.Delete(At, Count);
            Model.erase(std::size_t(At), std::size_t(Count));
            break;
        }
        case 4: {
            const tvWChar Old = In.Unit(), New = In.Unit();
            const int Done = S.Replace(Old, New);
            const int Expected = int(std::count(Model.begin(), Model.end(), Old));
            std::replace(Model.begin(), Model.end(), char16_t(Old), char16_t(New));
            Check(Old == New || Done == Expected);
            break;
        }
        case 5: {
            const tvWChar C = In.Unit();
            const std::size_t Where = Model.find(C);
            Check(S.Find(C) == (Where == std::u16string::npos ? -1 : int(Where)));
            break;
        }
        case 6: {
            const std::u16string Sub = In.Text(3);
            const std::size_t Where = Model.find(Sub);
            Check(S.Find(Sub.c_str()) == (Where == std::u16string::npos ? -1 : int(Where)));
            break;
        }
        case 7: {
            const int First = int(In.Byte()) % (Length + 1);
            const int Count = int(In.Byte()) % (Length - First + 1);
            Check(Same(S.Mid(First, Count), Model.substr(std::size_t(First), std::size_t(Count))));
            break;
        }
        case 8: { S.MakeReverse(); std::reverse(Model.begin(), Model.end()); break; }
        case 9: {
            const tvWChar C = In.Unit();
            S.Remove(C);
            Model.erase(std::remove(Model.begin(), Model.end(), char16_t(C)), Model.end());
            break;
        }
        case 10: {
            S.TrimLeft();
            S.TrimRight();
            while (!Model.empty() && Blank(Model.back())) Model.pop_back();
            std::size_t Lead = 0;
            while (Lead < Model.size() && Blank(Model[Lead])) ++Lead;
            Model.erase(0, Lead);
            break;
        }
        case 11: {
            const FString Copy(S);
            S = Copy + S;
            Model = Model + Model;
            if (Model.size() > 4096) { S.Empty(); Model.clear(); }
            break;
        }
        case 12: { const int V = int(In.Byte()); Array.AddItem(V); Items.push_back(V); break; }
        case 13: {
            const int At = int(In.Byte()) % (int(Items.size()) + 1);
            const int V = int(In.Byte());
            Array.InsertAt(At, V);
            Items.insert(Items.begin() + At, V);
            break;
        }
        case 14: {
            if (Items.empty()) break;
            const int At = int(In.Byte()) % int(Items.size());
            const int Count = 1 + int(In.Byte()) % (int(Items.size()) - At);
            Array.RemoveAt(At, Count);
            Items.erase(Items.begin() + At, Items.begin() + At + Count);
            break;
        }
        default: {
            const int NewSize = int(In.Byte()) % 64;
            Array.SetSize(NewSize);
            Items.resize(std::size_t(NewSize), 0);
            break;
        }
        }
        Check(Same(S, Model));
        Check(Array.Num() == int(Items.size()) && std::equal(Items.begin(), Items.end(), Array.begin()));
    }
    return 0;
}
