// gradebook-batch: one examination's processing from a script, without windows.
#include "cli/batchcommands.h"

#include "engine/db/database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>
#include <memory>

namespace {

enum Exit { Ok = 0, Failed = 1, Usage = 2 };

void print(FILE* to, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    std::fflush(to);
}

QString duration(qint64 ms)
{
    if (ms < 10000)
        return QStringLiteral("%1毫秒").arg(ms);
    return QStringLiteral("%1秒").arg(double(ms) / 1000.0, 0, 'f', 1);
}

// The tool says what it did in its own words: Qt's notes on the platform it
// runs on (no runtime folder on a server, ...) are not a script's business.
void quietQt(QtMsgType type, const QMessageLogContext&, const QString& text)
{
    if (type == QtCriticalMsg || type == QtFatalMsg)
        print(stderr, text + QLatin1Char('\n'));
}

} // namespace

int main(int argc, char** argv)
{
    // The command line is read before the application is made: a PDF needs
    // fonts, and so a GUI application, which needs no display on the
    // offscreen platform; every other command stays a console program.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    Batch::Invocation inv;
    QString usage;
    try {
        inv = Batch::parseArguments(args);
    } catch (const Batch::UsageError& e) {
        usage = e.text();
    }
    if (qEnvironmentVariableIsEmpty("GRADEBOOK_QT_MESSAGES"))
        qInstallMessageHandler(quietQt);
    std::unique_ptr<QCoreApplication> app;
    if (usage.isEmpty() && !inv.help && Batch::outputKind(inv) == Batch::OutputKind::Pdf) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QCoreApplication::setApplicationName(QStringLiteral("gradebook-batch"));
    if (!usage.isEmpty()) {
        print(stderr, QStringLiteral("命令行错误：%1\n用 gradebook-batch --help 查看用法。\n").arg(usage));
        return Usage;
    }
    if (inv.help) {
        print(stdout, Batch::helpText());
        return Ok;
    }

    QElapsedTimer timer;
    timer.start();
    int code = Ok;
    try {
        const Batch::Outcome o = Batch::run(inv);
        print(o.summaryToStderr ? stderr : stdout,
              QStringLiteral("%1，用时%2。\n").arg(o.summary, duration(timer.elapsed())));
    } catch (const Batch::UsageError& e) {
        print(stderr, QStringLiteral("命令行错误：%1\n用 gradebook-batch --help 查看用法。\n").arg(e.text()));
        code = Usage;
    } catch (const Db::Error& e) {
        print(stderr, QStringLiteral("错误：%1\n数据库没有改动。\n").arg(e.text()));
        code = Failed;
    } catch (const std::exception& e) {
        print(stderr, QStringLiteral("错误：%1\n数据库没有改动。\n").arg(QString::fromLocal8Bit(e.what())));
        code = Failed;
    }
    Db::close();
    return code;
}
