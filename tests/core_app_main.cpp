// The main of the tests that want a core application object: those that run the real
// programs through QProcess, and those of the serial port.
//
// The settings and the data folder (where tk515 keeps its backups) point into a scratch
// folder for the test program and every program it runs, so no test reads or changes
// the user's own.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    const QTemporaryDir home;
    if (home.isValid()) {
        setenv("XDG_CONFIG_HOME", home.filePath("config").toLocal8Bit().constData(), 1);
        setenv("XDG_DATA_HOME", home.filePath("data").toLocal8Bit().constData(), 1);
    }
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
