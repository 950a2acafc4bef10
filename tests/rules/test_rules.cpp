// Character rules: integer text, the skill formulas of both games, and the
// change rules run over a map of field texts, checked by the exact sequence of
// writes each change produces.
#include "MapFieldStore.h"
#include "platform/Errors.h"
#include "proto/CritterFields.h"
#include "rules/CharacterRules.h"
#include "platform/IntegerText.h"
#include "rules/SkillFormulas.h"

#include <QtTest>

#include <climits>

using namespace quarnel;
using quarnel::test::MapFieldStore;

namespace {

QStringList ToList(const std::vector<std::string>& items)
{
    QStringList list;
    for (const auto& item : items)
        list << QString::fromStdString(item);
    return list;
}

// A critter sheet as loaded: primary 5 each, derived values as the formulas
// give them with extra 2, skills as the formulas give them with extra 1.
struct Sheet {
    bool loading = false;
    bool secondGame = false;
    MapFieldStore store;
    CharacterRules rules{store, loading, secondGame};

    explicit Sheet(bool second = false)
    {
        secondGame = second;
        for (const auto& row : kPrimaryStats)
            Fill(row, 5, 0);
        const std::array<int, kDerivedCount> derived = {30, 7, 5, 1, 1, 150, 10, 1, 5, 0};
        for (int i = 0; i < kDerivedCount; ++i)
            Fill(kDerivedStats[i], derived[i], 2);
        // Skill base values of all-5 totals, worked out by hand from the formulas.
        const std::array<int, kSkillCount> skills =
            second
                ? std::array<int, kSkillCount>{25, 10, 10, 50, 40, 20, 20, 15, 20, 20, 15, 20, 20, 15, 25, 20, 25, 20}
                : std::array<int, kSkillCount>{40, 15, 15, 70, 60, 45, 35, 20, 30, 25, 25, 25, 35, 25, 35, 30, 35, 10};
        for (int i = 0; i < kSkillCount; ++i)
            Fill(kSkills[i], skills[i], 1);
        store.Preset(kGenderFields.base, "");
        store.Preset(kGenderFields.extra, "0");
        store.Preset(kGenderFields.total, "0");
        store.rules = &rules;
    }

    void Fill(const StatFields& row, int base, int extra)
    {
        store.Preset(row.base, std::to_string(base));
        store.Preset(row.extra, std::to_string(extra));
        store.Preset(row.total, std::to_string(base + extra));
    }

    // "Field=text" entries set without running rules.
    void Preset(const QStringList& entries)
    {
        for (const QString& entry : entries) {
            const auto parts = entry.split('=');
            store.Preset(parts[0].toStdString(), parts[1].toStdString());
        }
    }

    void Write(const QString& field, const QString& text) { store.SetText(field.toStdString(), text.toStdString()); }
    QString Text(const char* field) const { return QString::fromStdString(store.Text(field)); }

    // The texts written into one field, in order.
    QStringList WritesTo(const QString& field) const
    {
        QStringList values;
        for (const QString& entry : ToList(store.writes))
            if (entry.section('=', 0, 0) == field)
                values << entry.section('=', 1);
        return values;
    }
};

} // namespace

class TestRules : public QObject {
    Q_OBJECT

private slots:
    void integerText_data();
    void integerText();
    void strToIntNamesTheText();
    void skillTables_data();
    void skillTables();
    void skillEdgeValues_data();
    void skillEdgeValues();
    void skillsFedByFollowTheWriteOrder();
    void primaryCascadeWritesExactly_data();
    void primaryCascadeWritesExactly();
    void clamps_data();
    void clamps();
    void totalRules_data();
    void totalRules();
    void guardsStopEveryRule_data();
    void guardsStopEveryRule();
    void sameTotalTextRecomputesNothing();
    void badOperandStopsTheCascade();
    void unrelatedBadTotalDoesNotStopTheCascade();
    void sumsWrapAt32Bits();
    void twoOperandSkillIsOrderIndependent();
    void hiddenGenderTotal();
    void onlyRuleFieldsHaveRules_data();
    void onlyRuleFieldsHaveRules();
};

