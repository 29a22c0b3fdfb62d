// One examination's processing over generated grades of 1,000, 10,000 and
// 100,000 students in 18 classes: the import of a roster file, the three runs
// and the three saves, each on a real SQLite file, and all of them together.
// Beside them, in the same run, the floors: the least work the disk and SQLite
// must do for the rank run (read the input columns, rewrite the 20 result
// columns of every row with constants) and for the grade save (one plain
// INSERT ... SELECT of the table). Then the batch tool's commands as separate
// processes (time and peak memory of each) and, when Debian's python3-pandas
// is installed, the same rank work as a pandas script. At the end the figures
// are held against the goals the school needs; a missed goal exits with 1.
//
//   gradebook-bench [Google Benchmark flags]
//   gradebook-bench --write-csv N FILE   writes the generated roster of N students
//
// The batch tool is looked for beside the bench's build folder
// (../program/gradebook-batch) or where GRADEBOOK_BATCH says.

#include "generated.h"

#include "cli/batchcommands.h"
#include "cli/batchimport.h"
#include "engine/db/database.h"
#include "engine/db/schema.h"
#include "engine/db/statement.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"
#include "engine/rules/subjects.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Bench::kClasses;
using Bench::kSubjects;
using Bench::generatedCsv;

struct Grade {
    QString db;
    QString csv;
};

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

Proc::RankSettings rankSettings()
{
    Proc::RankSettings st;
    st.table = "cjn";
    st.subjects = kSubjects;
    st.firstClass = 1;
    st.lastClass = kClasses;
    return st;
}

Proc::AnalysisSettings analysisSettings()
{
    Proc::AnalysisSettings st;
    st.table = "cjn";
    st.subjects = kSubjects;
    st.firstClass = 1;
    st.lastClass = kClasses;
    return st;
}

// Seven subjects reach 700: seventy bands of ten cover every total.
Proc::BandSettings bandSettings()
{
    Proc::BandSettings st;
    st.table = "cjn";
    st.upper = 699;
    st.count = 70;
    st.lastClass = kClasses;
    return st;
}

const Save::Exam kExam{QStringLiteral("基准测试"), 1};

void importFile(const QString& csv)
{
    Batch::importRoster("cjn", csv);
}

// The database of each size, made once with every result in place, and opened
// for the benchmark that asks for it.
const Grade& grade(int students)
{
    static std::map<int, Grade> made;
    auto it = made.find(students);
    if (it == made.end()) {
        Grade g;
        g.db = workDir().filePath(QStringLiteral("grade%1.db").arg(students));
        g.csv = workDir().filePath(QStringLiteral("grade%1.csv").arg(students));
        QFile f(g.csv);
        if (!f.open(QIODevice::WriteOnly))
            throw Db::Error(QStringLiteral("无法写入 %1").arg(g.csv));
        f.write(generatedCsv(students));
        f.close();
        Db::close();
        Db::createBlankDatabase(g.db);
        Db::open(g.db);
        importFile(g.csv);
        Proc::rank(rankSettings());
        Proc::analyze(analysisSettings());
        Proc::bands(bandSettings());
        it = made.emplace(students, g).first;
    }
    if (Db::fileName() != it->second.db)
        Db::open(it->second.db);
    return it->second;
}

void forget(const char* table)
{
    Db::exec(QStringLiteral("DELETE FROM %1").arg(Db::table(table)));
}

