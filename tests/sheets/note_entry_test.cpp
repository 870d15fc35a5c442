#include <gtest/gtest.h>

#include "messages/entry_messages.h"
#include "sheets/note_entry.h"
#include "tests/sheets/sheet_fixtures.h"

using namespace Qt::StringLiterals;
using values::Field;
using Kind = values::Problem::Kind;

namespace {

NoteEntry validEntry()
{
    NoteEntry e;
    e.partnerCode = "001";
    e.bankCode = "B01";
    e.noteNumber = u"AB-1"_s;
    e.issueDate = QDate(2024, 1, 31);
    e.dueDate = QDate(2024, 2, 29);
    e.amount = Money::fromStored(12'345'000);
    e.kind = ReceivableNote;
    e.enteredBy = u"Admini"_s;
    return e;
}

} // namespace

TEST(NoteEntryCheck, ProblemsAloneAndTogetherInOrder)
{
    EXPECT_TRUE(entryProblems(validEntry(), 1).empty());

    NoteEntry zero = validEntry();
    zero.amount = Money();
    EXPECT_EQ(entryProblems(zero, 1), values::Problems { Kind::NoAmount });

    NoteEntry same = validEntry();
    same.dueDate = same.issueDate;
    EXPECT_TRUE(entryProblems(same, 1).empty()) << "equal dates pass";
    same.dueDate = same.issueDate.addDays(-1);
    EXPECT_EQ(entryProblems(same, 1), values::Problems { Kind::DueBeforeIssue });

    NoteEntry negative = validEntry();
    negative.amount = Money::fromStored(-50'000);
    EXPECT_TRUE(entryProblems(negative, 1).empty()) << "only zero is refused";

    NoteEntry all;
    all.issueDate = QDate(2024, 5, 2);
    all.dueDate = QDate(2024, 5, 1);
    EXPECT_EQ(entryProblems(all, 0),
        (values::Problems { Kind::NoAmount, Kind::DueBeforeIssue, Kind::NoPartner, Kind::NoBank,
            Kind::NoNoteNumber, Kind::NoRight }));
}

// The input sheet's words for each problem, as the warning shows them.
TEST(NoteEntryCheck, TheWarningReadsAsTheUserIsTold)
{
    const struct
    {
        values::Problems problems;
        QString shown;
    } cases[] = {
        { { Kind::NoAmount, Kind::DueBeforeIssue, Kind::NoPartner, Kind::NoBank, Kind::NoNoteNumber,
              Kind::NoRight },
            u"\n金額が入力されていません。\n振出日が支払日以降に設定されています。\n取引先が未登録"
            u"です"
            u"。\n銀行が未登録です。\n手形番号が入力されていません\n入力権限がありません！"_s },
        { { { Kind::Unencodable, Field::NoteNumber }, { Kind::Unencodable, Field::Remarks },
              { Kind::Unencodable, Field::EnteredBy } },
            u"\n手形番号に、使えない文字があります。\n備考に、使えない文字があります。"
            u"\n入力者名に、使えない文字があります。"_s },
        { { { Kind::NotADate, Field::IssueDate }, { Kind::NotADate, Field::DueDate } },
            u"\n振出日が正しい日付ではありません。\n支払日が正しい日付ではありません。"_s },
    };
    for (const auto &c : cases)
        EXPECT_EQ(messages::entryReport(c.problems), c.shown);
}

TEST(NoteEntryRecord, ValuesAreCutAndRounded)
{
    NoteEntry e = validEntry();
    e.remarks = QString(41, u'x');
    e.noteNumber = u"手形番号１２３"_s; // 14 bytes: cut on a character boundary
    e.enteredBy = u"Admini"_s;
    const NoteRecord n = makeNoteRecord(e).value();
    EXPECT_EQ(n.Remarks.view(), std::string(40, 'x'));
    EXPECT_EQ(sjis::decode(n.NoteNumber.view()), u"手形番号１"_s);
    EXPECT_EQ(n.PartnerCode.view(), "001");
    EXPECT_EQ(n.BankCode.view(), "B01");
    EXPECT_EQ(n.IssueDate, daydate::fromDate(QDate(2024, 1, 31)));
    EXPECT_EQ(n.DueDate, daydate::fromDate(QDate(2024, 2, 29)));
    EXPECT_EQ(n.Amount.stored(), 12345000);
    EXPECT_EQ(n.Kind, ReceivableNote);
    EXPECT_EQ(n.Settled, 0);
    EXPECT_EQ(n.EnteredBy.view(), "Admini");
}

// What an import could bring and the entry fields never let through: a text code page 932
// cannot hold, a date that does not exist. Each is named and no record is made; an edit keeps a
// stored text left as shown, whatever it decodes to.
TEST(NoteEntryRecord, TextsAndDatesThatCannotBeStoredAreRefused)
{
    const struct
    {
        void (*spoil)(NoteEntry &);
        values::Problem problem;
    } cases[] = {
        { [](NoteEntry &e) { e.noteNumber = u"№é1"_s; }, { Kind::Unencodable, Field::NoteNumber } },
        { [](NoteEntry &e) { e.remarks = u"Café"_s; }, { Kind::Unencodable, Field::Remarks } },
        { [](NoteEntry &e) { e.enteredBy = u"José"_s; }, { Kind::Unencodable, Field::EnteredBy } },
        { [](NoteEntry &e) { e.issueDate = QDate(2026, 2, 30); },
            { Kind::NotADate, Field::IssueDate } },
        { [](NoteEntry &e) { e.dueDate = QDate(); }, { Kind::NotADate, Field::DueDate } },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.problem.field));
        NoteEntry e = validEntry();
        c.spoil(e);
        EXPECT_EQ(entryProblems(e, 1), values::Problems { c.problem });
        EXPECT_FALSE(makeNoteRecord(e));
    }

    NoteRecord stored = makeNoteRecord(validEntry()).value();
    stored.Remarks.assign("\xff\xff"); // bytes that do not decode
    const LoadedNote loaded = loadNote(stored);
    const NoteEntry shown = entryOf(loaded);
    EXPECT_TRUE(entryProblems(shown, 1, &loaded).empty());
    const std::optional<NoteRecord> edited = makeEditedRecord(shown, loaded);
    ASSERT_TRUE(edited);
    EXPECT_EQ(edited->Remarks.view(), "\xff\xff");
}