void TestRules::integerText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "12" << true << 12;
    QTest::newRow("leading blanks") << "  12" << true << 12;
    QTest::newRow("plus") << "+12" << true << 12;
    QTest::newRow("minus") << "-7" << true << -7;
    QTest::newRow("dollar hex") << "$1F" << true << 31;
    QTest::newRow("0x hex") << "0x1f" << true << 31;
    QTest::newRow("0X hex") << "0X1F" << true << 31;
    QTest::newRow("x hex") << "x10" << true << 16;
    QTest::newRow("X hex") << "X1f" << true << 31;
    QTest::newRow("X hex all bits") << "XFFFFFFFF" << true << -1;
    QTest::newRow("X alone") << "X" << false << 0;
    QTest::newRow("hex digits a to f") << "$abcdef" << true << 0xABCDEF;
    QTest::newRow("hex digit after f") << "$1g" << false << 0;
    QTest::newRow("many leading zeros") << "000000000000000000000000000012" << true << 12;
    QTest::newRow("hex many leading zeros") << "$000000000000000000000000FF" << true << 255;
    QTest::newRow("above 64 bits") << "18446744073709551617" << false << 0;
    QTest::newRow("hex above 64 bits") << "$10000000000000001" << false << 0;
    QTest::newRow("minus above 64 bits") << "-18446744073709551616" << false << 0;
    QTest::newRow("negated hex") << "-$10" << true << -16;
    QTest::newRow("zero") << "0" << true << 0;
    QTest::newRow("leading zeros") << "007" << true << 7;
    QTest::newRow("maximum") << "2147483647" << true << INT_MAX;
    QTest::newRow("minimum") << "-2147483648" << true << INT_MIN;
    QTest::newRow("hex all bits") << "$FFFFFFFF" << true << -1;
    QTest::newRow("hex sign bit") << "$80000000" << true << INT_MIN;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blank") << " " << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
    QTest::newRow("dollar alone") << "$" << false << 0;
    QTest::newRow("0x alone") << "0x" << false << 0;
    QTest::newRow("signed prefix alone") << "-0x" << false << 0;
    QTest::newRow("trailing blank") << "12 " << false << 0;
    QTest::newRow("blank after sign") << "- 5" << false << 0;
    QTest::newRow("tab is no blank") << "\t5" << false << 0;
    QTest::newRow("fraction") << "1.5" << false << 0;
    QTest::newRow("exponent") << "1e3" << false << 0;
    QTest::newRow("two signs") << "--5" << false << 0;
    QTest::newRow("above maximum") << "2147483648" << false << 0;
    QTest::newRow("below minimum") << "-2147483649" << false << 0;
    QTest::newRow("hex above 32 bits") << "$100000000" << false << 0;
    QTest::newRow("bad hex digit") << "$1G" << false << 0;
}

void TestRules::integerText()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(int, value);
    const std::string s = text.toStdString();
    QCOMPARE(IsIntegerText(s), valid);
    if (valid)
        QCOMPARE(StrToInt(s), value);
    else
        QVERIFY_THROWS_EXCEPTION(ConvertError, StrToInt(s));
}

void TestRules::strToIntNamesTheText()
{
    try {
        StrToInt("12a");
        QFAIL("no exception");
    } catch (const ConvertError& e) {
        QCOMPARE(QString(e.what()), QString("'12a' is not a valid integer value"));
    }
}

void TestRules::skillTables_data()
{
    QTest::addColumn<bool>("secondGame");
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<QList<int>>("expected");
    QTest::newRow("first game, all 5") << false << QList<int>{5, 5, 5, 5, 5, 5, 5}
                                       << QList<int>{40, 15, 15, 70, 60, 45, 35, 20, 30,
                                                     25, 25, 25, 35, 25, 35, 30, 35, 10};
    QTest::newRow("second game, all 5") << true << QList<int>{5, 5, 5, 5, 5, 5, 5}
                                        << QList<int>{25, 10, 10, 50, 40, 20, 20, 15, 20,
                                                      20, 15, 20, 20, 15, 25, 20, 25, 20};
    // Distinct totals catch a formula that reads the wrong statistic.
    // ST 1, PE 2, EN 3, CH 4, INT 6, AG 8, LU 9.
    QTest::newRow("first game, distinct")
        << false << QList<int>{1, 2, 3, 4, 6, 8, 9}
        << QList<int>{43, 18, 18, 69, 59, 48, 34, 19, 33, 25, 28, 25, 37, 26, 33, 28, 47, 9};
    QTest::newRow("second game, distinct")
        << true << QList<int>{1, 2, 3, 4, 6, 8, 9}
        << QList<int>{37, 16, 16, 48, 38, 32, 16, 13, 29, 20, 24, 20, 24, 18, 20, 16, 45, 18};
}

