// Test entry of the ground floor and the logic: a core application only (no window can be made),
// and a fresh program folder per process in SARVOTEX_HOME.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("SARVOTEX_HOME", home.path().toUtf8());
    QCoreApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
