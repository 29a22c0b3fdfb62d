// The long writes of a large grade: the grade table of 10,000 and 100,000
// students in 18 classes (7 subjects, ranked) handed on as the windows hand
// it on — the PDF the print makes, page by page, the workbook and the dBASE
// file — each on a real file in a temporary folder. What a teacher waits for
// is measured with the time: the longest stretch between two progress
// reports (while it lasts the progress window cannot move and 取消 cannot
// answer), how soon a cancelled write stops and that it leaves no file; and
// the peak memory of the batch tool writing the 100,000-student PDF in a
// process of its own. At the end the figures are held against the goals; a
// missed goal exits with 1.
//
//   gradebook-bench-writes [Google Benchmark flags]
//
// The batch tool is looked for beside the bench's build folder
// (../program/gradebook-batch) or where GRADEBOOK_BATCH says.

#include "generated.h"
#include "offscreen.h"

#include "cli/batchcommands.h"
#include "cli/batchimport.h"
#include "engine/db/database.h"
#include "engine/db/schema.h"
#include "engine/export/examexport.h"
#include "engine/export/tables.h"
#include "engine/export/xlsx.h"
#include "engine/processing/runs.h"
#include "layout/tablepages.h"

#include <benchmark/benchmark.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <functional>
#include <map>
#include <unistd.h>

namespace {

constexpr double kLongestGapGoalMs = 250; // the progress window answers at least this often
constexpr double kPeakGoalMb = 300;       // the 100,000-student PDF, in its own process

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString gradeDb(int students)
{
    static std::map<int, QString> made;
    auto it = made.find(students);
    if (it == made.end()) {
        const QString db = workDir().filePath(QStringLiteral("grade%1.db").arg(students));
        Db::close();
        Db::createBlankDatabase(db);
        Db::open(db);
        const QString csv = workDir().filePath(QStringLiteral("grade%1.csv").arg(students));
        QFile f(csv);
        if (!f.open(QIODevice::WriteOnly) || f.write(Bench::generatedCsv(students)) < 0)
            throw Db::Error(QStringLiteral("无法写入 %1").arg(csv));
        f.close();
        Batch::importRoster("cj", csv);
        Proc::RankSettings st;
        st.table = "cj";
        st.subjects = Bench::kSubjects;
        st.firstClass = 1;
        st.lastClass = Bench::kClasses;
        Proc::rank(st);
        it = made.emplace(students, db).first;
    }
    if (Db::fileName() != it->second)
        Db::open(it->second);
    return it->second;
}

// The longest time between two progress reports, from the start of the
// write to its end, in milliseconds.
class Gaps {
public:
    Gaps() { m_timer.start(); }
    Export::Progress callback()
    {
        return [this](qint64, qint64) { tick(); };
    }
    void tick()
    {
        const qint64 now = m_timer.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
        ++m_reports;
    }
    double longestMs() { tick(); return double(m_longest) / 1e6; }
    int reports() const { return m_reports; }

private:
    QElapsedTimer m_timer;
    qint64 m_last = 0, m_longest = 0;
    int m_reports = 0;
};

std::map<std::string, double> g_longestGap; // per benchmark, the worst of its runs
std::map<std::string, double> g_cancelMs;
std::vector<std::string> g_failed;

using Write = std::function<void(const QString& path, const Export::Progress&)>;

// One write, timed, with the longest gap between its progress reports kept;
// then the same write stopped halfway, which must leave nothing.
void measureWrite(benchmark::State& state, const char* what, const char* suffix, const Write& write)
{
    const int n = int(state.range(0));
    const std::string name = std::string(what) + "/" + std::to_string(n);
    try {
        gradeDb(n);
        const QString path = workDir().filePath(QStringLiteral("out%1%2").arg(n).arg(suffix));
        double longest = 0;
        int reports = 0;
        for (auto _ : state) {
            Gaps gaps;
            write(path, gaps.callback());
            longest = std::max(longest, gaps.longestMs());
            reports = gaps.reports();
            state.PauseTiming();
            QFile::remove(path);
            state.ResumeTiming();
        }
        // Cancelled at the middle report: how long until the write has stopped.
        QElapsedTimer sinceCancel;
        int seen = 0;
        const int half = std::max(1, reports / 2);
        try {
            write(path, [&](qint64, qint64) {
                if (++seen == half) {
                    sinceCancel.start();
                    throw Export::Cancelled();
                }
            });
            g_failed.push_back(name + ": the cancelled write went on to the end");
        } catch (const Export::Cancelled&) {
            g_cancelMs[name] = double(sinceCancel.nsecsElapsed()) / 1e6;
        }
        if (!QDir(workDir().path()).entryList({QStringLiteral("*out%1*").arg(n)}, QDir::Files | QDir::Hidden).isEmpty())
            g_failed.push_back(name + ": a cancelled write left a file behind");
        g_longestGap[name] = std::max(g_longestGap[name], longest);
        state.counters["longest_gap_ms"] = longest;
        state.counters["reports"] = reports;
    } catch (const Db::Error& e) {
        state.SkipWithError(e.what());
        return;
    }
    state.SetItemsProcessed(state.iterations() * n);
}

int g_pages = 0;

void Pdf(benchmark::State& s)
{
    measureWrite(s, "Pdf", ".pdf", [](const QString& path, const Export::Progress& p) {
        Layout::TablePages pages(Export::storedSheet("cj", p));
        g_pages = Layout::writePdf(path, pages, {"成绩表", "基准测试"}, p);
    });
    s.counters["pages"] = g_pages;
}

void Workbook(benchmark::State& s)
{
    measureWrite(s, "Workbook", ".xlsx", [](const QString& path, const Export::Progress& p) {
        Export::Sheet sheet = Export::storedSheet("cj", p);
        Export::writeXlsx(path, {sheet}, p);
    });
}

void Dbase(benchmark::State& s)
{
    measureWrite(s, "Dbase", ".dbf", [](const QString& path, const Export::Progress& p) { Export::gradeTableDbf(path, "cj", p); });
}

BENCHMARK(Pdf)->Arg(10000)->Arg(100000)->Unit(benchmark::kSecond)->Iterations(1);
BENCHMARK(Workbook)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);
BENCHMARK(Dbase)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3)
    ->ReportAggregatesOnly(true);