void TestRules::skillTables()
{
    QFETCH(bool, secondGame);
    QFETCH(QList<int>, totals);
    QFETCH(QList<int>, expected);
    PrimaryTotals in{};
    for (int i = 0; i < kPrimaryCount; ++i)
        in[i] = totals[i];
    const auto all = SkillBaseValues(in, secondGame);
    for (int skill = 0; skill < kSkillCount; ++skill) {
        QCOMPARE(all[skill], expected[skill]);
        QCOMPARE(SkillBaseValue(static_cast<SkillIndex>(skill), in, secondGame), expected[skill]);
    }
}

void TestRules::skillEdgeValues_data()
{
    QTest::addColumn<bool>("secondGame");
    QTest::addColumn<QList<int>>("totals");
    QTest::addColumn<int>("skill");
    QTest::addColumn<int>("expected");
    QTest::newRow("ST 5 AG 6 unarmed") << false << QList<int>{5, 5, 5, 5, 5, 6, 5} << int(kUnarmed) << 70;
    QTest::newRow("ST 5 AG 6 melee") << false << QList<int>{5, 5, 5, 5, 5, 6, 5} << int(kMelee) << 60;
    QTest::newRow("PE -3 INT 0 first aid") << false << QList<int>{5, -3, 5, 5, 0, 5, 5} << int(kFirstAid) << 29;
    QTest::newRow("PE -3 INT 0 doctor") << false << QList<int>{5, -3, 5, 5, 0, 5, 5} << int(kDoctor) << 14;
    QTest::newRow("EN -4 INT 1 outdoorsman") << false << QList<int>{5, 5, -4, 5, 1, 5, 5} << int(kOutdoorsman) << 4;
    QTest::newRow("negative not clamped") << false << QList<int>{5, 5, 5, -30, 5, 5, 5} << int(kSpeech) << -35;
    // 5 + 4 * 2^30 wraps to 5.
    QTest::newRow("product wraps") << true << QList<int>{5, 5, 5, 5, 5, 1073741824, 5} << int(kSmallGuns) << 5;
    // The sum wraps to -2 before it is halved: 65 + (-1).
    QTest::newRow("sum wraps before halving")
        << false << QList<int>{INT_MAX, 5, 5, 5, 5, INT_MAX, 5} << int(kUnarmed) << 64;
    QTest::newRow("minimum total") << true << QList<int>{5, 5, 5, 5, 5, INT_MIN, 5} << int(kSteal) << INT_MIN;
}

void TestRules::skillEdgeValues()
{
    QFETCH(bool, secondGame);
    QFETCH(QList<int>, totals);
    QFETCH(int, skill);
    QFETCH(int, expected);
    PrimaryTotals in{};
    for (int i = 0; i < kPrimaryCount; ++i)
        in[i] = totals[i];
    QCOMPARE(SkillBaseValue(static_cast<SkillIndex>(skill), in, secondGame), expected);
}

void TestRules::skillsFedByFollowTheWriteOrder()
{
    const std::array<std::vector<SkillIndex>, kPrimaryCount> expected = {{
        {kUnarmed, kMelee},
        {kFirstAid, kDoctor, kLockpick, kTraps},
        {kOutdoorsman},
        {kSpeech, kBarter},
        {kFirstAid, kDoctor, kScience, kRepair, kOutdoorsman},
        {kSmallGuns, kBigGuns, kEnergyGuns, kUnarmed, kMelee, kThrowing, kSneak, kLockpick, kSteal, kTraps},
        {kGambling},
    }};
    for (int stat = 0; stat < kPrimaryCount; ++stat)
        QCOMPARE(SkillsFedBy(static_cast<PrimaryIndex>(stat)), expected[stat]);
}

