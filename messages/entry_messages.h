#pragma once

#include <QString>

#include "core/records.h"
#include "core/value_parsers.h"

// The Japanese texts of what the checks of typed values find: the input sheet's warning, the
// import's row states and the search's warning. The checks answer with problems; the words are
// made here alone.
namespace messages {

// One problem in a line: "金額が入力されていません。", "手形番号は10バイトまでです。", …
QString problemText(const values::Problem &problem);

// The input sheet's warning: each problem on a line of its own, each after a line break.
QString entryReport(const values::Problems &problems);
// The question before a note of the same partner and number is stored, with the number as
// typed.
QString sameNoteQuestion(const NoteRecord &note, const QString &noteNumber);
// The status line after a registration: the number as typed and the amount in whole yen.
QString registeredStatus(const NoteRecord &note, const QString &noteNumber);

// An import's row: "取り込み可", or "警告: " or "エラー: " and its problems one after another.
QString importRowStatus(const values::Problems &problems);
// A warning of the row-th row (from 1), for the question asked before the import.
QString importWarningLine(int row, const values::Problem &problem);
// "N件中 エラー N件 警告 N件"
QString importSummary(int rows, int errors, int warnings);

// The search's warning about a condition's value that it cannot read.
QString conditionProblem(const values::Problem &problem);

} // namespace messages