template <typename Work>
void measure(benchmark::State& state, Work work, const char* savedTable = nullptr)
{
    const int n = int(state.range(0));
    try {
        const Grade& g = grade(n);
        for (auto _ : state) {
            work(g);
            if (savedTable) {
                // Saves append; each round starts from the same table.
                state.PauseTiming();
                forget(savedTable);
                state.ResumeTiming();
            }
        }
    } catch (const Db::Error& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}

void Import(benchmark::State& s) { measure(s, [](const Grade& g) { importFile(g.csv); }); }
void Rank(benchmark::State& s) { measure(s, [](const Grade&) { Proc::rank(rankSettings()); }); }
void Analyze(benchmark::State& s) { measure(s, [](const Grade&) { Proc::analyze(analysisSettings()); }); }
void Bands(benchmark::State& s) { measure(s, [](const Grade&) { Proc::bands(bandSettings()); }); }
void SaveGrades(benchmark::State& s) { measure(s, [](const Grade&) { Save::grades("cjn", kExam); }, "cjsave"); }
void SaveAnalysis(benchmark::State& s) { measure(s, [](const Grade&) { Save::analysis("fx", kExam); }, "fxsave"); }
void SaveBands(benchmark::State& s) { measure(s, [](const Grade&) { Save::bands("tj", kExam); }, "tjsave1"); }

// Everything a school does for one examination, from a blank database on.
void Examination(benchmark::State& state)
{
    const int n = int(state.range(0));
    try {
        const Grade& g = grade(n);
        const QString db = workDir().filePath(QStringLiteral("exam%1.db").arg(n));
        for (auto _ : state) {
            Db::close();
            Db::createBlankDatabase(db);
            Db::open(db);
            importFile(g.csv);
            Proc::rank(rankSettings());
            Proc::analyze(analysisSettings());
            Proc::bands(bandSettings());
            Save::grades("cjn", kExam);
            Save::analysis("fx", kExam);
            Save::bands("tj", kExam);
            state.PauseTiming();
            Db::close();
            QFile::remove(db);
            state.ResumeTiming();
        }
        Db::open(g.db);
    } catch (const Db::Error& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetComplexityN(n);
}

// The rank run's floor: the 8 input columns read once, the 20 result columns
// of every row rewritten (with constants), one transaction.
void RankFloor(benchmark::State& s)
{
    measure(s, [](const Grade&) {
        QStringList in{"\"班号\""}, out;
        for (const QString& subject : kSubjects)
            in << Db::quote(subject + "1");
        out << "\"总分1\"=?" << "\"三总1\"=?";
        for (const QString& item : QStringList{"总分", "三总"} + kSubjects)
            out << Db::quote(item + "班排1") + "=?" << Db::quote(item + "级排1") + "=?";
        Db::Transaction tx;
        std::vector<qint64> rowid;
        double sum = 0;
        {
            Db::Statement read(QStringLiteral("SELECT rowid, %1 FROM \"cjn\" ORDER BY rowid").arg(in.join(',')));
            while (read.step()) {
                rowid.push_back(read.integer(0));
                for (int k = 1; k <= 8; ++k)
                    sum += read.real(k);
            }
        }
        benchmark::DoNotOptimize(sum);
        Db::Statement up(QStringLiteral("UPDATE \"cjn\" SET %1 WHERE rowid=?").arg(out.join(',')));
        // Values as wide as real results (totals with a half, ranks of up
        // to six digits), so that the rows keep their size.
        for (qint64 id : rowid) {
            up.bind(0, 300.5 + double(id % 400));
            up.bind(1, 150.5 + double(id % 150));
            for (int k = 2; k < 20; ++k)
                up.bind(k, qint64((id * 7 + k) % 99991 + 1));
            up.bind(20, id);
            up.run();
        }
        tx.commit();
    });
}

// What one commit costs on this disk: a transaction that changes one small
// row. With the rollback journal and synchronous FULL it waits for the disk
// several times; small examinations are mostly such waits.
void CommitFloor(benchmark::State& s)
{
    measure(s, [](const Grade&) {
        Db::Transaction tx;
        Db::exec("UPDATE \"count\" SET \"counttj\" = \"counttj\" + 1");
        tx.commit();
    });
}

// The grade save's floor: the same rows copied by one plain INSERT ... SELECT.
void SaveFloor(benchmark::State& s)
{
    measure(
        s,
        [](const Grade&) {
            QStringList target, source{"rowid", "''", "0", "''", "\"学号\"", "\"班号\"", "\"姓名\""};
            const QStringList cols = Db::columns("cjsave");
            for (int i = 0; i < 34; ++i)
                target << Db::quote(cols.at(i));
            for (const QString& item : Rules::savedItems())
                for (const QString& kind : {QString(), QStringLiteral("班排"), QStringLiteral("级排")})
                    source << Db::quote(item + kind + "1");
            Db::Transaction tx;
            Db::Statement copy(QStringLiteral("INSERT INTO \"cjsave\" (%1) SELECT %2 FROM \"cjn\"")
                                   .arg(target.join(','), source.join(',')));
            copy.run();
            tx.commit();
        },
        "cjsave");
}

// Five repetitions. The goals go by the fastest of them: on a shared machine
// the other programs' load only ever adds time, so the least time is the
// closest to the work itself (the median is shown beside it).
double fastest(const std::vector<double>& v)
{
    return v.empty() ? 0.0 : *std::min_element(v.begin(), v.end());
}
#define GRADEBOOK_BENCH(fn)                                                                                \
    BENCHMARK(fn)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Repetitions(5)      \
        ->ReportAggregatesOnly(true)->ComputeStatistics("min", fastest)

GRADEBOOK_BENCH(CommitFloor);
GRADEBOOK_BENCH(Import);
// The floor writes constants over the results; the rank run after it puts them back.
GRADEBOOK_BENCH(RankFloor);
GRADEBOOK_BENCH(Rank);
GRADEBOOK_BENCH(Analyze);
GRADEBOOK_BENCH(Bands);
GRADEBOOK_BENCH(SaveFloor);
GRADEBOOK_BENCH(SaveGrades);
GRADEBOOK_BENCH(SaveAnalysis);
GRADEBOOK_BENCH(SaveBands);
GRADEBOOK_BENCH(Examination);

// The console table as usual, and the milliseconds of every measurement kept
// for the goals (the fastest of the repetitions, or the one run).
class GoalReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.error_occurred) {
                failed.push_back(r.benchmark_name() + ": " + r.error_message);
                continue;
            }
            const bool chosen = r.run_type == Run::RT_Aggregate && r.aggregate_name == "min";
            if (!(chosen || r.run_type == Run::RT_Iteration) || r.error_occurred || r.report_big_o || r.report_rms)
                continue;
            const double ms = r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMillisecond ? 1.0
                                                         : r.time_unit == benchmark::kSecond    ? 1000.0
                                                         : r.time_unit == benchmark::kMicrosecond ? 1e-3
                                                                                                  : 1e-6);
            auto& slot = times[r.run_name.function_name];
            const long long n = std::stoll(r.run_name.args);
            if (chosen || !slot.count(n))
                slot[n] = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::map<long long, double>> times;
    std::vector<std::string> failed; // benchmarks that stopped with an error
};

