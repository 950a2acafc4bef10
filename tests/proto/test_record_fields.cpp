// Fields by key and their ranges, and the edits given as text: the limits of
// both widths at N and N+1, and the messages that name what was refused.
#include <doctest/doctest.h>

#include "proto/FieldEdits.h"
#include "proto/RecordError.h"
#include "proto/RecordFields.h"

#include <climits>

using namespace quarnel;

TEST_CASE("a field takes the values of its width: 0 to 65535, or -2147483648 to 4294967295")
{
    const RecordField& pid = FieldByKey("pid");
    const RecordField& strength = FieldByKey("base.ST");
    CHECK(CheckedFieldValue(pid, 0) == 0);
    CHECK(CheckedFieldValue(pid, 65535) == 65535);
    CHECK_THROWS_WITH_AS(CheckedFieldValue(pid, 65536), "pid: 65536 is out of range (0 to 65535)", RecordError);
    CHECK_THROWS_WITH_AS(CheckedFieldValue(pid, -1), "pid: -1 is out of range (0 to 65535)", RecordError);
    CHECK(CheckedFieldValue(strength, INT32_MIN) == INT32_MIN);
    CHECK(CheckedFieldValue(strength, 4294967295LL) == -1); // stored as its bit pattern
    CHECK(CheckedFieldValue(strength, 2147483648LL) == INT32_MIN);
    CHECK_THROWS_WITH_AS(CheckedFieldValue(strength, 4294967296LL),
                         "base.ST: 4294967296 is out of range (-2147483648 to 4294967295)", RecordError);
    CHECK_THROWS_AS(CheckedFieldValue(strength, std::int64_t{INT32_MIN} - 1), RecordError);
}

TEST_CASE("edits are parsed as key=value, key+=n and key-=n, each refusal naming what it refuses")
{
    const FieldEdit assign = ParseFieldEdit("base.ST=$10");
    CHECK(assign.field->key == "base.ST");
    CHECK(assign.kind == EditKind::Assign);
    CHECK(assign.operand == 16);
    CHECK(EditedValue(assign, 3) == 16);

    const FieldEdit add = ParseFieldEdit("pid+=1");
    CHECK(add.kind == EditKind::Add);
    CHECK(EditedValue(add, 65534) == 65535);
    CHECK_THROWS_WITH_AS(EditedValue(add, 65535), "pid: 65536 is out of range (0 to 65535)", RecordError);
    const FieldEdit subtract = ParseFieldEdit("pid-=1");
    CHECK(EditedValue(subtract, 1) == 0);
    CHECK_THROWS_AS(EditedValue(subtract, 0), RecordError);

    CHECK_THROWS_WITH_AS(ParseFieldEdit("=5"), "'=5' is not an edit (key=value, key+=n or key-=n)", RecordError);
    CHECK_THROWS_WITH_AS(ParseFieldEdit("base.ST"), "'base.ST' is not an edit (key=value, key+=n or key-=n)",
                         RecordError);
    CHECK_THROWS_WITH_AS(ParseFieldEdit("strength=5"),
                         "unknown key 'strength' (the keys are listed by quarnel-cli show)", RecordError);
    CHECK_THROWS_WITH_AS(ParseFieldEdit("base.ST=five"), "base.ST: 'five' is not a 32-bit integer", RecordError);
    CHECK_THROWS_WITH_AS(ParseFieldEdit("pid=65536"), "pid: 65536 is out of range (0 to 65535)", RecordError);
}

TEST_CASE("a key the record's kind or size lacks is refused")
{
    CHECK(KindFieldByKey(RecordKind{ProtoType::Critter}, 416, "damage_type").offset == 412);
    CHECK_THROWS_WITH_AS(KindFieldByKey(RecordKind{ProtoType::Critter}, 412, "damage_type"),
                         "damage_type: a 412-byte file has no such field", RecordError);
}
