// One examination's processing over generated grades of 1,000, 10,000 and
// 100,000 students in 18 classes: the import of a roster file, the three runs
// and the three saves, each on a real SQLite file, and all of them together.
// At the end the figures are held against the goals the school needs.
//
//   gradebook-bench [Google Benchmark flags]
//   gradebook-bench --write-csv N FILE   writes the generated roster of N students

#include "cli/batchcommands.h"
#include "cli/batchcsv.h"
#include "engine/db/database.h"
#include "engine/db/schema.h"
#include "engine/processing/runs.h"
#include "engine/processing/saves.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <memory>
#include <random>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr int kClasses = 18;
const QStringList kSubjects{"语文", "数学", "英语", "政治", "物理", "化学", "综合"};

// Marks a teacher would type: halves for most subjects, tenths for two, so
// that many students share a mark or a rounded mark.
QByteArray generatedCsv(int students)
{
    std::mt19937 rng(20240901u + quint32(students));
    std::normal_distribution<double> mark(72.0, 16.0);
    std::uniform_int_distribution<int> pick(0, 29);
    static const QString family = QStringLiteral("王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹");
    static const QString given = QStringLiteral("伟芳娜敏静丽强磊军洋勇艳杰娟涛明超秀霞平刚桂英华玉兰萍红梅鹏飞");
    QString out = QStringLiteral("学号,班号,姓名,") + kSubjects.join(',') + '\n';
    out.reserve(students * 64);
    for (int c = 1; c <= kClasses; ++c) {
        const int inClass = students / kClasses + (c <= students % kClasses ? 1 : 0);
        for (int k = 1; k <= inClass; ++k) {
            out += QStringLiteral("%1%2,%3,").arg(c, 2, 10, QChar('0')).arg(k, 4, 10, QChar('0')).arg(c);
            out += family[pick(rng)];
            out += given[pick(rng)];
            if (k % 3)
                out += given[pick(rng)];
            for (int s = 0; s < kSubjects.size(); ++s) {
                const double step = (s == 4 || s == 5) ? 10.0 : 2.0;
                const double m = std::clamp(std::round(mark(rng) * step) / step, 0.0, 100.0);
                out += ',' + QString::number(m);
            }
            out += '\n';
        }
    }
    return out.toUtf8();
}

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
    QFile f(csv);
    if (!f.open(QIODevice::ReadOnly))
        throw Db::Error(QStringLiteral("无法读取 %1").arg(csv));
    Batch::importStudents("cjn", Batch::parseRoster(f.readAll()));
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

// Everything a school does for one examination, from the roster file on.
void Examination(benchmark::State& state)
{
    measure(state, [&](const Grade& g) {
        importFile(g.csv);
        Proc::rank(rankSettings());
        Proc::analyze(analysisSettings());
        Proc::bands(bandSettings());
        Save::grades("cjn", kExam);
        Save::analysis("fx", kExam);
        Save::bands("tj", kExam);
        state.PauseTiming();
        forget("cjsave");
        forget("fxsave");
        forget("tjsave1");
        state.ResumeTiming();
    });
}

#define GRADEBOOK_BENCH(fn) \
    BENCHMARK(fn)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN)

GRADEBOOK_BENCH(Import);
GRADEBOOK_BENCH(Rank);
GRADEBOOK_BENCH(Analyze);
GRADEBOOK_BENCH(Bands);
GRADEBOOK_BENCH(SaveGrades);
GRADEBOOK_BENCH(SaveAnalysis);
GRADEBOOK_BENCH(SaveBands);
GRADEBOOK_BENCH(Examination);

// The console table as usual, and the milliseconds of every plain run kept
// for the goals.
class GoalReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred || r.report_big_o || r.report_rms)
                continue;
            const double ms = r.GetAdjustedRealTime() * (r.time_unit == benchmark::kMillisecond ? 1.0
                                                         : r.time_unit == benchmark::kSecond    ? 1000.0
                                                         : r.time_unit == benchmark::kMicrosecond ? 1e-3
                                                                                                  : 1e-6);
            times[r.run_name.function_name][std::stoll(r.run_name.args)] = ms;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, std::map<long long, double>> times;
};

bool printGoals(const GoalReporter& rep)
{
    bool allMet = true;
    auto at = [&](const std::string& name, long long n) -> double {
        auto f = rep.times.find(name);
        if (f == rep.times.end())
            return -1;
        auto g = f->second.find(n);
        return g == f->second.end() ? -1 : g->second;
    };
    auto verdict = [&](bool ok) {
        allMet = allMet && ok;
        return ok ? "met" : "NOT MET";
    };
    std::printf("\nGoals\n");
    if (const double t = at("Examination", 1000); t >= 0)
        std::printf("  1,000 students, import + runs + saves together: %.1f ms (under 100 ms): %s\n", t,
                    verdict(t < 100));
    for (const char* run : {"Rank", "Analyze", "Bands"})
        if (const double t = at(run, 100000); t >= 0)
            std::printf("  100,000 students, %-8s %8.1f ms (under 2 s): %s\n", run, t, verdict(t < 2000));
    for (const auto& [name, byN] : rep.times) {
        const double t10 = at(name, 10000), t100 = at(name, 100000);
        if (t10 > 0 && t100 >= 0)
            std::printf("  10,000 -> 100,000 students, %-12s x%5.1f time (at most x12): %s\n", name.c_str(),
                        t100 / t10, verdict(t100 / t10 <= 12.0));
    }
    rusage use{};
    getrusage(RUSAGE_SELF, &use);
    std::printf("  peak memory of this process: %.0f MB\n", double(use.ru_maxrss) / 1024.0);
    return allMet;
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
    const bool met = printGoals(reporter);
    Db::close();
    return met ? 0 : 1;
}
