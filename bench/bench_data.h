#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include <QString>

#include <benchmark/benchmark.h>

#include "session/session.h"
#include "store/file_system.h"

// A register of the size the program must stay fast with: notes referring to partners and banks
// by code, with Japanese names, deterministic so every run measures the same data.
Tables makeRegister(
    std::size_t notes = 1'000'000, std::size_t partners = 10'000, std::size_t banks = 1'000);
// The same register installed in state, as a load would install it.
void fillRegister(Session &state, std::size_t notes = 1'000'000, std::size_t partners = 10'000,
    std::size_t banks = 1'000);

// A register of fillRegister's default size, built once on first use. Call it in main before the
// benchmarks run so that none of them is timed building it.
const Session &registerOfAMillion();

// 0, 1, … count - 1: every row of a table, as a selection to sort or list.
std::vector<int> everyIndex(std::size_t count);

// Seconds spent in one plain pass that reads every note's number, the least a list of note
// numbers can cost; value lists report their time as a ratio to it.
double plainPassOverNoteNumbers(const Notes &notes);

// Runs write(path, fs), which writes the file at path, as the timed part of each round (the
// benchmark uses manual time) on written, then writes the same bytes plainly beside it with one
// data sync in the same round, first or second in turn; then once more on a file layer that takes
// every write and sync without doing it, timed by the CPU time of this thread. Reports the medians
// over the rounds of vs_plain_write (the writer's time over the plain write's), cpu_ms (making the
// lines), cpu_vs_plain_write (that over the plain write's time) and plain_ms.
void timeAgainstPlainWrite(benchmark::State &st, const QString &written,
    const std::function<bool(const QString &, FileSystem &)> &write);

// A file of that name in a folder of the run's own, removed when the run ends.
QString benchFile(const QString &name);

// Registers BM_PlainWriteSameBytes and BM_PlainWriteSameBytesSynced: the file written() names,
// made by the benchmark writer (which must run first), written again in one piece beside it. That
// is what the disk costs at the least; the writers sync their file before it replaces the old
// one, so the synced write is their true measure. Call it in main after the other benchmarks are
// registered, so that these run last.
void registerPlainWrites(QString (*written)(), const char *writer);

// The main of a benchmark without windows: prepare builds the data (and registers any late
// benchmarks) before the registered benchmarks run, so that none of them is timed building it.
int runBenchmarks(int argc, char **argv, const std::function<void()> &prepare);

// Resident set peak of this process in bytes (VmHWM).
std::size_t peakResidentBytes();