void TestRules::primaryCascadeWritesExactly_data()
{
    QTest::addColumn<bool>("secondGame");
    QTest::addColumn<QString>("extraField");
    QTest::addColumn<QStringList>("expected");
    // Each row raises one total from 5 to 8 (extra 0 -> 3); skill extras are
    // 1 and derived extras 2.
    QTest::newRow("ST") << false << "EditExtraST" << QStringList{"EditExtraST=3",           "EditST=8",
                                                                 "EditSkillUnarmedBase=71", "EditSkillUnarmed=72",
                                                                 "EditSkillMeleeBase=61",   "EditSkillMelee=62",
                                                                 "EditBaseHP=33",           "EditHP=35",
                                                                 "EditBaseCarryWeight=225", "EditCarryWeight=227",
                                                                 "EditBaseMelee=3",         "EditMelee=5"};
    QTest::newRow("PE")
        << false << "EditExtraPE"
        << QStringList{
               "EditExtraPE=3",          "EditPE=8",           "EditSkillFirstAidBase=36", "EditSkillFirstAid=37",
               "EditSkillDoctorBase=21", "EditSkillDoctor=22", "EditSkillLockpickBase=26", "EditSkillLockpick=27",
               "EditSkillTrapsBase=26",  "EditSkillTraps=27",  "EditBaseSequence=16",      "EditSequence=18"};
    QTest::newRow("EN") << false << "EditExtraEN"
                        << QStringList{"EditExtraEN=3",           "EditEN=8",         "EditSkillOutdoorsmanBase=11",
                                       "EditSkillOutdoorsman=12", "EditBaseHP=36",    "EditHP=38",
                                       "EditBaseHealingRate=2",   "EditHealingRate=4"};
    QTest::newRow("CH") << false << "EditExtraCH" << QStringList{"EditExtraCH=3",          "EditCH=8",
                                                                 "EditSkillSpeechBase=41", "EditSkillSpeech=42",
                                                                 "EditSkillBarterBase=36", "EditSkillBarter=37"};
    QTest::newRow("INT") << false << "EditExtraINT" << QStringList{"EditExtraINT=3",
                                                                   "EditINT=8",
                                                                   "EditSkillFirstAidBase=36",
                                                                   "EditSkillFirstAid=37",
                                                                   "EditSkillDoctorBase=21",
                                                                   "EditSkillDoctor=22",
                                                                   "EditSkillScienceBase=41",
                                                                   "EditSkillScience=42",
                                                                   "EditSkillRepairBase=28",
                                                                   "EditSkillRepair=29",
                                                                   "EditSkillOutdoorsmanBase=11",
                                                                   "EditSkillOutdoorsman=12"};
    QTest::newRow("AG") << false << "EditExtraAG"
                        << QStringList{"EditExtraAG=3",
                                       "EditAG=8",
                                       "EditSkillSmallGunsBase=43",
                                       "EditSkillSmallguns=44",
                                       "EditSkillBigGunsBase=18",
                                       "EditSkillBigGuns=19",
                                       "EditSkillEnergyGunsBase=18",
                                       "EditSkillEnergyGuns=19",
                                       "EditSkillUnarmedBase=71",
                                       "EditSkillUnarmed=72",
                                       "EditSkillMeleeBase=61",
                                       "EditSkillMelee=62",
                                       "EditSkillThrowingBase=48",
                                       "EditSkillThrowing=49",
                                       "EditSkillSneakBase=33",
                                       "EditSkillSneak=34",
                                       "EditSkillLockpickBase=26",
                                       "EditSkillLockpick=27",
                                       "EditSkillStealBase=28",
                                       "EditSkillSteal=29",
                                       "EditSkillTrapsBase=26",
                                       "EditSkillTraps=27",
                                       "EditBaseAC=8",
                                       "EditAC=10",
                                       "EditBaseAP=9",
                                       "EditAP=11"};
    QTest::newRow("LU") << false << "EditExtraLU" << QStringList{"EditExtraLU=3",
                                                                 "EditLU=8",
                                                                 "EditSkillGamblingBase=44",
                                                                 "EditSkillGambling=45",
                                                                 "EditBaseCriticalChance=8",
                                                                 "EditCriticalChance=10"};
    QTest::newRow("ST, second game") << true << "EditExtraST"
                                     << QStringList{"EditExtraST=3",           "EditST=8",
                                                    "EditSkillUnarmedBase=56", "EditSkillUnarmed=57",
                                                    "EditSkillMeleeBase=46",   "EditSkillMelee=47",
                                                    "EditBaseHP=33",           "EditHP=35",
                                                    "EditBaseCarryWeight=225", "EditCarryWeight=227",
                                                    "EditBaseMelee=3",         "EditMelee=5"};
    QTest::newRow("AG, second game") << true << "EditExtraAG"
                                     << QStringList{"EditExtraAG=3",
                                                    "EditAG=8",
                                                    "EditSkillSmallGunsBase=37",
                                                    "EditSkillSmallguns=38",
                                                    "EditSkillBigGunsBase=16",
                                                    "EditSkillBigGuns=17",
                                                    "EditSkillEnergyGunsBase=16",
                                                    "EditSkillEnergyGuns=17",
                                                    "EditSkillUnarmedBase=56",
                                                    "EditSkillUnarmed=57",
                                                    "EditSkillMeleeBase=46",
                                                    "EditSkillMelee=47",
                                                    "EditSkillThrowingBase=32",
                                                    "EditSkillThrowing=33",
                                                    "EditSkillSneakBase=29",
                                                    "EditSkillSneak=30",
                                                    "EditSkillLockpickBase=23",
                                                    "EditSkillLockpick=24",
                                                    "EditSkillStealBase=24",
                                                    "EditSkillSteal=25",
                                                    "EditSkillTrapsBase=23",
                                                    "EditSkillTraps=24",
                                                    "EditBaseAC=8",
                                                    "EditAC=10",
                                                    "EditBaseAP=9",
                                                    "EditAP=11"};
    QTest::newRow("INT, second game") << true << "EditExtraINT" << QStringList{"EditExtraINT=3",
                                                                               "EditINT=8",
                                                                               "EditSkillFirstAidBase=26",
                                                                               "EditSkillFirstAid=27",
                                                                               "EditSkillDoctorBase=18",
                                                                               "EditSkillDoctor=19",
                                                                               "EditSkillScienceBase=32",
                                                                               "EditSkillScience=33",
                                                                               "EditSkillRepairBase=24",
                                                                               "EditSkillRepair=25",
                                                                               "EditSkillOutdoorsmanBase=26",
                                                                               "EditSkillOutdoorsman=27"};
}