// ---------------------------------------------------------------------------
// The batch tool as a teacher's script would call it: one process a command.

struct ProcessRun {
    double ms = -1;
    double peakMb = 0;
    bool ok = false;
};

// Runs a command and times it. With `memory`, GNU time (Debian package time)
// reports the command's peak resident memory: a child forked from this large
// process would otherwise count this process's pages as its own.
ProcessRun runProcess(const QStringList& command, bool memory = false)
{
    const QString gnuTime = QStringLiteral("/usr/bin/time");
    const QString report = workDir().filePath("peak.txt");
    QStringList args = command;
    QFile::remove(report);
    if (memory && QFileInfo(gnuTime).isExecutable())
        args = QStringList{gnuTime, "-f", "%M", "-o", report} + command;
    else
        memory = false;
    std::vector<QByteArray> bytes;
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    // Spawned rather than forked: copying this process's page tables would
    // be counted as the command's time.
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&files, 2, "/dev/null", O_WRONLY, 0);
    QElapsedTimer timer;
    timer.start();
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &files, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&files);
    ProcessRun run;
    int status = 0;
    rusage use{};
    if (pid < 0)
        return run;
    pid_t waited;
    while ((waited = wait4(pid, &status, 0, &use)) < 0 && errno == EINTR) {
    }
    if (waited != pid)
        return run;
    run.ms = double(timer.nsecsElapsed()) / 1e6;
    if (memory) {
        QFile f(report);
        bool ok = false;
        const double kb = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toDouble(&ok) : 0;
        run.peakMb = ok ? kb / 1024.0 : -1;
    }
    run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    return run;
}

QString batchTool()
{
    const QString env = qEnvironmentVariable("GRADEBOOK_BATCH");
    if (!env.isEmpty())
        return env;
    return QDir(QCoreApplication::applicationDirPath()).absoluteFilePath("../program/gradebook-batch");
}

