// The whole-record table: every byte named once, keys where the record puts
// them, the window's fields resolved through it, and the item lists against
// real critters.
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "ProtoBuilder.h"

#include <QtTest>

#include <set>

using namespace quarnel;
using quarnel::test::ReadAllBytes;

class TestRecordLayout : public QObject {
    Q_OBJECT
private slots:
    void everyByteIsNamedOnceInFileOrder();
    void keysSitAtTheirOffsets_data();
    void keysSitAtTheirOffsets();
    void windowFieldsComeFromTheRecordTable();
    void itemListsPerGame();
    void realCrittersShowNamedItems();
};

void TestRecordLayout::everyByteIsNamedOnceInFileOrder()
{
    int next = 0;
    std::set<std::string> keys;
    std::set<std::string> controls;
    for (const RecordField& field : RecordLayout()) {
        QCOMPARE(field.offset, next);
        QVERIFY2(keys.insert(field.key).second, field.key.c_str());
        if (field.control)
            QVERIFY2(controls.insert(field.control).second, field.control);
        QCOMPARE(field.isSigned, field.width == 4);
        QCOMPARE(field.display == FieldDisplay::Enum, field.list != EnumList::None);
        QVERIFY(FindRecordField(field.key) == &field);
        next += field.width;
    }
    QCOMPARE(next, kSecondGameRecordSize);
    QCOMPARE(int(RecordLayout().size()), 13 + 2 * kBlockFieldCount + 18 + 4);
    QVERIFY(FindRecordField("base.Strength") == nullptr);
    // Each base value has its extra value 140 bytes further on.
    for (const RecordField& field : RecordLayout())
        if (field.key.rfind("base.", 0) == 0) {
            const RecordField* extra = FindRecordField("extra." + field.key.substr(5));
            QVERIFY2(extra && extra->offset == field.offset + kExtraBlockShift, field.key.c_str());
        }
}

void TestRecordLayout::keysSitAtTheirOffsets_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("display");
    const int dec = int(FieldDisplay::Decimal), hex = int(FieldDisplay::Hexadecimal), list = int(FieldDisplay::Enum);
    QTest::newRow("pid_type") << "pid_type" << 0 << "EditPidType" << hex;
    QTest::newRow("pid") << "pid" << 2 << "EditCritterPID" << dec;
    QTest::newRow("text_id") << "text_id" << 4 << "EditIDNumber" << dec;
    QTest::newRow("fid") << "fid" << 8 << "EditFid" << hex;
    QTest::newRow("light_radius") << "light_radius" << 12 << "EditLightRadius" << dec;
    QTest::newRow("light_intensity") << "light_intensity" << 16 << "EditLightIntensity" << dec;
    QTest::newRow("object_flags") << "object_flags" << 20 << "EditObjectFlags" << hex;
    QTest::newRow("action_flags") << "action_flags" << 24 << "EditActionFlags" << hex;
    QTest::newRow("script_id") << "script_id" << 28 << "EditScriptId" << dec;
    QTest::newRow("head_fid") << "head_fid" << 32 << "EditHeadFid" << hex;
    QTest::newRow("ai_packet") << "ai_packet" << 36 << "EditAIPacket" << dec;
    QTest::newRow("team") << "team" << 40 << "EditTeamNumber" << dec;
    QTest::newRow("critter_flags") << "critter_flags" << 44 << "EditCritterFlags" << hex;
    QTest::newRow("base.ST") << "base.ST" << 48 << "EditBaseST" << dec;
    QTest::newRow("base.BetterCriticals") << "base.BetterCriticals" << 112 << "EditBaseBetterCriticals" << dec;
    QTest::newRow("base.DTexplode") << "base.DTexplode" << 140 << "EditBaseDTexplode" << dec;
    QTest::newRow("base.DRnormal") << "base.DRnormal" << 144 << "EditBaseDRnormal" << dec;
    QTest::newRow("base.Radiation") << "base.Radiation" << 172 << "EditBaseRadiation" << dec;
    QTest::newRow("base.Poison") << "base.Poison" << 176 << "EditBasePoison" << dec;
    QTest::newRow("base.Age") << "base.Age" << 180 << "EditBaseAge" << dec;
    QTest::newRow("base.Gender") << "base.Gender" << 184 << "ComboBoxGender" << dec;
    QTest::newRow("extra.ST") << "extra.ST" << 188 << "EditExtraST" << dec;
    QTest::newRow("extra.DRexplode") << "extra.DRexplode" << 308 << "EditExtraDRexplode" << dec;
    QTest::newRow("extra.Radiation") << "extra.Radiation" << 312 << "EditExtraRadiation" << dec;
    QTest::newRow("extra.Age") << "extra.Age" << 320 << "EditExtraAge" << dec;
    QTest::newRow("extra.Gender") << "extra.Gender" << 324 << "EditExtraGender" << dec;
    QTest::newRow("skills.SmallGuns") << "skills.SmallGuns" << 328 << "EditSkillSmallGunsExtra" << dec;
    QTest::newRow("skills.Outdoorsman") << "skills.Outdoorsman" << 396 << "EditSkillOutdoorsmanExtra" << dec;
    QTest::newRow("body_type") << "body_type" << 400 << "ComboBodyType" << list;
    QTest::newRow("exp") << "exp" << 404 << "EditExpPoints" << dec;
    QTest::newRow("kill_type") << "kill_type" << 408 << "ComboKillType" << list;
    QTest::newRow("damage_type") << "damage_type" << 412 << "ComboDamageType" << list;
}

