// The form of a prototype of any type, on records built byte by byte: every
// field named by its key with the value its bytes hold, typed values checked,
// flag bits and lists, and a record that differs only where it was edited.
#include "KindOffsets.h"
#include "ProtoBuilder.h"
#include "editor/FieldLook.h"
#include "editor/PrototypeForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

#include <cstdio>
#include <string>
#include <vector>

using namespace quarnel;
using namespace quarnel::test;

namespace {

// A field as the record description gives it, written out here offset by
// offset so that the form's layout table is checked against an independent one.
using Expected = KindField;

const std::vector<Expected> kHeader = {{"pid_type", 0, 2, Shown::Hex2},
                                       {"pid", 2, 2, Shown::Decimal},
                                       {"text_id", 4, 4, Shown::Decimal},
                                       {"fid", 8, 4, Shown::Hex4}};

const std::vector<Expected> kItem = {
    {"light_radius", 12, 4, Shown::Decimal}, {"light_intensity", 16, 4, Shown::Decimal},
    {"object_flags", 20, 4, Shown::Hex4},    {"action_flags", 24, 4, Shown::Hex4},
    {"script_id", 28, 4, Shown::Decimal},    {"subtype", 32, 4, Shown::List},
    {"material", 36, 4, Shown::List},        {"size", 40, 4, Shown::Decimal},
    {"weight", 44, 4, Shown::Decimal},       {"cost", 48, 4, Shown::Decimal},
    {"inventory_fid", 52, 4, Shown::Hex4},   {"sound", 56, 1, Shown::Decimal}};

const std::vector<Expected> kWeapon = {
    {"weapon.animation", 57, 4, Shown::List},        {"weapon.min_damage", 61, 4, Shown::Decimal},
    {"weapon.max_damage", 65, 4, Shown::Decimal},    {"weapon.damage_type", 69, 4, Shown::List},
    {"weapon.range1", 73, 4, Shown::Decimal},        {"weapon.range2", 77, 4, Shown::Decimal},
    {"weapon.projectile_pid", 81, 4, Shown::Hex4},   {"weapon.min_strength", 85, 4, Shown::Decimal},
    {"weapon.ap_cost1", 89, 4, Shown::Decimal},      {"weapon.ap_cost2", 93, 4, Shown::Decimal},
    {"weapon.critical_fail", 97, 4, Shown::Decimal}, {"weapon.perk", 101, 4, Shown::Decimal},
    {"weapon.burst_rounds", 105, 4, Shown::Decimal}, {"weapon.caliber", 109, 4, Shown::Decimal},
    {"weapon.ammo_pid", 113, 4, Shown::Hex4},        {"weapon.max_ammo", 117, 4, Shown::Decimal},
    {"weapon.sound", 121, 1, Shown::Decimal}};

const std::vector<Expected> kArmor = {{"armor.AC", 57, 4, Shown::Decimal},
                                      {"armor.DRnormal", 61, 4, Shown::Decimal},
                                      {"armor.DRlaser", 65, 4, Shown::Decimal},
                                      {"armor.DRfire", 69, 4, Shown::Decimal},
                                      {"armor.DRplasma", 73, 4, Shown::Decimal},
                                      {"armor.DRelectrical", 77, 4, Shown::Decimal},
                                      {"armor.DRemp", 81, 4, Shown::Decimal},
                                      {"armor.DRexplode", 85, 4, Shown::Decimal},
                                      {"armor.DTnormal", 89, 4, Shown::Decimal},
                                      {"armor.DTlaser", 93, 4, Shown::Decimal},
                                      {"armor.DTfire", 97, 4, Shown::Decimal},
                                      {"armor.DTplasma", 101, 4, Shown::Decimal},
                                      {"armor.DTelectrical", 105, 4, Shown::Decimal},
                                      {"armor.DTemp", 109, 4, Shown::Decimal},
                                      {"armor.DTexplode", 113, 4, Shown::Decimal},
                                      {"armor.perk", 117, 4, Shown::Decimal},
                                      {"armor.male_fid", 121, 4, Shown::Hex4},
                                      {"armor.female_fid", 125, 4, Shown::Hex4}};

const std::vector<Expected> kDrug = {{"drug.stat_a", 57, 4, Shown::Decimal},
                                     {"drug.stat_b", 61, 4, Shown::Decimal},
                                     {"drug.stat_c", 65, 4, Shown::Decimal},
                                     {"drug.amount_a", 69, 4, Shown::Decimal},
                                     {"drug.amount_b", 73, 4, Shown::Decimal},
                                     {"drug.amount_c", 77, 4, Shown::Decimal},
                                     {"drug.delay1", 81, 4, Shown::Decimal},
                                     {"drug.delay1_a", 85, 4, Shown::Decimal},
                                     {"drug.delay1_b", 89, 4, Shown::Decimal},
                                     {"drug.delay1_c", 93, 4, Shown::Decimal},
                                     {"drug.delay2", 97, 4, Shown::Decimal},
                                     {"drug.delay2_a", 101, 4, Shown::Decimal},
                                     {"drug.delay2_b", 105, 4, Shown::Decimal},
                                     {"drug.delay2_c", 109, 4, Shown::Decimal},
                                     {"drug.addiction_chance", 113, 4, Shown::Decimal},
                                     {"drug.addiction_perk", 117, 4, Shown::Decimal},
                                     {"drug.addiction_delay", 121, 4, Shown::Decimal}};

const std::vector<Expected> kDoor = {
    {"light_radius", 12, 4, Shown::Decimal}, {"light_intensity", 16, 4, Shown::Decimal},
    {"object_flags", 20, 4, Shown::Hex4},    {"action_flags", 24, 4, Shown::Hex4},
    {"script_id", 28, 4, Shown::Decimal},    {"subtype", 32, 4, Shown::List},
    {"material", 36, 4, Shown::List},        {"sound", 40, 1, Shown::Decimal},
    {"door.open_flags", 41, 4, Shown::Hex4}, {"door.key_code", 45, 4, Shown::Decimal}};

const std::vector<Expected> kWall = {
    {"light_radius", 12, 4, Shown::Decimal}, {"light_intensity", 16, 4, Shown::Decimal},
    {"object_flags", 20, 4, Shown::Hex4},    {"action_flags", 24, 4, Shown::Hex4},
    {"script_id", 28, 4, Shown::Decimal},    {"material", 32, 4, Shown::List}};

const std::vector<Expected> kTile = {{"object_flags", 12, 4, Shown::Hex4},
                                     {"action_flags", 16, 4, Shown::Hex4},
                                     {"script_id", 20, 4, Shown::Decimal},
                                     {"material", 24, 4, Shown::List}};

const std::vector<Expected> kMisc = {{"light_radius", 12, 4, Shown::Decimal},
                                     {"light_intensity", 16, 4, Shown::Decimal},
                                     {"object_flags", 20, 4, Shown::Hex4},
                                     {"action_flags", 24, 4, Shown::Hex4}};

std::vector<Expected> Joined(std::initializer_list<const std::vector<Expected>*> parts)
{
    std::vector<Expected> all;
    for (const auto* part : parts)
        all.insert(all.end(), part->begin(), part->end());
    return all;
}

struct Sample {
    const char* name;
    RecordKind kind;
    int size;
    int typeByte;
    std::vector<Expected> fields;
};

std::vector<Sample> Samples()
{
    return {
        {"weapon", {ProtoType::Item, 3}, 122, 0, Joined({&kHeader, &kItem, &kWeapon})},
        {"armor", {ProtoType::Item, 0}, 129, 0, Joined({&kHeader, &kItem, &kArmor})},
        {"drug", {ProtoType::Item, 2}, 125, 0, Joined({&kHeader, &kItem, &kDrug})},
        {"door", {ProtoType::Scenery, 0}, 49, 2, Joined({&kHeader, &kDoor})},
        {"wall", {ProtoType::Wall, kNoSubtype}, 36, 3, Joined({&kHeader, &kWall})},
        {"tile", {ProtoType::Tile, kNoSubtype}, 28, 4, Joined({&kHeader, &kTile})},
        {"misc", {ProtoType::Misc, kNoSubtype}, 28, 5, Joined({&kHeader, &kMisc})},
    };
}

// Every byte differs from its neighbours (the builder's pattern), so a field
// read at a wrong offset shows a wrong value. The header is a valid one.
ProtoBuilder SampleBytes(const Sample& sample)
{
    ProtoBuilder bytes(sample.size);
    bytes.Set(0, 1, sample.typeByte).Set(1, 1, 0);
    if (sample.kind.subtype != kNoSubtype)
        bytes.Set(32, 4, sample.kind.subtype);
    return bytes;
}

std::uint32_t BigEndian(const std::vector<std::uint8_t>& bytes, int offset, int width)
{
    std::uint32_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | bytes[static_cast<std::size_t>(offset + i)];
    return value;
}

ProRecord RecordOf(const ProtoBuilder& bytes) { return ProRecord::FromBytes(bytes.Bytes()); }

template <class T> T* Child(PrototypeForm& form, const QString& name)
{
    T* child = form.findChild<T*>(name);
    if (!child)
        qWarning("no control %s", qPrintable(name));
    return child;
}

QLineEdit* Edit(PrototypeForm& form, const char* key) { return Child<QLineEdit>(form, QString("Field_") + key); }

// Types text into a field as a user does (select all, type).
void Type(QLineEdit* edit, const QString& text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

bool IsRed(const QLineEdit* edit) { return FieldColor(edit) == kRed; }

} // namespace

class TestWindowPrototypeForm : public QObject {
    Q_OBJECT

private slots:
    void EveryFieldOfEachKindShowsItsStoredValue();
    void EditedFieldsAreTheOnlyChangedBytes();
    void FlagBitBoxesFollowTheFieldBothWays();
    void ListsKeepAnUnknownValueAndTheSubtypeIsFixed();
    void BadValuesTurnRedAndBlockTheRecord();
    void RangeLimitsOfEachWidth();
    void ShowingAnotherRecordReplacesTheForm();
    void LooksTidy();
};

void TestWindowPrototypeForm::EveryFieldOfEachKindShowsItsStoredValue()
{
    for (const Sample& sample : Samples()) {
        const ProtoBuilder bytes = SampleBytes(sample);
        PrototypeForm form;
        form.Show(RecordOf(bytes), sample.kind, true);
        QVERIFY2(form.IsValid(), sample.name);
        int named = 0;
        for (QWidget* child : form.findChildren<QWidget*>())
            if (child->objectName().startsWith("Field_"))
                ++named;
        QCOMPARE(named, static_cast<int>(sample.fields.size())); // no key missing, none extra
        for (const Expected& field : sample.fields) {
            const QString name = QString("Field_") + QString::fromStdString(field.key);
            const QByteArray where = QByteArray(sample.name) + " " + field.key.c_str();
            if (field.shown == Shown::List) {
                auto* combo = Child<QComboBox>(form, name);
                QVERIFY2(combo, where);
                QCOMPARE(combo->currentData().toUInt(), BigEndian(bytes.Bytes(), field.offset, field.width));
            } else {
                auto* edit = Child<QLineEdit>(form, name);
                QVERIFY2(edit, where);
                QCOMPARE(edit->text(), QString::fromStdString(ShownText(field, bytes.Bytes())));
            }
        }
        // Unedited, the record is the one shown, byte for byte.
        QCOMPARE(form.Record()->bytes(), bytes.Bytes());
    }
}

void TestWindowPrototypeForm::EditedFieldsAreTheOnlyChangedBytes()
{
    const std::vector<Sample> samples = Samples();
    {
        const ProtoBuilder bytes = SampleBytes(samples[0]); // weapon
        PrototypeForm form;
        form.Show(RecordOf(bytes), samples[0].kind, true);
        QSignalSpy changed(&form, &PrototypeForm::changed);
        Type(Edit(form, "weapon.min_damage"), "12");
        QVERIFY(changed.count() > 0);
        std::vector<std::uint8_t> expected = bytes.Bytes();
        expected[61] = 0, expected[62] = 0, expected[63] = 0, expected[64] = 12;
        QCOMPARE(form.Record()->bytes(), expected);
        // Typed back to the stored value: the record is the original again.
        Type(Edit(form, "weapon.min_damage"),
             QString::fromStdString(ShownText({"", 61, 4, Shown::Decimal}, bytes.Bytes())));
        QCOMPARE(form.Record()->bytes(), bytes.Bytes());
    }
    {
        const ProtoBuilder bytes = SampleBytes(samples[1]); // armor
        PrototypeForm form;
        form.Show(RecordOf(bytes), samples[1].kind, true);
        Type(Edit(form, "armor.DRlaser"), "0x1E"); // hexadecimal text is read as the command line reads it
        Type(Edit(form, "armor.DTexplode"), "-3");
        std::vector<std::uint8_t> expected = bytes.Bytes();
        expected[65] = 0, expected[66] = 0, expected[67] = 0, expected[68] = 30;
        expected[113] = 0xFF, expected[114] = 0xFF, expected[115] = 0xFF, expected[116] = 0xFD;
        QCOMPARE(form.Record()->bytes(), expected);
    }
}

void TestWindowPrototypeForm::FlagBitBoxesFollowTheFieldBothWays()
{
    // critter_flags at byte 44; bit 1 Barter, bit 5 No steal, bit 14 No knock-back.
    ProtoBuilder bytes(416);
    bytes.Set(0, 2, 0x0100).Set(44, 4, 0x00000020);
    PrototypeForm form;
    form.Show(RecordOf(bytes), {ProtoType::Critter, kNoSubtype}, true);
    QLineEdit* flags = Edit(form, "critter_flags");
    QVERIFY(flags);
    QCOMPARE(flags->text(), QString("0x00000020"));
    auto* barter = Child<QCheckBox>(form, "Field_critter_flags_bit_1");
    auto* noSteal = Child<QCheckBox>(form, "Field_critter_flags_bit_5");
    auto* noKnockBack = Child<QCheckBox>(form, "Field_critter_flags_bit_14");
    QVERIFY(barter && noSteal && noKnockBack);
    QVERIFY(!barter->isChecked() && noSteal->isChecked() && !noKnockBack->isChecked());
    QVERIFY(!form.findChild<QCheckBox*>("Field_critter_flags_bit_0")); // an unnamed bit has no box

    QSignalSpy changed(&form, &PrototypeForm::changed);
    barter->click();
    QCOMPARE(changed.count(), 1);
    QCOMPARE(flags->text(), QString("0x00000022"));
    noSteal->click();
    QCOMPARE(flags->text(), QString("0x00000002"));
    std::vector<std::uint8_t> expected = bytes.Bytes();
    expected[44] = 0, expected[45] = 0, expected[46] = 0, expected[47] = 0x02;
    QCOMPARE(form.Record()->bytes(), expected);

    // Typed text sets the boxes; unnamed bits are kept.
    Type(flags, "0x4001");
    QVERIFY(!barter->isChecked() && !noSteal->isChecked() && noKnockBack->isChecked());
    noKnockBack->click();
    QCOMPARE(flags->text(), QString("0x00000001"));

    // A box ticked while the text is bad mends it from the last good value.
    Type(flags, "zz");
    QVERIFY(!form.IsValid());
    barter->click();
    QCOMPARE(flags->text(), QString("0x00000003"));
    QVERIFY(form.IsValid());
    QVERIFY(!IsRed(flags));
}

void TestWindowPrototypeForm::ListsKeepAnUnknownValueAndTheSubtypeIsFixed()
{
    const Sample weapon = Samples()[0];
    ProtoBuilder bytes = SampleBytes(weapon);
    bytes.Set(36, 4, 99).Set(57, 4, 7).Set(69, 4, 6); // material unknown, animation Rifle, damage type Explode
    PrototypeForm form;
    form.Show(RecordOf(bytes), weapon.kind, true);
    auto* material = Child<QComboBox>(form, "Field_material");
    auto* animation = Child<QComboBox>(form, "Field_weapon.animation");
    auto* damage = Child<QComboBox>(form, "Field_weapon.damage_type");
    auto* subtype = Child<QComboBox>(form, "Field_subtype");
    QVERIFY(material && animation && damage && subtype);
    QCOMPARE(material->currentText(), QString("Unknown (99)"));
    QCOMPARE(animation->currentText(), QString("Rifle"));
    QCOMPARE(damage->currentData().toInt(), 6);
    QCOMPARE(subtype->currentText(), QString("Weapon"));
    QVERIFY(!subtype->isEnabled());
    QCOMPARE(material->count(), 9); // the 8 materials and the unknown value

    // Another field edited: the unknown value survives.
    Type(Edit(form, "weapon.max_damage"), "40");
    std::vector<std::uint8_t> expected = bytes.Bytes();
    expected[65] = 0, expected[66] = 0, expected[67] = 0, expected[68] = 40;
    QCOMPARE(form.Record()->bytes(), expected);

    // Picking a known item stores its number.
    QSignalSpy changed(&form, &PrototypeForm::changed);
    material->setCurrentIndex(material->findText("Wood"));
    QCOMPARE(changed.count(), 1);
    expected[36] = 0, expected[37] = 0, expected[38] = 0, expected[39] = 3;
    QCOMPARE(form.Record()->bytes(), expected);
}

void TestWindowPrototypeForm::BadValuesTurnRedAndBlockTheRecord()
{
    const Sample weapon = Samples()[0];
    const ProtoBuilder bytes = SampleBytes(weapon);
    PrototypeForm form;
    form.Show(RecordOf(bytes), weapon.kind, true);
    QSignalSpy validity(&form, &PrototypeForm::validityChanged);
    QLineEdit* minDamage = Edit(form, "weapon.min_damage");
    QLineEdit* cost = Edit(form, "cost");

    for (const char* bad : {"12x", "", "-", "0x", "1.5"}) {
        Type(minDamage, bad);
        QVERIFY2(IsRed(minDamage), bad);
        QVERIFY2(!form.IsValid(), bad);
        QVERIFY2(!form.Record(), bad);
    }
    QCOMPARE(validity.last().at(0).toBool(), false);

    // Two bad fields: mending one leaves the form invalid.
    Type(cost, "99999999999");
    QVERIFY(IsRed(cost));
    Type(minDamage, "5");
    QVERIFY(!IsRed(minDamage));
    QVERIFY(!form.IsValid());
    Type(cost, "0x10");
    QVERIFY(!IsRed(cost));
    QVERIFY(form.IsValid());
    QCOMPARE(validity.last().at(0).toBool(), true);
    // Only changes are signalled: valid and invalid alternate, starting with invalid.
    for (int i = 0; i < validity.count(); ++i)
        QCOMPARE(validity.at(i).at(0).toBool(), i % 2 == 1);
    QCOMPARE(BigEndian(form.Record()->bytes(), 61, 4), 5u);
    QCOMPARE(BigEndian(form.Record()->bytes(), 48, 4), 16u);

    // The type byte of an item's pid_type stays; its other byte may change.
    QLineEdit* pidType = Edit(form, "pid_type");
    Type(pidType, "0x0500");
    QVERIFY(IsRed(pidType));
    QVERIFY(!form.IsValid());
    Type(pidType, "0x0007");
    QVERIFY(!IsRed(pidType));
    QVERIFY(form.IsValid());
}

void TestWindowPrototypeForm::RangeLimitsOfEachWidth()
{
    struct Limit {
        const char* key;
        const char* text;
        bool valid;
        int offset;
        int width;
        std::uint32_t stored;
    };
    // 1 byte 0..255, 2 bytes 0..65535, 4 bytes -2147483648..4294967295.
    const Limit limits[] = {
        {"sound", "255", true, 56, 1, 255},         {"sound", "256", false, 56, 1, 0},
        {"sound", "-1", false, 56, 1, 0},           {"pid", "65535", true, 2, 2, 65535},
        {"pid", "65536", false, 2, 2, 0},           {"weight", "4294967295", true, 44, 4, 0xFFFFFFFF},
        {"weight", "4294967296", false, 44, 4, 0},  {"weight", "-2147483648", true, 44, 4, 0x80000000},
        {"weight", "-2147483649", false, 44, 4, 0}, {"weight", "0xFFFFFFFF", true, 44, 4, 0xFFFFFFFF},
    };
    const Sample weapon = Samples()[0];
    for (const Limit& limit : limits) {
        PrototypeForm form;
        form.Show(RecordOf(SampleBytes(weapon)), weapon.kind, true);
        QLineEdit* edit = Edit(form, limit.key);
        Type(edit, limit.text);
        const QByteArray where = QByteArray(limit.key) + " = " + limit.text;
        QVERIFY2(form.IsValid() == limit.valid, where);
        QVERIFY2(IsRed(edit) == !limit.valid, where);
        if (limit.valid)
            QCOMPARE(BigEndian(form.Record()->bytes(), limit.offset, limit.width), limit.stored);
    }
}

void TestWindowPrototypeForm::ShowingAnotherRecordReplacesTheForm()
{
    const std::vector<Sample> samples = Samples();
    PrototypeForm form;
    form.Show(RecordOf(SampleBytes(samples[0])), samples[0].kind, true);
    QSignalSpy validity(&form, &PrototypeForm::validityChanged);
    Type(Edit(form, "weapon.min_damage"), "x");
    QVERIFY(!form.IsValid());
    const ProtoBuilder tile = SampleBytes(samples[5]);
    form.Show(RecordOf(tile), samples[5].kind, true);
    QVERIFY(!form.findChild<QLineEdit*>("Field_weapon.min_damage"));
    QVERIFY(form.IsValid());
    QCOMPARE(validity.count(), 2);
    QCOMPARE(validity.at(1).at(0).toBool(), true);
    Type(Edit(form, "script_id"), "7");
    std::vector<std::uint8_t> expected = tile.Bytes();
    expected[20] = 0, expected[21] = 0, expected[22] = 0, expected[23] = 7;
    QCOMPARE(form.Record()->bytes(), expected);
}

void TestWindowPrototypeForm::LooksTidy()
{
    // Shown at a window's size; QUARNEL_FORM_PICTURES names a folder to save
    // a picture of each kind in, to look at.
    const QString folder = qEnvironmentVariable("QUARNEL_FORM_PICTURES");
    std::vector<Sample> samples = Samples();
    samples.push_back({"critter", {ProtoType::Critter, kNoSubtype}, 416, 1, {}});
    for (const Sample& sample : samples) {
        PrototypeForm form;
        form.resize(760, 560);
        form.Show(RecordOf(SampleBytes(sample)), sample.kind, false);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        // Every field fits in its column: none is squeezed below its size hint.
        for (QLineEdit* edit : form.findChildren<QLineEdit*>())
            QVERIFY2(edit->width() >= edit->minimumSizeHint().width(), qPrintable(edit->objectName()));
        if (!folder.isEmpty())
            form.grab().save(folder + "/" + sample.name + ".png");
    }
}

QTEST_MAIN(TestWindowPrototypeForm)
#include "test_window_prototype_form.moc"