// The commands of one examination, from a blank database to its three saves.
QList<QPair<QString, QStringList>> examinationCommands(const QString& batch, const QString& db, const QString& csv)
{
    const QString subjects = kSubjects.join(',');
    const QStringList on{"--db", db};
    return {
        {"init", QStringList{batch, "init"} + on},
        {"import", QStringList{batch, "import", "--table", "cjn", csv} + on},
        {"rank", QStringList{batch, "rank", "--classes", "1-18", "--subjects", subjects} + on},
        {"analyze", QStringList{batch, "analyze", "--classes", "1-18", "--subjects", subjects} + on},
        {"bands", QStringList{batch, "bands", "--upper", "699", "--count", "70"} + on},
        {"save grades", QStringList{batch, "save", "grades", "--exam", "基准测试", "--number", "1"} + on},
        {"save analysis", QStringList{batch, "save", "analysis", "--exam", "基准测试", "--number", "1"} + on},
        {"save bands", QStringList{batch, "save", "bands", "--exam", "基准测试", "--number", "1"} + on},
    };
}

double median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct ProcessFigures {
    bool found = false;
    bool failed = false;
    double examination1k = -1;                     // the eight processes at 1,000 students, median
    std::map<QString, ProcessRun> at100k;          // each command at 100,000 students
    QStringList order;
};

ProcessFigures measureProcesses()
{
    ProcessFigures f;
    const QString batch = batchTool();
    if (!QFileInfo(batch).isExecutable()) {
        std::printf("\n(the batch tool %s is not built: the process figures are left out)\n", qPrintable(batch));
        return f;
    }
    f.found = true;
    for (int n : {1000, 100000}) {
        const QString db = workDir().filePath(QStringLiteral("processes%1.db").arg(n));
        const QString csv = grade(n).csv;
        std::vector<double> totals;
        const int rounds = n == 1000 ? 7 : 1;
        for (int round = 0; round < rounds; ++round) {
            QFile::remove(db);
            double total = 0;
            for (const auto& [name, args] : examinationCommands(batch, db, csv)) {
                const ProcessRun r = runProcess(args, n == 100000);
                if (!r.ok) {
                    std::printf("  %s failed (%s)\n", qPrintable(name), qPrintable(args.join(' ')));
                    f.failed = true;
                }
                if (r.ok)
                    total += r.ms;
                if (n == 100000) {
                    f.at100k[name] = r;
                    f.order << name;
                }
            }
            totals.push_back(total);
        }
        if (n == 1000)
            f.examination1k = median(totals);
        QFile::remove(db);
    }
    return f;
}

// The pandas script on a copy of the 100,000-student grade, median of three;
// -1 when Debian's python3 or its pandas is not installed.
double pandasRank()
{
    const QString python = QStringLiteral("/usr/bin/python3");
    const QString script = QStringLiteral(GRADEBOOK_BENCH_DIR "/pandas_rank.py");
    if (!QFileInfo(python).isExecutable() || !QFileInfo::exists(script))
        return -1;
    if (!runProcess({python, "-c", "import pandas"}).ok)
        return -1;
    const QString copy = workDir().filePath("pandas.db");
    std::vector<double> ms;
    for (int round = 0; round < 3; ++round) {
        QFile::remove(copy);
        if (!QFile::copy(grade(100000).db, copy))
            return -1;
        std::vector<QByteArray> bytes{QFile::encodeName(python), QFile::encodeName(script), QFile::encodeName(copy)};
        int pipeFd[2];
        if (pipe(pipeFd) != 0)
            return -1;
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_adddup2(&files, pipeFd[1], 1);
        posix_spawn_file_actions_addclose(&files, pipeFd[0]);
        char* argv[] = {bytes[0].data(), bytes[1].data(), bytes[2].data(), nullptr};
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &files, nullptr, argv, environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&files);
        if (pid < 0) {
            close(pipeFd[0]);
            close(pipeFd[1]);
            return -1;
        }
        close(pipeFd[1]);
        QByteArray out;
        char buf[256];
        for (ssize_t k; (k = read(pipeFd[0], buf, sizeof buf)) > 0;)
            out.append(buf, k);
        close(pipeFd[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        bool ok = false;
        const double v = out.trimmed().toDouble(&ok);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !ok)
            return -1;
        ms.push_back(v);
    }
    QFile::remove(copy);
    return median(ms);
}