void TestRecordLayout::keysSitAtTheirOffsets()
{
    QFETCH(QString, key);
    QFETCH(int, offset);
    QFETCH(QString, control);
    QFETCH(int, display);
    const RecordField* field = FindRecordField(key.toStdString());
    QVERIFY(field);
    QCOMPARE(field->offset, offset);
    QCOMPARE(QString(field->control), control);
    QCOMPARE(int(field->display), display);
    QVERIFY(FindRecordFieldByControl(control.toStdString()) == field);
    QCOMPARE(RecordHasField(*field, kFirstGameRecordSize), offset < kFirstGameRecordSize);
}

void TestRecordLayout::windowFieldsComeFromTheRecordTable()
{
    for (const ProFieldSpec& windowField : ProFieldLayout()) {
        const RecordField* field = FindRecordFieldByControl(windowField.control);
        QVERIFY2(field, windowField.control);
        QCOMPARE(windowField.offset, field->offset);
        QCOMPARE(windowField.width, field->width);
    }
    // The byte the preview reads is the lowest byte of the FID.
    const RecordField& fid = *FindRecordField("fid");
    QCOMPARE(kFidIndexOffset, fid.offset + fid.width - 1);
}

void TestRecordLayout::itemListsPerGame()
{
    QCOMPARE(EnumItems(EnumList::KillType, true).size(), std::size_t(19));
    QCOMPARE(EnumItems(EnumList::KillType, false).size(), std::size_t(15));
    QCOMPARE(EnumItemName(EnumList::KillType, false, 14), "Plants");
    QVERIFY(EnumItemName(EnumList::KillType, false, 15) == nullptr);
    QCOMPARE(EnumItemName(EnumList::KillType, true, 18), "Big Bad Boss");
    QCOMPARE(EnumItemName(EnumList::BodyType, false, 2), "Robotic");
    QVERIFY(EnumItemName(EnumList::BodyType, true, -1) == nullptr);
    QCOMPARE(EnumItemName(EnumList::DamageType, true, 6), "Explosion");
    std::uint32_t seen = 0;
    for (const FlagBit& bit : CritterFlagBits()) {
        QCOMPARE(bit.mask & (bit.mask - 1), 0u); // one bit each
        QVERIFY((seen & bit.mask) == 0);
        seen |= bit.mask;
    }
    QCOMPARE(seen, 0x7FE2u);
}

void TestRecordLayout::realCrittersShowNamedItems()
{
    const std::filesystem::path root = QUARNEL_SHARED_TESTDATA;
    if (!std::filesystem::exists(root))
        QSKIP("shared test data not present");
    std::uint32_t knownFlags = 0;
    for (const FlagBit& bit : CritterFlagBits())
        knownFlags |= bit.mask;
    int files = 0;
    for (const char* game : {"FO1", "FO2"})
        for (const auto& entry : std::filesystem::directory_iterator(root / game)) {
            const auto ext = entry.path().extension().string();
            if (ext != ".pro" && ext != ".PRO")
                continue;
            ++files;
            const bool secondGame = std::string(game) == "FO2";
            // Read as plain bytes: the shared files are read-only, and the
            // tests may run as a user who cannot open them for writing.
            const std::vector<std::uint8_t> bytes = ReadAllBytes(entry.path());
            QCOMPARE(bytes.size(), std::size_t(secondGame ? kSecondGameRecordSize : kFirstGameRecordSize));
            auto value = [&](const RecordField& field) { return DecodeBigEndian(bytes.data() + field.offset, field.width); };
            const std::string name = entry.path().filename().string();
            for (const RecordField& field : RecordLayout()) {
                QCOMPARE(RecordHasField(field, bytes.size()), field.key != "damage_type" || secondGame);
                if (!RecordHasField(field, bytes.size()) || field.list == EnumList::None)
                    continue;
                QVERIFY2(EnumItemName(field.list, secondGame, value(field)), (name + " " + field.key).c_str());
            }
            QCOMPARE(value(*FindRecordField("pid_type")), 0x0100);
            const auto flags = std::uint32_t(value(*FindRecordField("critter_flags")));
            QVERIFY2((flags & ~knownFlags) == 0, name.c_str());
        }
    QVERIFY(files >= 40);
}

QTEST_GUILESS_MAIN(TestRecordLayout)
#include "test_record_layout.moc"
