// The critter sheet: a record's values shown as the window shows them, edits
// run through the window's rules, and the values stored back. The expected
// bytes of the real critters follow the game's formulas, worked out by hand.
#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include "MapFieldStore.h"
#include "ProtoBuilder.h"
#include "TestDataFolders.h"
#include "platform/Errors.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "rules/CritterSheet.h"

#include <map>
#include <utility>

using namespace quarnel;
using quarnel::test::ProtoBuilder;

namespace {

std::int32_t At(const std::vector<std::uint8_t>& bytes, int offset)
{
    return DecodeBigEndian(bytes.data() + offset, 4);
}

struct Case {
    const char* file;
    bool secondGame;
    std::vector<std::pair<const char*, std::int32_t>> edits;
    std::map<int, std::int32_t> changed; // offset -> stored value after the edits
};

} // namespace

TEST_CASE("edits with the rules store the derived base values the game's formulas give")
{
    // Offsets: base block at 48 (ST PE EN CH INT AG LU HP AP AC Unarmed Melee
    // CarryWeight Sequence HealingRate CriticalChance ...), extra block 140 later.
    const std::vector<Case> cases = {
        // ST 7+3 = 10, EN 6: HP 15 + 10 + 2*6 = 37 (stored 49), carry 25 + 25*10 = 275,
        // melee 10 - 5 = 5; AG 6-2 = 4: AC 4, AP 5 + 4/2 = 7.
        {"FO1/00000324.PRO",
         false,
         {{"extra.ST", 3}, {"extra.AG", -2}},
         {{188, 3}, {208, -2}, {76, 37}, {96, 275}, {92, 5}, {84, 4}, {80, 7}}},
        // ST 8-1 = 7, EN 8+1 = 9: HP 15 + 7 + 18 = 40, carry 200, melee 2; EN 8+4 = 12:
        // HP 15 + 7 + 24 = 46, healing 12/3 = 4; LU 5+2 = 7: critical chance 7.
        {"FO2/00000078.pro",
         true,
         {{"extra.ST", -1}, {"extra.EN", 4}, {"extra.LU", 2}},
         {{188, -1}, {196, 4}, {212, 2}, {76, 46}, {96, 200}, {92, 2}, {104, 4}, {108, 7}}},
    };
    for (const Case& c : cases) {
        CAPTURE(c.file);
        const auto path = test::DataFolder(QUARNEL_SHARED_TESTDATA) / c.file;
        if (!test::IsPresent(path)) {
            test::ReportSkipped(std::string("shared test data: ") + c.file);
            continue;
        }
        const std::vector<std::uint8_t> before = test::ReadAllBytes(path);
        const ProRecord record = ProRecord::FromBytes(before);
        CritterSheet sheet(record, c.secondGame);
        for (const auto& [key, value] : c.edits) {
            const RecordField& field = *FindRecordField(key);
            REQUIRE(sheet.Holds(field));
            sheet.Enter(field, value);
        }
        ProRecord after = record;
        sheet.StoreInto(after);

        const auto& bytes = after.bytes();
        REQUIRE(bytes.size() == before.size());
        for (const auto& [offset, value] : c.changed) {
            CAPTURE(offset);
            CHECK(At(before, offset) != value);
            CHECK(At(bytes, offset) == value);
        }
        // Every other byte is the file's own.
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const int field = 48 + (static_cast<int>(i) - 48) / 4 * 4;
            if (i >= 48 && c.changed.count(field))
                continue;
            CAPTURE(i);
            CHECK(bytes[i] == before[i]);
        }
    }
}

TEST_CASE("the fill shows a record as the window's load does, and a save converts the texts back")
{
    ProtoBuilder builder(412);
    builder.Typical()
        .PidNumber(0x1234)
        .TextId(150) // 1.5: the even neighbour 2
        .Primary(0, 7, 2)
        .Damage(0, true, 20, 5)
        .Damage(0, false, 3, 1)
        .Gender(1, 4)
        .Experience(65)
        .Skill(0, 3);
    test::MapFieldStore store;
    FillCritterFields(store, ProRecord::FromBytes(builder.Bytes()), false);

    CHECK(store.Text("EditCritterPID") == "16781876"); // 0x01001234
    CHECK(store.Text("EditIDNumber") == "2");
    CHECK(store.Text("EditST") == "9");
    CHECK(store.Text("EditCritterDRnormal") == "25 %");
    CHECK(store.Text("EditCritterDTnormal") == "4");
    CHECK(store.Text("EditGender") == "1"); // the base gender alone
    CHECK(store.Text("EditExpPoints") == "65");
    // Small guns in the first game: 35 + AG (5) = 40, plus the stored 3.
    CHECK(store.Text("EditSkillSmallGunsBase") == "40");
    CHECK(store.Text("EditSkillSmallguns") == "43");

    // A save stores the texts back: the PID number and ID number in their stored forms.
    const auto values = SavedFieldValues(store, std::int32_t{0});
    ProRecord saved = ProRecord::FromBytes(builder.Bytes());
    StoreSavedValues(saved, values);
    CHECK(saved.Field(2, 2) == 0x1234);
    CHECK(saved.Field(4, 4) == 200); // the shown ID number times 100
    CHECK(saved.Field(kBaseGenderOffset, 4) == 0);
    CHECK(saved.Field(kExtraGenderOffset, 4) == 4); // never written by a save

    // No gender chosen keeps the stored one; a text that is not an integer stops the conversion.
    ProRecord keptGender = ProRecord::FromBytes(builder.Bytes());
    StoreSavedValues(keptGender, SavedFieldValues(store, std::nullopt));
    CHECK(keptGender.Field(kBaseGenderOffset, 4) == 1);
    store.texts["EditExpPoints"] = "65x";
    CHECK_THROWS_AS(SavedFieldValues(store, std::nullopt), ConvertError);
}
