// Field access to prototype files: byte-exact round trips at every width,
// two's complement, untouched bytes and lengths, and the error paths.
#include "platform/Errors.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "ProtoBuilder.h"

#include <QTemporaryDir>
#include <QtTest>

#include <set>

using namespace quarnel;
using quarnel::test::ProtoBuilder;
using quarnel::test::ReadAllBytes;

class TestProto : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::filesystem::path Path(const char* name) const { return std::filesystem::path(dir.path().toStdString()) / name; }

private slots:
    void readDecodesBigEndian_data();
    void readDecodesBigEndian();
    void writeStoresTwosComplementAndKeepsOtherBytes_data();
    void writeStoresTwosComplementAndKeepsOtherBytes();
    void invalidTextLeavesFileUntouched();
    void errorsCarryTheirMessages();
    void recordReadsOnceAndWritesItsSpan();
    void recordRefusesAFileThatChangedSize();
    void textIdRoundsHalfToEven_data();
    void textIdRoundsHalfToEven();
    void layoutCoversEveryFieldOnce();
    void realFilesDecodeLikeAnIndependentReader();
};

void TestProto::readDecodesBigEndian_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("expected");
    QTest::newRow("1 byte is unsigned") << 1 << QByteArray::fromHex("FF") << 255;
    QTest::newRow("2 bytes are unsigned") << 2 << QByteArray::fromHex("FFFE") << 65534;
    QTest::newRow("3 bytes are unsigned") << 3 << QByteArray::fromHex("FFFFFF") << 16777215;
    QTest::newRow("4 bytes minus one") << 4 << QByteArray::fromHex("FFFFFFFF") << -1;
    QTest::newRow("4 bytes minimum") << 4 << QByteArray::fromHex("80000000") << int(-2147483647 - 1);
    QTest::newRow("4 bytes text id") << 4 << QByteArray::fromHex("0000300C") << 12300;
}

void TestProto::readDecodesBigEndian()
{
    QFETCH(int, width);
    QFETCH(QByteArray, bytes);
    QFETCH(int, expected);
    ProtoBuilder builder(412);
    std::vector<std::uint8_t> raw = builder.Bytes();
    std::copy(bytes.begin(), bytes.end(), raw.begin() + 100);
    quarnel::test::WriteAllBytes(Path("r.pro"), raw);
    QCOMPARE(ReadProField(Path("r.pro"), 100, width), expected);
}

void TestProto::writeStoresTwosComplementAndKeepsOtherBytes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("width");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");
    QTest::newRow("minus one") << 416 << 48 << 4 << "-1" << QByteArray::fromHex("FFFFFFFF");
    QTest::newRow("minus 300") << 416 << 188 << 4 << "-300" << QByteArray::fromHex("FFFFFED4");
    QTest::newRow("pid number") << 412 << 2 << 2 << "5" << QByteArray::fromHex("0005");
    QTest::newRow("low bytes of a wide value") << 412 << 2 << 2 << "65541" << QByteArray::fromHex("0005");
    QTest::newRow("one byte") << 416 << 11 << 1 << "$1F" << QByteArray::fromHex("1F");
    QTest::newRow("three bytes") << 416 << 8 << 3 << "-2" << QByteArray::fromHex("FFFFFE");
    QTest::newRow("last field of a 412-byte file") << 412 << 408 << 4 << "2147483647" << QByteArray::fromHex("7FFFFFFF");
}

void TestProto::writeStoresTwosComplementAndKeepsOtherBytes()
{
    QFETCH(int, size);
    QFETCH(int, offset);
    QFETCH(int, width);
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);
    const auto file = Path("w.pro");
    ProtoBuilder builder(size);
    builder.WriteTo(file);
    WriteProField(file, offset, width, text.toStdString());
    auto after = ReadAllBytes(file);
    QCOMPARE(int(after.size()), size);
    for (int i = 0; i < size; ++i) {
        if (i >= offset && i < offset + width)
            QCOMPARE(after[i], std::uint8_t(stored[i - offset]));
        else
            QCOMPARE(after[i], builder.Bytes()[i]);
    }
    QCOMPARE(QString::number(ReadProField(file, offset, width)), width == 4 ? QString::number(qint32(stored.toHex().toUInt(nullptr, 16))) : QString::number(stored.toHex().toUInt(nullptr, 16)));
}

void TestProto::invalidTextLeavesFileUntouched()
{
    const auto file = Path("bad.pro");
    ProtoBuilder().WriteTo(file);
    auto before = ReadAllBytes(file);
    try {
        WriteProField(file, 48, 4, "12a");
        QFAIL("no error");
    } catch (const ConvertError& error) {
        QCOMPARE(QString(error.what()), QString("'12a' is not a valid integer value"));
    }
    QCOMPARE(ReadAllBytes(file), before);
    // The text is converted before the file is opened: a bad text on a missing file is a conversion error.
    QVERIFY_THROWS_EXCEPTION(ConvertError, WriteProField(Path("missing.pro"), 0, 4, "x"));
}

