// Field access to prototype files: byte-exact round trips at every width,
// two's complement, untouched bytes and lengths, and the error paths.
#include "platform/Errors.h"
#include "proto/ProFile.h"
#include "proto/ProLayout.h"
#include "ProtoBuilder.h"
#include "RecordOffsets.h"

#include <QTemporaryDir>
#include <QtTest>

#include <map>

using namespace quarnel;
using quarnel::test::ProtoBuilder;
using quarnel::test::ReadAllBytes;
using quarnel::test::kRecordFields;

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
    void recordRefusesAFileThatChangedSize_data();
    void recordRefusesAFileThatChangedSize();
    void textIdRoundsHalfToEven_data();
    void textIdRoundsHalfToEven();
    void layoutMatchesTheRecordDescription();
    void recordSizes_data();
    void recordSizes();
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
    QVERIFY(ProRecord::Update(file, 416, 2, 408,
                              [](ProRecord& stored) { stored.SetField(48, 4, 9); }));
    auto after = ReadAllBytes(file);
    auto expected = builder.Set(48, 4, 9).Bytes();
    QCOMPARE(after, expected);
}

void TestProto::recordRefusesAFileThatChangedSize_data()
{
    QTest::addColumn<int>("loaded");
    QTest::addColumn<int>("now");
    QTest::newRow("416 grew to 420") << 416 << 420;
    QTest::newRow("416 grew to 417") << 416 << 417;
    QTest::newRow("416 shrank to 415") << 416 << 415;
    QTest::newRow("416 shrank to 412") << 416 << 412;
    QTest::newRow("412 grew to 416") << 412 << 416;
}

void TestProto::recordRefusesAFileThatChangedSize()
{
    QFETCH(int, loaded);
    QFETCH(int, now);
    const auto file = Path("changed.pro");
    ProtoBuilder(now, 0x21).WriteTo(file);
    const auto before = ReadAllBytes(file);
    bool edited = false;
    QVERIFY(!ProRecord::Update(file, std::size_t(loaded), 2, 408, [&](ProRecord&) { edited = true; }));
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
    QTest::newRow("12350 up to even") << 12350 << 124;
    QTest::newRow("12250 down to even") << 12250 << 122;
    QTest::newRow("12450 down to even") << 12450 << 124;
    QTest::newRow("49") << 49 << 0;
    QTest::newRow("50 to even zero") << 50 << 0;
    QTest::newRow("51") << 51 << 1;
    QTest::newRow("-50 to even zero") << -50 << 0;
    QTest::newRow("-51") << -51 << -1;
    QTest::newRow("-149") << -149 << -1;
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

void TestProto::layoutMatchesTheRecordDescription()
{
    // Every field at the offset and width the record description gives, read
    // and saved as it says; nothing else in the table.
    std::map<std::string, const ProFieldSpec*> byControl;
    for (const auto& field : ProFieldLayout())
        QVERIFY2(byControl.emplace(field.control, &field).second, field.control);
    QCOMPARE(byControl.size(), kRecordFields.size());
    for (const auto& expected : kRecordFields) {
        const auto found = byControl.find(expected.control);
        QVERIFY2(found != byControl.end(), expected.control);
        QCOMPARE(found->second->offset, expected.offset);
        QCOMPARE(found->second->width, expected.width);
        QCOMPARE(found->second->saved, expected.saved);
    }
    QCOMPARE(byControl["EditCritterPID"]->conversion, FieldConversion::PidNumber);
    QCOMPARE(byControl["EditIDNumber"]->conversion, FieldConversion::TextId);
    QCOMPARE(byControl["ComboBoxGender"]->conversion, FieldConversion::Gender);
    QCOMPARE(byControl["EditExpPoints"]->conversion, FieldConversion::None);
    // A save may change bytes 2 to 407 only.
    QCOMPARE(kSavedSpanBegin, 2);
    QCOMPARE(kSavedSpanEnd, 408);
}

void TestProto::recordSizes_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("critter");
    for (int size : {0, 411, 412, 413, 414, 415, 416, 417, 828})
        QTest::addRow("%d bytes", size) << size << (size == 412 || size == 416);
}

void TestProto::recordSizes()
{
    QFETCH(int, size);
    QFETCH(bool, critter);
    QCOMPARE(IsCritterRecordSize(size), critter);
}

void TestProto::realFilesDecodeLikeAnIndependentReader()
{
    const std::filesystem::path root = QUARNEL_SHARED_TESTDATA;
    if (!std::filesystem::exists(root))
        QSKIP("shared test data not present");
    int files = 0;
    for (const char* game : {"FO1", "FO2"}) {
        // Both accesses open for writing: they work on copies, never on the shared originals.
        const std::filesystem::path copies = Path("real") / game;
        quarnel::test::CopyFolderFiles(root / game, copies);
        for (const auto& entry : std::filesystem::directory_iterator(copies)) {
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
    }
    QVERIFY(files >= 40);
}

QTEST_GUILESS_MAIN(TestProto)
#include "test_proto.moc"