TEST(NoteEntryProposals, BankAndDueDate)
{
    Tables t = fixtures::smallRegister();
    t.partners[0].BankCode.assign("B02");
    t.partners[1].BankCode.assign("B9");
    EXPECT_EQ(proposedBankPosition(t.partners, t.banks, 0), 1);
    EXPECT_EQ(proposedBankPosition(t.partners, t.banks, 1), 0) << "unregistered bank: the first";
    EXPECT_EQ(proposedBankPosition(t.partners, t.banks, -1), 0);
    EXPECT_EQ(proposedBankPosition({}, t.banks, 0), 0);

    EXPECT_EQ(proposedDueDate(QDate(2024, 1, 31)), QDate(2024, 2, 29));
    EXPECT_EQ(proposedDueDate(QDate(2023, 12, 15)), QDate(2024, 1, 15));
}

TEST(NoteEntryProposals, AnEditFollowsItsNoteThroughDeletions)
{
    int edit = 5;
    EXPECT_EQ(followRemoval(edit, 7), EditFollow::Unchanged);
    EXPECT_EQ(edit, 5);
    EXPECT_EQ(followRemoval(edit, 2), EditFollow::Moved);
    EXPECT_EQ(edit, 4);
    EXPECT_EQ(followRemoval(edit, 4), EditFollow::Lost);
}

// The same note is the same partner code and note number, byte for byte; the note being edited
// is not another note.
TEST(NoteEntryRepeat, AnotherNoteOfTheSamePartnerAndNumber)
{
    using fixtures::note;
    const Notes notes = { note({ u"001"_s, u"B01"_s, PayableNote, 0, 10'000, u"A0008"_s }),
        note({ u"002"_s, u"B01"_s, PayableNote, 0, 10'000, u"A0008"_s }) };
    struct Case
    {
        const char *why;
        QString partner;
        QString number;
        int edited;
        bool same;
    };
    const Case cases[] = {
        { "same partner and number", u"001"_s, u"A0008"_s, -1, true },
        { "another partner", u"003"_s, u"A0008"_s, -1, false },
        { "a code with a trailing blank", u"001 "_s, u"A0008"_s, -1, false },
        { "the edited note itself", u"001"_s, u"A0008"_s, 0, false },
        { "another note while editing", u"002"_s, u"A0008"_s, 0, true },
    };
    for (const Case &c : cases) {
        const NoteRecord entered = note({ c.partner, u"B02"_s, ReceivableNote, 1, 5, c.number });
        EXPECT_EQ(holdsSameNote(notes, entered, c.edited), c.same) << c.why;
    }
}
