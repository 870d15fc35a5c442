#include <functional>

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "sheets/register_grid_model.h"
#include "sheets/registration.h"
#include "tests/sheets/sheet_fixtures.h"

using namespace Qt::StringLiterals;

namespace {

QStringList partnerCodes(const Session &state)
{
    QStringList codes;
    for (const PartnerRecord &p : state.PartnerTable)
        codes << sjis::decode(p.Code.view()) + u':' + sjis::decode(p.Name.view());
    return codes;
}

} // namespace

TEST(Registration, ModesLimitsAndEnteredTexts)
{
    EXPECT_EQ(registerKindOf(1), RegisterKind::PartnerRegister);
    EXPECT_EQ(registerKindOf(0), RegisterKind::BankRegister);
    EXPECT_EQ(registerKindOf(7), RegisterKind::BankRegister) << "any other mode means banks";

    // A bank name keeps the 62 bytes its record holds; cuts never split a character.
    const RegisterEntry bank =
        registerEntry(RegisterKind::BankRegister, u"B0123456789"_s, QString(40, u'銀'), "X")
            .value();
    EXPECT_EQ(bank.code, "B0123456");
    EXPECT_EQ(bank.name.size(), 62);
    EXPECT_EQ(sjis::decode(bank.name), QString(31, u'銀'));
    EXPECT_TRUE(bank.bankCode.isEmpty()) << "a bank has no bank of its own";

    const RegisterEntry partner =
        registerEntry(RegisterKind::PartnerRegister, u"取引先1"_s, u"株式会社ベルモラ商事"_s, "B01")
            .value();
    EXPECT_EQ(sjis::decode(partner.code), u"取引"_s) << "5 bytes hold two characters";
    EXPECT_EQ(partner.bankCode, "B01");

    // A character code page 932 cannot hold is refused, naming the field, never stored empty.
    QString problem;
    EXPECT_FALSE(
        registerEntry(RegisterKind::PartnerRegister, u"001"_s, u"Café"_s, "B01", &problem));
    EXPECT_EQ(problem, u"取引先名に、使えない文字があります。"_s);
    EXPECT_FALSE(registerEntry(RegisterKind::BankRegister, u"é"_s, u"銀行"_s, {}, &problem));
    EXPECT_EQ(problem, u"コードに、使えない文字があります。"_s);
}

TEST(Registration, ChangesKeepTheOrderAndMarkTheRegisterChanged)
{
    Session state { systemFileSystem() };
    for (const char16_t *code : { u"001", u"002", u"003", u"004", u"005" })
        EXPECT_EQ(state.Data.appendEntry(RegisterKind::PartnerRegister,
                      registerEntry(RegisterKind::PartnerRegister, QString::fromUtf16(code),
                          u"取引先"_s + QString::fromUtf16(code), "B01")
                          .value()),
            ChangeOutcome::Done);
    EXPECT_TRUE(state.Data.modified());
    ASSERT_EQ(state.PartnerTable.size(), 5u);
    EXPECT_EQ(state.PartnerTable[4].BankCode.view(), "B01");

    fixtures::reload(state);
    EXPECT_EQ(positionsOf(state.Data.tables(), RegisterKind::PartnerRegister, "003"),
        std::vector<int> { 2 });
    EXPECT_TRUE(positionsOf(state.Data.tables(), RegisterKind::PartnerRegister, "03").empty());
    EXPECT_TRUE(positionsOf(state.Data.tables(), RegisterKind::PartnerRegister, "003 ").empty());
    EXPECT_EQ(
        state.Data.overwriteEntry(RegisterKind::PartnerRegister, 2,
            registerEntry(RegisterKind::PartnerRegister, u"999"_s, u"新社名"_s, "B02").value()),
        ChangeOutcome::Done);
    EXPECT_TRUE(state.Data.modified());
    EXPECT_EQ(state.PartnerTable[2].Code.view(), "003") << "an overwrite keeps the code";
    EXPECT_EQ(state.PartnerTable[2].BankCode.view(), "B02");

    fixtures::reload(state);
    EXPECT_EQ(
        state.Data.removeEntries(RegisterKind::PartnerRegister, 3, 5), ChangeOutcome::NoSuchRow);
    EXPECT_EQ(
        state.Data.removeEntries(RegisterKind::PartnerRegister, 2, 1), ChangeOutcome::NoSuchRow);
    EXPECT_EQ(state.Data.removeEntries(RegisterKind::BankRegister, 0, 0), ChangeOutcome::NoSuchRow);
    EXPECT_FALSE(state.Data.modified()) << "nothing removed, nothing to save";
    EXPECT_EQ(state.Data.removeEntries(RegisterKind::PartnerRegister, 1, 2), ChangeOutcome::Done);
    EXPECT_TRUE(state.Data.modified());
    EXPECT_EQ(partnerCodes(state),
        (QStringList { u"001:取引先001"_s, u"004:取引先004"_s, u"005:取引先005"_s }));
}

