#include <cstring>

#include <gtest/gtest.h>

#include <QtEndian>

#include "store/data_files.h"
#include "tests/support/table_files.h"
#include "tests/support/temp_dir.h"

using namespace Qt::StringLiterals;

namespace {

void putDouble(QByteArray &bytes, int at, double value)
{
    quint64 bits;
    std::memcpy(&bits, &value, 8);
    qToLittleEndian(bits, bytes.data() + at);
}

void putText(QByteArray &bytes, int at, const QByteArray &text)
{
    bytes[at] = static_cast<char>(text.size());
    std::memcpy(bytes.data() + at + 1, text.constData(), static_cast<size_t>(text.size()));
}

// A note image built byte by byte, independent of the struct layout.
QByteArray handBuiltNote()
{
    QByteArray b(125, '\0');
    putDouble(b, 0, 36896.0); // 2001/01/05
    putDouble(b, 8, 36986.0);
    putText(b, 16, "AB12345678");
    putText(b, 27, "00123");
    putText(b, 33, "BK000001");
    b[42] = 1;
    b[43] = 3;
    qToLittleEndian<qint64>(-1234567890123LL, b.data() + 44);
    putText(b, 52, "\x94\xf5\x8d\x6c"); // 備考
    putText(b, 93, QByteArray(31, 'E'));
    return b;
}

QByteArray handBuiltBank()
{
    QByteArray b(72, '\0');
    putText(b, 0, "12345678");
    putText(b, 9, QByteArray(62, 'N'));
    return b;
}

QByteArray handBuiltPartner()
{
    QByteArray b(56, '\0');
    putText(b, 0, "001");
    putText(b, 6, QByteArray(40, 'P'));
    putText(b, 47, "BK1");
    return b;
}

} // namespace

TEST(RecordLayout, DiskImagesLoadIntoEveryField)
{
    TestDir dir;
    dir.write(u"KOLVAM.vmd"_s, handBuiltNote());
    dir.write(u"BANK.vmd"_s, handBuiltBank());
    dir.write(u"TCODE.vmd"_s, handBuiltPartner());
    const Loaded loaded(dir.path());
    ASSERT_TRUE(loaded.report.ok());
    const Tables &state = loaded.tables;

    ASSERT_EQ(state.notes.size(), 1u);
    const NoteRecord &n = state.notes[0];
    EXPECT_EQ(n.IssueDate, 36896.0);
    EXPECT_EQ(n.DueDate, 36986.0);
    EXPECT_EQ(n.NoteNumber.view(), "AB12345678");
    EXPECT_EQ(n.PartnerCode.view(), "00123");
    EXPECT_EQ(n.BankCode.view(), "BK000001");
    EXPECT_EQ(n.Settled, 1);
    EXPECT_EQ(n.Kind, 3);
    EXPECT_EQ(n.Amount.stored(), -1234567890123LL);
    EXPECT_EQ(n.Remarks.view(), "\x94\xf5\x8d\x6c");
    EXPECT_EQ(n.EnteredBy.view(), std::string(31, 'E'));
    // Bytes 125..133 are never on disk and read back as zero.
    const auto *raw = reinterpret_cast<const unsigned char *>(&n);
    for (int i = 125; i < 134; ++i)
        EXPECT_EQ(raw[i], 0) << "byte " << i;

    ASSERT_EQ(state.banks.size(), 1u);
    EXPECT_EQ(state.banks[0].Code.view(), "12345678");
    EXPECT_EQ(state.banks[0].Name.view(), std::string(62, 'N'));
    EXPECT_EQ(state.banks[0].Name.room[62], 0);
    EXPECT_EQ(state.banks[0].Name.room[63], 0);

    ASSERT_EQ(state.partners.size(), 1u);
    EXPECT_EQ(state.partners[0].Code.view(), "001");
    EXPECT_EQ(state.partners[0].Name.view(), std::string(40, 'P'));
    EXPECT_EQ(state.partners[0].BankCode.view(), "BK1");
}

TEST(RecordLayout, SavedFilesAreTheHandBuiltBytes)
{
    TestDir dir;
    dir.write(u"KOLVAM.vmd"_s, handBuiltNote() + handBuiltNote());
    dir.write(u"BANK.vmd"_s, handBuiltBank());
    dir.write(u"TCODE.vmd"_s, handBuiltPartner());
    const Loaded loaded(dir.path());
    ASSERT_TRUE(loaded.report.ok());
    TestDir out;
    ASSERT_TRUE(saveTables(loaded.tables, out.path()).ok());
    EXPECT_EQ(out.read(u"KOLVAM.vmd"_s), handBuiltNote() + handBuiltNote());
    EXPECT_EQ(out.read(u"BANK.vmd"_s), handBuiltBank());
    EXPECT_EQ(out.read(u"TCODE.vmd"_s), handBuiltPartner());
}

TEST(RecordLayout, OverlongStoredLengthsAreReadAsTheBytesOnDisk)
{
    // A bank name stored with length 64 has only 62 bytes on disk: it reads as those 62, never
    // with the zero bytes behind them; a character cut in two by the disk form is dropped.
    QByteArray bank = handBuiltBank();
    bank[9] = 64;
    QByteArray split = handBuiltBank();
    split[9] = 64;
    split[9 + 1 + 61] = static_cast<char>(0x88); // a lead byte whose trail was never written
    QByteArray note = handBuiltNote();
    note[93] = static_cast<char>(255); // beyond even the in-memory room
    TestDir dir;
    dir.write(u"BANK.vmd"_s, bank + split);
    dir.write(u"KOLVAM.vmd"_s, note);
    const Tables state = Loaded(dir.path()).tables;
    EXPECT_EQ(state.banks[0].Name.view(), std::string(62, 'N'));
    EXPECT_EQ(state.banks[1].Name.view(), std::string(61, 'N'));
    EXPECT_EQ(state.notes[0].EnteredBy.view(), std::string(31, 'E'));
}
