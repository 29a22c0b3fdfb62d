#pragma once
// Window tests: the fresh program folder of the engine tests, a message
// recorder instead of real message boxes, and the windows built as start-up
// builds them.

#include "enginetest.h"
#include "windows/app/messages.h"

#include <QApplication>
#include <QPushButton>

class WindowTestEnv : public TestEnv {
public:
    WindowTestEnv();
    ~WindowTestEnv();
    // Builds every window as start-up does; true when the connection opened.
    bool startForms();

    Msg::Recorder messages;

private:
    bool m_forms = false;
};

// Tests run offscreen even when started by hand.
#define GRADEBOOK_WINDOW_TEST_MAIN(TestClass)                           \
    int main(int argc, char** argv)                                     \
    {                                                                   \
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))             \
            qputenv("QT_QPA_PLATFORM", "offscreen");                    \
        QApplication app(argc, argv);                                   \
        QApplication::setFont(QFont(QStringLiteral("Noto Sans CJK SC"))); \
        TestClass tc;                                                   \
        QTEST_SET_MAIN_SOURCE_PATH                                      \
        return QTest::qExec(&tc, argc, argv);                           \
    }