void TestRules::primaryCascadeWritesExactly()
{
    QFETCH(bool, secondGame);
    QFETCH(QString, extraField);
    QFETCH(QStringList, expected);
    Sheet sheet(secondGame);
    sheet.Write(extraField, "3");
    QCOMPARE(ToList(sheet.store.writes), expected);
}

void TestRules::clamps_data()
{
    QTest::addColumn<QStringList>("preset");
    QTest::addColumn<QString>("extraField");
    QTest::addColumn<QString>("extra");
    QTest::addColumn<QString>("baseField");
    QTest::addColumn<QStringList>("baseWrites");
    QTest::addColumn<QString>("total");
    // Primary bases are 5, so a total of t needs extra t - 5.
    QTest::newRow("ST 1 melee raised to 1") << QStringList{} << "EditExtraST"
                                            << "-4"
                                            << "EditBaseMelee" << QStringList{"-4", "1"} << "3";
    QTest::newRow("ST 5 melee 0 raised to 1") << QStringList{"EditST=4", "EditExtraST=-1"} << "EditExtraST"
                                              << "0"
                                              << "EditBaseMelee" << QStringList{"0", "1"} << "3";
    QTest::newRow("ST 6 melee 1") << QStringList{} << "EditExtraST"
                                  << "1"
                                  << "EditBaseMelee" << QStringList{} << "3";
    QTest::newRow("ST 7 melee 2") << QStringList{} << "EditExtraST"
                                  << "2"
                                  << "EditBaseMelee" << QStringList{"2"} << "4";
    QTest::newRow("ST 10 carry weight") << QStringList{} << "EditExtraST"
                                        << "5"
                                        << "EditBaseCarryWeight" << QStringList{"275"} << "277";
    QTest::newRow("ST -100 carry weight not clamped") << QStringList{} << "EditExtraST"
                                                      << "-105"
                                                      << "EditBaseCarryWeight" << QStringList{"-2475"} << "-2473";
    QTest::newRow("EN 2 healing 0") << QStringList{} << "EditExtraEN"
                                    << "-3"
                                    << "EditBaseHealingRate" << QStringList{"0"} << "2";
    QTest::newRow("EN 10 healing 3") << QStringList{} << "EditExtraEN"
                                     << "5"
                                     << "EditBaseHealingRate" << QStringList{"3"} << "5";
    QTest::newRow("EN -2 healing truncates to 0") << QStringList{} << "EditExtraEN"
                                                  << "-7"
                                                  << "EditBaseHealingRate" << QStringList{"0"} << "2";
    QTest::newRow("EN -3 healing raised to 0") << QStringList{} << "EditExtraEN"
                                               << "-8"
                                               << "EditBaseHealingRate" << QStringList{"-1", "0"} << "2";
    QTest::newRow("PE -1 sequence raised to 0") << QStringList{} << "EditExtraPE"
                                                << "-6"
                                                << "EditBaseSequence" << QStringList{"-2", "0"} << "2";
    QTest::newRow("AG 1 action points 5") << QStringList{} << "EditExtraAG"
                                          << "-4"
                                          << "EditBaseAP" << QStringList{"5"} << "7";
    QTest::newRow("AG 10 action points 10") << QStringList{} << "EditExtraAG"
                                            << "5"
                                            << "EditBaseAP" << QStringList{"10"} << "12";
    QTest::newRow("AG -3 action points 4") << QStringList{} << "EditExtraAG"
                                           << "-8"
                                           << "EditBaseAP" << QStringList{"4"} << "6";
    QTest::newRow("AG -11 action points 0") << QStringList{} << "EditExtraAG"
                                            << "-16"
                                            << "EditBaseAP" << QStringList{"0"} << "2";
    QTest::newRow("AG -12 action points raised to 0") << QStringList{} << "EditExtraAG"
                                                      << "-17"
                                                      << "EditBaseAP" << QStringList{"-1", "0"} << "2";
    QTest::newRow("AG 0 armor class 0") << QStringList{} << "EditExtraAG"
                                        << "-5"
                                        << "EditBaseAC" << QStringList{"0"} << "2";
    QTest::newRow("PE 0 sequence 0") << QStringList{} << "EditExtraPE"
                                     << "-5"
                                     << "EditBaseSequence" << QStringList{"0"} << "2";
    QTest::newRow("LU 0 critical chance 0") << QStringList{} << "EditExtraLU"
                                            << "-5"
                                            << "EditBaseCriticalChance" << QStringList{"0"} << "2";
    QTest::newRow("AG -3 armor class raised to 0") << QStringList{} << "EditExtraAG"
                                                   << "-8"
                                                   << "EditBaseAC" << QStringList{"-3", "0"} << "2";
    QTest::newRow("LU -2 critical chance raised to 0") << QStringList{} << "EditExtraLU"
                                                       << "-7"
                                                       << "EditBaseCriticalChance" << QStringList{"-2", "0"} << "2";
    // 15 + 0 - 18 = -3: raised to 0 only after a change of endurance.
    QTest::newRow("HP -3 after EN") << QStringList{"EditExtraST=-5", "EditST=0"} << "EditExtraEN"
                                    << "-14"
                                    << "EditBaseHP" << QStringList{"-3", "0"} << "2";
    QTest::newRow("HP -3 after ST") << QStringList{"EditExtraEN=-14", "EditEN=-9"} << "EditExtraST"
                                    << "-5"
                                    << "EditBaseHP" << QStringList{"-3"} << "-1";
}