// The rank run as the pandas script meets its work: a fresh connection on a
// freshly copied file, timed from the run's start to its commit; median of three.
double coldRank()
{
    const QString copy = workDir().filePath("cold.db");
    std::vector<double> ms;
    for (int round = 0; round < 3; ++round) {
        Db::close();
        QFile::remove(copy);
        if (!QFile::copy(grade(100000).db, copy))
            return -1;
        Db::close();
        Db::open(copy);
        QElapsedTimer timer;
        timer.start();
        Proc::rank(rankSettings());
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
        Db::close();
    }
    QFile::remove(copy);
    return median(ms);
}

// The figures held against the goals as they are printed: a goal missed, or
// a figure a goal needs that is missing, makes the run fail.
struct Goals {
    explicit Goals(const GoalReporter& reporter) : rep(reporter) {}
    const GoalReporter& rep;
    bool allMet = true;

    // A benchmark's time at a size in milliseconds; -1 when it did not run.
    double at(const std::string& name, long long n) const
    {
        auto f = rep.times.find(name);
        if (f == rep.times.end())
            return -1;
        auto g = f->second.find(n);
        return g == f->second.end() ? -1 : g->second;
    }
    const char* verdict(bool ok)
    {
        allMet = allMet && ok;
        return ok ? "met" : "NOT MET";
    }
    // A figure a goal needs that is missing counts as a missed goal.
    void need(bool everything, const char* what, double value)
    {
        if (everything && value < 0) {
            std::printf("  %s: no figure, NOT MET\n", what);
            allMet = false;
        }
    }
};

void printMissing(Goals& g, const ProcessFigures& proc, bool everything)
{
    for (const std::string& f : g.rep.failed)
        std::printf("  %s: NOT MET\n", f.c_str());
    if (!g.rep.failed.empty())
        g.allMet = false;
    g.need(everything, "Rank at 100,000", g.at("Rank", 100000));
    g.need(everything, "RankFloor at 100,000", g.at("RankFloor", 100000));
    g.need(everything, "SaveGrades at 100,000", g.at("SaveGrades", 100000));
    g.need(everything, "Import at 100,000", g.at("Import", 100000));
    g.need(everything, "Examination at 1,000", g.at("Examination", 1000));
    g.need(everything, "eight batch-tool processes at 1,000", proc.examination1k);
}

// The rank run against its floor and against the pandas script.
void printRankGoals(Goals& g, double pandasMs, double coldRankMs)
{
    const double rank = g.at("Rank", 100000), floor = g.at("RankFloor", 100000);
    if (rank >= 0 && floor > 0)
        std::printf("  100,000 students, rank %.1f ms = %.2f x its floor %.1f ms (at most x1.6): %s\n", rank,
                    rank / floor, floor, g.verdict(rank / floor <= 1.6));
    if (coldRankMs > 0 && pandasMs > 0) {
        std::printf("  100,000 students, the pandas script %.1f ms against rank on a fresh connection and file %.1f ms: "
                    "%.1f x faster (at least x3): %s\n",
                    pandasMs, coldRankMs, pandasMs / coldRankMs, g.verdict(pandasMs / coldRankMs >= 3.0));
        if (rank > 0)
            std::printf("    (against rank on the warm connection %.1f ms: x%.1f)\n", rank, pandasMs / rank);
    } else if (rank > 0)
        std::printf("  (Debian's python3-pandas is not installed: the pandas comparison is left out)\n");
}

void printSaveAndImportGoals(Goals& g)
{
    const double save = g.at("SaveGrades", 100000), saveFloor = g.at("SaveFloor", 100000);
    if (save >= 0)
        std::printf("  100,000 students, save grades %.1f ms (under 500 ms): %s\n", save, g.verdict(save <= 500));
    if (save >= 0 && saveFloor > 0)
        std::printf("  100,000 students, save grades = %.2f x its INSERT ... SELECT floor %.1f ms\n", save / saveFloor,
                    saveFloor);
    if (const double t = g.at("Import", 100000); t >= 0)
        std::printf("  100,000 students, import %.1f ms (under 800 ms): %s\n", t, g.verdict(t <= 800));
}

