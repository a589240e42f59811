#pragma once
// Widget tests need one QApplication in the process; it is made on first use and kept, and each
// test that asks for it starts with no key held down.
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <cstdlib>
#include <string>

// A test key click with Ctrl leaves Ctrl in the application's keyboard state (its release carries
// the modifier it releases), so a later test's click or selectRow would act as Ctrl-click.
inline void releaseHeldModifiers() {
    if (QGuiApplication::keyboardModifiers() == Qt::NoModifier) return;
    QWidget receiver;
    for (const Qt::Key key : {Qt::Key_Control, Qt::Key_Shift, Qt::Key_Alt, Qt::Key_Meta}) {
        QTest::keyRelease(&receiver, key);
    }
}

inline void ensureQApplication() {
    static int argc = 1;
    static char name[] = "varnelo-tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance()) {
        releaseHeldModifiers();
        return;
    }
    // Without a display the tests get a desktop-sized screen, as windows are kept inside it;
    // programs the tests start inherit it.
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (platform && std::string(platform) == "offscreen") {
        setenv("QT_QPA_PLATFORM", "offscreen:configfile=" VARNELO_TEST_SCREEN, 1);
    }
    new QApplication(argc, argv);
}
