#pragma once

#include <QtGlobal>

// Long work (pages of a report, rows of a file, generations read) says how far it has got and
// learns whether to go on. The logic that does the work takes this interface and stays free of
// widgets; the program shows it with ProgressDialog (controls/progress_dialog.h).
class Progress
{
public:
    virtual ~Progress() = default;
    // done of total finished; total 0 when it is not known. false once the user has cancelled:
    // the work then stops and leaves nothing of itself behind.
    virtual bool step(qint64 done, qint64 total) = 0;
};

// The step of work that may have no one watching it.
inline bool stepOn(Progress *progress, qint64 done, qint64 total)
{
    return !progress || progress->step(done, total);
}
