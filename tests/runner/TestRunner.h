// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Put in front of every test file that a runner program holds (see
// tests/CMakeLists.txt): there QTEST_MAIN and QTEST_GUILESS_MAIN write no
// main() but register the file's test class under the file's name, and the
// runner's main() runs the one class its command line names. A test file
// is written as for a program of its own and runs the same either way.

#include <QtTest>

namespace tavrel::testing {

using TestClassMain = int (*)(int argc, char* argv[]);

// Registers the test class of the file `sourceFile` (its __FILE__) under
// the file's name without folder and extension.
bool RegisterTestClass(const char* sourceFile, TestClassMain run);

} // namespace tavrel::testing

// QTEST_MAIN and QTEST_GUILESS_MAIN both expand to this; it is QtTest's own
// main() under another name.
#undef QTEST_MAIN_WRAPPER
#define QTEST_MAIN_WRAPPER(TestObject, ...)                                                                   \
    static int TavrelTestClassMain(int argc, char* argv[])                                                   \
    {                                                                                                         \
        TESTLIB_SELFCOVERAGE_START(#TestObject)                                                               \
        QT_PREPEND_NAMESPACE(QTest::Internal::callInitMain)<TestObject>();                                    \
        __VA_ARGS__                                                                                           \
        TestObject tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                            \
        return QTest::qExec(&tc, argc, argv);                                                                 \
    }                                                                                                         \
    [[maybe_unused]] static const bool TavrelTestClassRegistered =                                            \
        ::tavrel::testing::RegisterTestClass(__FILE__, &TavrelTestClassMain);