void TestRules::clamps()
{
    QFETCH(QStringList, preset);
    QFETCH(QString, extraField);
    QFETCH(QString, extra);
    QFETCH(QString, baseField);
    QFETCH(QStringList, baseWrites);
    QFETCH(QString, total);
    Sheet sheet;
    sheet.Preset(preset);
    sheet.Write(extraField, extra);
    QCOMPARE(sheet.WritesTo(baseField), baseWrites);
    // The total follows every base write: computed first, then the bound.
    QStringList totals;
    for (const QString& base : baseWrites)
        totals << QString::number(base.toInt() + 2);
    const QString totalField = "Edit" + baseField.mid(8);
    QCOMPARE(sheet.WritesTo(totalField), totals);
    QCOMPARE(sheet.Text(totalField.toLatin1().constData()), total);
}

void TestRules::totalRules_data()
{
    QTest::addColumn<QStringList>("preset");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("totalField");
    QTest::addColumn<QString>("total");
    QTest::newRow("HP extra 7") << QStringList{} << "EditExtraHP"
                                << "7"
                                << "EditHP"
                                << "37";
    QTest::newRow("HP extra -7") << QStringList{} << "EditExtraHP"
                                 << "-7"
                                 << "EditHP"
                                 << "23";
    QTest::newRow("HP extra minus sign only") << QStringList{} << "EditExtraHP"
                                              << "-"
                                              << "EditHP"
                                              << "32";
    QTest::newRow("HP base in hex") << QStringList{} << "EditBaseHP"
                                    << "$10"
                                    << "EditHP"
                                    << "18";
    QTest::newRow("better criticals extra") << QStringList{} << "EditExtraBetterCriticals"
                                            << "20"
                                            << "EditBetterCriticals"
                                            << "20";
    QTest::newRow("small guns extra -10") << QStringList{"EditSkillSmallGunsBase=40"} << "EditSkillSmallGunsExtra"
                                          << "-10"
                                          << "EditSkillSmallguns"
                                          << "30";
    QTest::newRow("skill extra emptied") << QStringList{} << "EditSkillSmallGunsExtra"
                                         << ""
                                         << "EditSkillSmallguns"
                                         << "41";
    QTest::newRow("skill base") << QStringList{} << "EditSkillOutdoorsmanBase"
                                << "50"
                                << "EditSkillOutdoorsman"
                                << "51";
    QTest::newRow("primary extra") << QStringList{} << "EditExtraLU"
                                   << "-1"
                                   << "EditLU"
                                   << "4";
}