TEST(Registration, BankListShowsTheCodeRightAlignedInEightBytes)
{
    EXPECT_EQ(bankDisplayText(fixtures::bank(u"B01"_s, u"みずほ銀行"_s)), u"     B01 みずほ銀行"_s);
    EXPECT_EQ(bankDisplayText(fixtures::bank(u"銀行1"_s, u"x"_s)), u"   銀行1 x"_s)
        << "a Japanese character takes two of the eight";
    EXPECT_EQ(bankDisplayText(fixtures::bank(u"12345678"_s, QString())), u"12345678 "_s);
    EXPECT_EQ(overwriteQuestion(u"001"_s), u"001は既に登録されています。\n上書きしますか？"_s);
}

TEST(Registration, GridShowsEitherRegisterWithOneEmptyRowWhenEmpty)
{
    Session state { systemFileSystem() };
    RegisterGridModel model(state.Data);
    QAbstractItemModelTester tester(
        &model, QAbstractItemModelTester::FailureReportingMode::Warning);
    model.setKind(RegisterKind::BankRegister);
    EXPECT_EQ(model.rowCount(), 1);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), u"銀行名"_s);
    EXPECT_EQ(model.cellText(0, 0), QString());

    fixtures::fillSmallRegister(state);
    model.setKind(RegisterKind::PartnerRegister);
    state.Data.overwriteEntry(
        RegisterKind::PartnerRegister, 1, { "002", sjis::encode(u"山田工業"_s), "B02" });
    model.refresh();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.cellText(1, 1), u"山田工業"_s);
    EXPECT_EQ(model.cellText(1, 2), u"B02"_s);
    const std::span<const GridColumn> columns = RegisterGridModel::columns(model.kind());
    ASSERT_EQ(columns.size(), 3u);
    EXPECT_EQ(columns[1].width, 270);
    EXPECT_EQ(QString::fromUtf16(columns[2].title), u"銀行コード"_s);
    EXPECT_EQ(RegisterGridModel::columns(RegisterKind::BankRegister)[1].width, 333);

    // A register shrunk behind the grid shows nothing past its end before the next refresh.
    state.Data.removeEntries(RegisterKind::PartnerRegister, 2, 2);
    EXPECT_EQ(model.cellText(2, 0), QString());
}

// The grid follows its register row by row, its empty row included, and passes over the other
// register; only a table replaced whole is read again. After each change the rows read as a
// rebuilt grid's.
TEST(Registration, GridFollowsItsRegisterRowByRow)
{
    Session state { systemFileSystem() };
    RegisterGridModel model(state.Data);
    QObject::connect(&state.Data, &Register::changed, &model, &RegisterGridModel::follow);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setKind(RegisterKind::BankRegister);
    const auto bank = [](const char *code, const char *name) {
        return RegisterEntry { code, name, {} };
    };
    struct Step
    {
        const char *what;
        std::function<void(Register &)> change;
        QStringList told; // what the model tells its views
    };
    const Step steps[] = {
        { "the first bank takes the empty row",
            [&](Register &r) { r.appendEntry(RegisterKind::BankRegister, bank("B1", "A")); },
            { u"dataChanged 0-0"_s } },
        { "two more banks",
            [&](Register &r) {
                r.importEntries(RegisterKind::BankRegister, { bank("B2", "B"), bank("B3", "C") });
            },
            { u"modelReset"_s } },
        { "a fourth bank",
            [&](Register &r) { r.appendEntry(RegisterKind::BankRegister, bank("B4", "D")); },
            { u"rowsInserted 3-3"_s } },
        { "a partner",
            [&](Register &r) { r.appendEntry(RegisterKind::PartnerRegister, bank("P1", "E")); },
            {} },
        { "a bank overwritten",
            [&](Register &r) { r.overwriteEntry(RegisterKind::BankRegister, 2, bank("B3", "F")); },
            { u"dataChanged 2-2"_s } },
        { "two banks removed",
            [](Register &r) { r.removeEntries(RegisterKind::BankRegister, 1, 2); },
            { u"rowsRemoved 1-2"_s } },
        { "the last two banks removed",
            [](Register &r) { r.removeEntries(RegisterKind::BankRegister, 0, 1); },
            { u"rowsRemoved 1-1"_s, u"dataChanged 0-0"_s } },
    };
    for (const Step &step : steps) {
        SCOPED_TRACE(step.what);
        QStringList seen;
        {
            QObject listening;
            fixtures::recordRowSignals(model, listening, seen);
            step.change(state.Data);
        }
        EXPECT_EQ(seen, step.told);
        RegisterGridModel rebuilt(state.Data);
        rebuilt.setKind(RegisterKind::BankRegister);
        EXPECT_EQ(fixtures::gridTexts(model), fixtures::gridTexts(rebuilt));
    }
}