void TestProto::errorsCarryTheirMessages()
{
    try {
        ReadProField(Path("missing.pro"), 0, 4);
        QFAIL("no error");
    } catch (const IoError& error) {
        QCOMPARE(error.code(), 2);
        QCOMPARE(QString(error.what()), QString("File not found"));
    }
    ProtoBuilder(412).WriteTo(Path("short.pro"));
    try {
        ReadProField(Path("short.pro"), 410, 4);
        QFAIL("no error");
    } catch (const IoError& error) {
        QCOMPARE(QString(error.what()), QString("Read beyond end of file"));
    }
    QCOMPARE(IoErrorMessage(101), std::string("Disk full"));
    QCOMPARE(IoErrorMessage(145), std::string("I/O error 145"));
}

void TestProto::recordReadsOnceAndWritesItsSpan()
{
    const auto file = Path("rec.pro");
    ProtoBuilder builder(416);
    builder.Primary(0, 7, -2);
    builder.WriteTo(file);
    ProRecord record = ProRecord::Read(file);
    QCOMPARE(int(record.size()), 416);
    QCOMPARE(record.Field(48, 4), 7);
    QCOMPARE(record.Field(188, 4), -2);
    QVERIFY(ProRecord::Update(file, 416, kSavedSpanBegin, kSavedSpanEnd,
                              [](ProRecord& stored) { stored.SetField(48, 4, 9); }));
    auto after = ReadAllBytes(file);
    auto expected = builder.Set(48, 4, 9).Bytes();
    QCOMPARE(after, expected);
}

void TestProto::recordRefusesAFileThatChangedSize()
{
    const auto file = Path("grown.pro");
    ProtoBuilder(416).WriteTo(file);
    ProtoBuilder(420).WriteTo(file);
    auto before = ReadAllBytes(file);
    bool edited = false;
    QVERIFY(!ProRecord::Update(file, 416, kSavedSpanBegin, kSavedSpanEnd, [&](ProRecord&) { edited = true; }));
    QVERIFY(!edited);
    QCOMPARE(ReadAllBytes(file), before);
}

void TestProto::textIdRoundsHalfToEven_data()
{
    QTest::addColumn<int>("textId");
    QTest::addColumn<int>("shown");
    QTest::newRow("multiple") << 12300 << 123;
    QTest::newRow("below half") << 12349 << 123;
    QTest::newRow("12345") << 12345 << 123;
    QTest::newRow("above half") << 12351 << 124;
    QTest::newRow("150 to even") << 150 << 2;
    QTest::newRow("250 to even") << 250 << 2;
    QTest::newRow("350 up to even") << 350 << 4;
    QTest::newRow("negative half") << -150 << -2;
    QTest::newRow("negative -250") << -250 << -2;
    QTest::newRow("negative above half") << -151 << -2;
    QTest::newRow("minimum") << int(-2147483647 - 1) << -21474836;
    QTest::newRow("maximum") << 2147483647 << 21474836;
}

void TestProto::textIdRoundsHalfToEven()
{
    QFETCH(int, textId);
    QFETCH(int, shown);
    QCOMPARE(TextIdToIdNumber(textId), shown);
}

void TestProto::layoutCoversEveryFieldOnce()
{
    const auto& layout = ProFieldLayout();
    int saved = 0;
    std::set<int> offsets;
    std::set<std::string> controls;
    for (const auto& field : layout) {
        saved += field.saved ? 1 : 0;
        QVERIFY2(offsets.insert(field.offset).second, field.control);
        QVERIFY2(controls.insert(field.control).second, field.control);
        if (field.group == FieldGroup::Extra && std::string(field.control) != "EditExtraGender")
            QVERIFY(offsets.count(field.offset - kExtraBlockShift));
    }
    QCOMPARE(saved, 84);
    // Untouched regions: no field starts or reaches into them.
    for (const auto& field : layout)
        for (int b = field.offset; b < field.offset + field.width; ++b) {
            QVERIFY(b >= 2 && b != 8 && b != 9 && b != 10);
            QVERIFY(!(b >= 12 && b <= 47) && !(b >= 172 && b <= 183) && !(b >= 312 && b <= 323));
            QVERIFY(!(b >= 400 && b <= 403) && b < 408);
        }
    QCOMPARE(layout.front().control, "EditCritterPID");
    QCOMPARE(layout.back().control, "EditSkillOutdoorsmanExtra");
    QCOMPARE(layout.back().offset, 396);
}

void TestProto::realFilesDecodeLikeAnIndependentReader()
{
    const std::filesystem::path root = QUARNEL_SHARED_TESTDATA;
    if (!std::filesystem::exists(root))
        QSKIP("shared test data not present");
    int files = 0;
    for (const char* game : {"FO1", "FO2"})
        for (const auto& entry : std::filesystem::directory_iterator(root / game)) {
            auto ext = entry.path().extension().string();
            if (ext != ".pro" && ext != ".PRO")
                continue;
            ++files;
            auto bytes = ReadAllBytes(entry.path());
            ProRecord record = ProRecord::Read(entry.path());
            for (const auto& field : ProFieldLayout()) {
                std::uint32_t value = 0;
                for (int i = 0; i < field.width; ++i)
                    value = value * 256u + bytes[std::size_t(field.offset + i)];
                QCOMPARE(ReadProField(entry.path(), field.offset, field.width), std::int32_t(value));
                QCOMPARE(record.Field(field.offset, field.width), std::int32_t(value));
            }
        }
    QVERIFY(files >= 40);
}

QTEST_GUILESS_MAIN(TestProto)
#include "test_proto.moc"
