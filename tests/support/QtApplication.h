#pragma once
// Widget tests need one QApplication in the process; it is made on first use and kept.
#include <QApplication>

inline void ensureQApplication() {
    static int argc = 1;
    static char name[] = "varnelo-tests";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance()) new QApplication(argc, argv);
}