void TestRules::totalRules()
{
    QFETCH(QStringList, preset);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QString, totalField);
    QFETCH(QString, total);
    Sheet sheet;
    sheet.Preset(preset);
    sheet.Write(field, text);
    QCOMPARE(sheet.Text(totalField.toLatin1().constData()), total);
}

void TestRules::guardsStopEveryRule_data()
{
    QTest::addColumn<bool>("loading");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::newRow("loading, primary extra") << true << "EditExtraST"
                                            << "3";
    QTest::newRow("loading, primary total") << true << "EditAG"
                                            << "9";
    QTest::newRow("loading, derived base") << true << "EditBaseHP"
                                           << "9";
    QTest::newRow("loading, skill base") << true << "EditSkillDoctorBase"
                                         << "9";
    QTest::newRow("loading, gender extra") << true << "EditExtraGender"
                                           << "1";
    QTest::newRow("letters, primary extra") << false << "EditExtraST"
                                            << "3a";
    QTest::newRow("empty, primary extra") << false << "EditExtraST"
                                          << "";
    QTest::newRow("letters, primary total") << false << "EditAG"
                                            << "x";
    QTest::newRow("blank, derived extra") << false << "EditExtraSequence"
                                          << " ";
    QTest::newRow("fraction, skill extra") << false << "EditSkillTrapsExtra"
                                           << "1.5";
    QTest::newRow("too large, skill base") << false << "EditSkillTrapsBase"
                                           << "2147483648";
}

void TestRules::guardsStopEveryRule()
{
    QFETCH(bool, loading);
    QFETCH(QString, field);
    QFETCH(QString, text);
    Sheet sheet;
    sheet.store.Preset(kGenderFields.base, "0");
    sheet.loading = loading;
    sheet.Write(field, text);
    QCOMPARE(ToList(sheet.store.writes), QStringList{field + "=" + text});
}

void TestRules::sameTotalTextRecomputesNothing()
{
    Sheet sheet;
    sheet.Write("EditExtraST", "5");
    QCOMPARE(sheet.Text("EditST"), QString("10"));
    sheet.store.writes.clear();
    sheet.Write("EditExtraST", "5a");
    sheet.Write("EditExtraST", "5");
    // The total is written with the text it already holds: no recomputation.
    QCOMPARE(ToList(sheet.store.writes), (QStringList{"EditExtraST=5a", "EditExtraST=5"}));
}

void TestRules::badOperandStopsTheCascade()
{
    Sheet sheet;
    sheet.store.Preset("EditExtraHP", "x");
    try {
        sheet.Write("EditExtraST", "3");
        QFAIL("no exception");
    } catch (const ConvertError& e) {
        QCOMPARE(QString(e.what()), QString("'x' is not a valid integer value"));
    }
    // Everything before the failing read stays; carry weight and melee are not written.
    QCOMPARE(ToList(sheet.store.writes),
             (QStringList{"EditExtraST=3", "EditST=8", "EditSkillUnarmedBase=71", "EditSkillUnarmed=72",
                          "EditSkillMeleeBase=61", "EditSkillMelee=62", "EditBaseHP=33"}));
}

void TestRules::unrelatedBadTotalDoesNotStopTheCascade()
{
    Sheet sheet;
    sheet.store.Preset("EditLU", "");
    sheet.store.Preset("EditCH", "abc");
    sheet.Write("EditExtraST", "3");
    QCOMPARE(sheet.Text("EditMelee"), QString("5"));
}

