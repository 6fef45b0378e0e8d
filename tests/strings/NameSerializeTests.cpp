// Names written and read as text through an archive.
#include <tvCore/tvCore.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
#include "support/WideText.h"

using namespace Tolvane;

namespace {

typedef std::vector<unsigned char> FBytes;

// An archive over a byte vector, failing as the library's readers do: asked for more than is
// left, it hands out zeros for the missing bytes and sets its error flag.
class FBytesArchive : public FArchive {
public:
    explicit FBytesArchive(bool Loading, FBytes InBytes = {}) : Bytes(std::move(InBytes))
    {
        ArFlags = Loading ? FlagLoading : FlagSaving;
    }
    void Serialize(void* Data, tvULong Length) override
    {
        unsigned char* P = static_cast<unsigned char*>(Data);
        if (IsSaving()) {
            Bytes.insert(Bytes.end(), P, P + Length);
            return;
        }
        const std::size_t Left = Bytes.size() - Position;
        const std::size_t Given = Length < Left ? Length : Left;
        std::memcpy(P, Bytes.data() + Position, Given);
        std::memset(P + Given, 0, Length - Given);
        Position += Given;
        if (Given < Length)
            SetError();
    }
    FBytes Bytes;
    std::size_t Position = 0;
};

void AppendCount(FBytes& Bytes, std::int32_t Count)
{
    unsigned char Raw[4];
    std::memcpy(Raw, &Count, 4);
    Bytes.insert(Bytes.end(), Raw, Raw + 4);
}

// A stored name: the count, then the units (as many as given, whatever the count says).
FBytes StoredName(std::int32_t Count, const WideText& Units)
{
    FBytes Bytes;
    AppendCount(Bytes, Count);
    for (Tolvane::tvWChar Unit : Units) {
        Bytes.push_back(static_cast<unsigned char>(Unit & 0xFF));
        Bytes.push_back(static_cast<unsigned char>(Unit >> 8));
    }
    return Bytes;
}

tvULong Load(FBytesArchive& Ar, FNameHash& Names)
{
    tvULong Name = 12345;
    appSerializeName(Ar, Names, Name);
    return Name;
}

} // namespace

TEST(NameSerialize, SavingWritesTheCountAndUnitsOfTheName)
{
    FNameHash Names;
    tvULong Speed = Names.Add(TVTEXT("Speed"));
    FBytesArchive Ar(false);
    appSerializeName(Ar, Names, Speed);
    const FBytes Expected = {0x05, 0, 0, 0, 'S', 0, 'p', 0, 'e', 0, 'e', 0, 'd', 0};
    EXPECT_EQ(Ar.Bytes, Expected);
    EXPECT_EQ(Ar.IsError(), 0);

    // None and the empty name, and a code unit above 255 stored little-endian.
    tvULong None = 0, Empty = Names.Add(TVTEXT("")), Wide = Names.Add(TVTEXT("\u0141x"));
    FBytesArchive More(false);
    appSerializeName(appSerializeName(appSerializeName(More, Names, None), Names, Empty), Names, Wide);
    const FBytes ExpectedMore = {4, 0, 0, 0, 'N', 0, 'o', 0, 'n', 0, 'e', 0, 0, 0, 0, 0, 2, 0, 0, 0, 0x41, 0x01, 'x', 0};
    EXPECT_EQ(More.Bytes, ExpectedMore);
}

TEST(NameSerialize, LoadingFindsOrAddsTheNameInTheOtherTable)
{
    FNameHash Source;
    Source.Add(TVTEXT("Alpha"));
    tvULong Speed = Source.Add(TVTEXT("Speed"));
    FBytesArchive Saver(false);
    appSerializeName(Saver, Source, Speed);

    FNameHash Target;  // holds SPEED under another index already
    Target.Add(TVTEXT("Other"));
    const tvULong Held = Target.Add(TVTEXT("SPEED"));
    FBytesArchive Loader(true, Saver.Bytes);
    EXPECT_EQ(Load(Loader, Target), Held);
    EXPECT_EQ(Target.Num(), 3);

    FNameHash Fresh;
    FBytesArchive Again(true, Saver.Bytes);
    const tvULong Added = Load(Again, Fresh);
    EXPECT_EQ(Added, 1u);
    EXPECT_EQ(WideText(Fresh.GetName(Added)), TVTEXT("Speed"));
    EXPECT_EQ(Again.IsError(), 0);
    EXPECT_EQ(Again.Position, Again.Bytes.size());
}