// A small examination is mostly the disk's waits: its eight commits (and
// the template's copy) are shown against one commit on this disk.
void printSmallExamination(Goals& g, const ProcessFigures& proc)
{
    const double commit = g.at("CommitFloor", 1000);
    if (commit > 0)
        std::printf("  one commit on this disk (rollback journal, synchronous FULL): %.2f ms\n", commit);
    if (const double t = g.at("Examination", 1000); t >= 0)
        std::printf("  1,000 students, the whole examination in one process: %.1f ms = %.1f commits (under 50 ms): %s\n",
                    t, commit > 0 ? t / commit : -1.0, g.verdict(t <= 50));
    if (proc.examination1k >= 0)
        std::printf("  1,000 students, the whole examination as eight batch-tool processes: %.1f ms = %.1f commits "
                    "(under 100 ms): %s\n",
                    proc.examination1k, commit > 0 ? proc.examination1k / commit : -1.0,
                    g.verdict(proc.examination1k <= 100));
    if (proc.failed)
        std::printf("  a batch-tool command failed: %s\n", g.verdict(false));
}

// How each benchmark's time grows with ten times the students. The floors
// measure SQLite and the disk, the yardstick rather than the program: they
// are shown, not held to the program's goal.
void printScaling(Goals& g)
{
    for (const auto& [name, byN] : g.rep.times) {
        const bool yardstick = name.find("Floor") != std::string::npos;
        for (long long n : {1000LL, 10000LL}) {
            const double a = g.at(name, n), b = g.at(name, n * 10);
            if (a > 0 && b >= 0 && yardstick)
                std::printf("  %6lld -> %7lld students, %-12s x%5.1f time (a floor: no goal)\n", n, n * 10,
                            name.c_str(), b / a);
            else if (a > 0 && b >= 0)
                std::printf("  %6lld -> %7lld students, %-12s x%5.1f time (at most x11): %s\n", n, n * 10,
                            name.c_str(), b / a, g.verdict(b / a <= 11.0));
        }
    }
}

void printProcessMemory(Goals& g, const ProcessFigures& proc)
{
    if (!proc.at100k.empty()) {
        std::printf("  100,000 students, each command as its own process (peak memory under 150 MB):\n");
        for (const QString& name : proc.order) {
            const ProcessRun& r = proc.at100k.at(name);
            if (r.peakMb > 0)
                std::printf("    %-14s %8.1f ms %6.1f MB: %s\n", qPrintable(name), r.ms, r.peakMb, g.verdict(r.peakMb < 150));
            else
                std::printf("    %-14s %8.1f ms, no memory figure (is GNU time, Debian package time, installed?): %s\n",
                            qPrintable(name), r.ms, g.verdict(false));
        }
    }
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    std::printf("  peak memory of this benchmark process: %.0f MB\n", double(use.ru_maxrss) / 1024.0);
}

// everything: the whole benchmark ran, so every figure of a goal must be there.
bool printGoals(const GoalReporter& rep, const ProcessFigures& proc, double pandasMs, double coldRankMs,
                bool everything)
{
    Goals g(rep);
    std::printf("\nGoals (the fastest of five repetitions; processes and pandas: medians)\n");
    printMissing(g, proc, everything);
    printRankGoals(g, pandasMs, coldRankMs);
    printSaveAndImportGoals(g);
    printSmallExamination(g, proc);
    printScaling(g);
    printProcessMemory(g, proc);
    return g.allMet;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && QByteArray(argv[1]) == "--write-csv") {
        QFile f(QString::fromLocal8Bit(argv[3]));
        if (!f.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", argv[3]);
            return 1;
        }
        f.write(generatedCsv(QByteArray(argv[2]).toInt()));
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    GoalReporter reporter(isatty(fileno(stdout)) ? benchmark::ConsoleReporter::OO_ColorTabular
                                                 : benchmark::ConsoleReporter::OO_Tabular);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    // A filtered run measures what it was asked for, and nothing else.
    const bool everything = reporter.times.size() >= 10;
    const ProcessFigures proc = everything ? measureProcesses() : ProcessFigures{};
    const double pandasMs = everything ? pandasRank() : -1;
    const double coldRankMs = everything && pandasMs > 0 ? coldRank() : -1;
    const bool met = printGoals(reporter, proc, pandasMs, coldRankMs, everything);
    Db::close();
    return met ? 0 : 1;
}