void TestRules::sumsWrapAt32Bits()
{
    Sheet sheet;
    sheet.store.Preset("EditBaseHP", "2147483647");
    sheet.Write("EditExtraHP", "1");
    QCOMPARE(sheet.Text("EditHP"), QString("-2147483648"));

    // ST at the minimum: every formula wraps instead of overflowing.
    sheet.store.Preset("EditBaseST", "-2147483647");
    sheet.Write("EditExtraST", "-1");
    QCOMPARE(sheet.Text("EditST"), QString("-2147483648"));
    QCOMPARE(sheet.Text("EditBaseHP"), QString("-2147483623"));           // 15 + ST + 10
    QCOMPARE(sheet.Text("EditBaseCarryWeight"), QString("-2147483623"));  // 25 + 25 * ST
    QCOMPARE(sheet.Text("EditBaseMelee"), QString("2147483643"));         // ST - 5
    QCOMPARE(sheet.Text("EditSkillUnarmedBase"), QString("-1073741756")); // 65 + trunc((ST + 5) / 2)
}

void TestRules::twoOperandSkillIsOrderIndependent()
{
    Sheet first;
    first.Write("EditExtraST", "2");
    first.Write("EditExtraAG", "-3");
    Sheet second;
    second.Write("EditExtraAG", "-3");
    second.Write("EditExtraST", "2");
    QCOMPARE(first.Text("EditSkillUnarmedBase"), QString("69"));
    QCOMPARE(second.Text("EditSkillUnarmedBase"), QString("69"));
    QCOMPARE(first.Text("EditSkillLockpickBase"), second.Text("EditSkillLockpickBase"));
}

void TestRules::hiddenGenderTotal()
{
    Sheet sheet;
    // The base gender field stays empty: the total is left alone, nothing throws.
    sheet.Write("EditExtraGender", "1");
    QCOMPARE(ToList(sheet.store.writes), QStringList{"EditExtraGender=1"});
    sheet.store.Preset("EditBaseGender", "abc");
    sheet.Write("EditExtraGender", "0");
    QCOMPARE(sheet.Text("EditGender"), QString("0"));

    sheet.Write("EditBaseGender", "1");
    sheet.Write("EditExtraGender", "2");
    QCOMPARE(sheet.Text("EditGender"), QString("3"));
    // Either field's change writes the sum, wrapped at 32 bits.
    sheet.Write("EditBaseGender", "2147483647");
    QCOMPARE(sheet.Text("EditGender"), QString("-2147483647"));
    sheet.Write("EditExtraGender", "-1");
    QCOMPARE(sheet.Text("EditGender"), QString("2147483646"));
    sheet.Write("EditBaseGender", "-2147483648");
    QCOMPARE(sheet.Text("EditGender"), QString("2147483647"));
}

void TestRules::onlyRuleFieldsHaveRules_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("hasRule");
    QTest::newRow("primary extra") << "EditExtraCH" << true;
    QTest::newRow("primary total") << "EditLU" << true;
    QTest::newRow("primary base") << "EditBaseST" << false;
    QTest::newRow("derived base") << "EditBaseBetterCriticals" << true;
    QTest::newRow("derived extra") << "EditExtraAP" << true;
    QTest::newRow("derived total") << "EditHP" << false;
    QTest::newRow("skill base") << "EditSkillSmallGunsBase" << true;
    QTest::newRow("skill extra") << "EditSkillOutdoorsmanExtra" << true;
    QTest::newRow("skill total") << "EditSkillSmallguns" << false;
    QTest::newRow("gender base") << "EditBaseGender" << true;
    QTest::newRow("gender extra") << "EditExtraGender" << true;
    QTest::newRow("gender total") << "EditGender" << false;
    QTest::newRow("damage extra") << "EditExtraDTnormal" << false;
    QTest::newRow("identifier") << "EditCritterPID" << false;
}

void TestRules::onlyRuleFieldsHaveRules()
{
    QFETCH(QString, field);
    QFETCH(bool, hasRule);
    Sheet sheet;
    QCOMPARE(sheet.rules.HasRule(field.toStdString()), hasRule);
    if (!hasRule) {
        sheet.Write(field, "77");
        QCOMPARE(sheet.store.writes.size(), std::size_t{1});
    }
}

QTEST_GUILESS_MAIN(TestRules)
#include "test_rules.moc"