TEST(NameSerialize, NamesUpToTheLimitRoundTrip)
{
    FNameHash Source, Target;
    const WideText Longest(NAME_STORED_MAX_LENGTH, TVTEXT('q'));
    std::vector<tvULong> Saved = {0, Source.Add(TVTEXT("")), Source.Add(TVTEXT("a")), Source.Add(Longest.c_str())};
    FBytesArchive Saver(false);
    for (tvULong& Name : Saved)
        appSerializeName(Saver, Source, Name);
    FBytesArchive Loader(true, Saver.Bytes);
    for (tvULong Name : Saved) {
        const tvULong Loaded = Load(Loader, Target);
        ASSERT_NE(Loaded, NAME_NONE_INDEX);
        EXPECT_EQ(WideText(Target.GetName(Loaded)), WideText(Source.GetName(Name)));
    }
    EXPECT_EQ(Loader.IsError(), 0);
}

// Unsafe stored forms: nothing is written beyond the working area, the name is refused with
// the archive's error flag, and what follows a long name is still read in step.
TEST(NameSerialize, MalformedStoredNamesAreRefused)
{
    struct FCase {
        const char* What;
        FBytes Bytes;
        bool NextReadInStep;  // a value stored after the name is read correctly
    } const Cases[] = {
        {"one unit too long", StoredName(NAME_STORED_MAX_LENGTH + 1, WideText(NAME_STORED_MAX_LENGTH + 1, TVTEXT('z'))), true},
        {"far too long", StoredName(5000, WideText(5000, TVTEXT('z'))), true},
        {"negative count", StoredName(-1, TVTEXT("ab")), false},
        {"most negative count", StoredName(INT32_MIN, TVTEXT("")), false},
        {"count beyond the data", StoredName(0x7FFFFFFF, TVTEXT("abc")), false},
        {"fewer units than counted", StoredName(10, TVTEXT("abc")), false},
        {"count cut short", FBytes{3, 0}, false},
    };
    for (const FCase& Case : Cases) {
        FNameHash Names;
        FBytes Bytes = Case.Bytes;
        if (Case.NextReadInStep)
            AppendCount(Bytes, 0x1234567);
        FBytesArchive Ar(true, Bytes);
        EXPECT_EQ(Load(Ar, Names), NAME_NONE_INDEX) << Case.What;
        EXPECT_EQ(Ar.IsError(), 1) << Case.What;
        EXPECT_EQ(Names.Num(), 1) << Case.What << ": nothing added";
        if (Case.NextReadInStep) {
            std::int32_t Next = 0;
            Ar << Next;
            EXPECT_EQ(Next, 0x1234567) << Case.What;
        }
    }
    // An archive that already failed gives no names.
    FNameHash Names;
    FBytesArchive Failed(true, StoredName(2, TVTEXT("ok")));
    Failed.SetError();
    EXPECT_EQ(Load(Failed, Names), NAME_NONE_INDEX);
    EXPECT_EQ(Names.Num(), 1);
}

TEST(NameSerialize, SavingAnUnknownIndexWritesAnEmptyCountAndFails)
{
    FNameHash Names;
    for (tvULong Unknown : {tvULong(1), tvULong(999), NAME_NONE_INDEX}) {
        FBytesArchive Ar(false);
        appSerializeName(Ar, Names, Unknown);
        EXPECT_EQ(Ar.Bytes, (FBytes{0, 0, 0, 0})) << Unknown;
        EXPECT_EQ(Ar.IsError(), 1) << Unknown;
    }
}
