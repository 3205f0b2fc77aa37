#pragma once

#include "isolated_environment.h"

#include <QApplication>
#include <QTest>

// QTEST_MAIN, but inside temporary HOME, XDG and TEMP folders made before Qt reads any of them.
#define TARNWICK_QTEST_MAIN(TestClass)                                                                                 \
    int main(int argc, char **argv)                                                                                    \
    {                                                                                                                  \
        const tarnwick::testing::IsolatedEnvironment environment;                                                      \
        QApplication app(argc, argv);                                                                                  \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass test;                                                                                                \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        return QTest::qExec(&test, argc, argv);                                                                        \
    }