QString batchTool()
{
    const QString env = qEnvironmentVariable("GRADEBOOK_BATCH");
    if (!env.isEmpty())
        return env;
    return QDir(QGuiApplication::applicationDirPath()).absoluteFilePath("../program/gradebook-batch");
}

// The batch tool writing the 100,000-student PDF as a process of its own,
// with its peak memory from GNU time (Debian package time).
struct ProcessFigure {
    double seconds = -1, peakMb = -1;
    QString said;
};
ProcessFigure batchPdf()
{
    ProcessFigure f;
    const QString batch = batchTool();
    if (!QFileInfo(batch).isExecutable() || !QFileInfo(QStringLiteral("/usr/bin/time")).isExecutable())
        return f;
    const QString db = gradeDb(100000);
    Db::close();
    const QString report = workDir().filePath("peak.txt");
    const QString out = workDir().filePath("batch.pdf");
    QProcess p;
    QElapsedTimer timer;
    timer.start();
    p.start("/usr/bin/time", {"-f", "%M", "-o", report, batch, "export", "cj", "--db", db, "--out", out});
    p.waitForFinished(-1);
    f.seconds = double(timer.elapsed()) / 1000.0;
    f.said = QString::fromUtf8(p.readAllStandardOutput() + p.readAllStandardError()).trimmed();
    QFile r(report);
    bool ok = false;
    const double kb = r.open(QIODevice::ReadOnly) ? r.readAll().trimmed().toDouble(&ok) : 0;
    if (ok && p.exitCode() == 0)
        f.peakMb = kb / 1024.0;
    QFile::remove(out);
    return f;
}

} // namespace

int main(int argc, char** argv)
{
    Bench::useOffscreen();
    QGuiApplication app(argc, argv);
    if (!Bench::runBenchmarks(argc, argv))
        return 1;

    bool met = g_failed.empty();
    auto verdict = [&](bool ok) {
        met = met && ok;
        return ok ? "met" : "NOT MET";
    };
    std::printf("\nGoals\n");
    for (const std::string& f : g_failed)
        std::printf("  %s: NOT MET\n", f.c_str());
    for (const auto& [name, ms] : g_longestGap)
        std::printf("  %-22s longest stretch without a progress report %7.1f ms (under %.0f ms): %s\n", name.c_str(), ms,
                    kLongestGapGoalMs, verdict(ms < kLongestGapGoalMs));
    for (const auto& [name, ms] : g_cancelMs)
        std::printf("  %-22s stopped %7.1f ms after 取消, nothing left (under %.0f ms): %s\n", name.c_str(), ms,
                    kLongestGapGoalMs, verdict(ms < kLongestGapGoalMs));
    if (g_longestGap.size() >= 6) {
        const ProcessFigure f = batchPdf();
        if (f.peakMb < 0)
            std::printf("  the batch tool's PDF of 100,000 students: no figure (%s): %s\n", qPrintable(f.said),
                        verdict(false));
        else
            std::printf("  the batch tool's PDF of 100,000 students: %.1f s, peak memory %.1f MB (under %.0f MB): %s\n"
                        "    (%s)\n",
                        f.seconds, f.peakMb, kPeakGoalMb, verdict(f.peakMb < kPeakGoalMb), qPrintable(f.said));
    }
    Db::close();
    return met ? 0 : 1;
}
