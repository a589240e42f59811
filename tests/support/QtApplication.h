#pragma once
// Widget tests need one QApplication in the process; it is made on first use and kept.
#include <QApplication>

#include <cstdlib>
#include <string>

inline void ensureQApplication() {
    static int argc = 1;
    static char name[] = "varnelo-tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance()) return;
    // Without a display the tests get a desktop-sized screen, as windows are kept inside it;
    // programs the tests start inherit it.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::string(platform) == "offscreen") {
        setenv("QT_QPA_PLATFORM", "offscreen:configfile=" VARNELO_TEST_SCREEN, 1);
    }
    new QApplication(argc, argv);
}
