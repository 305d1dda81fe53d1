// GoogleTest main for the window tests: one QApplication for every test, on the offscreen
// platform unless the environment names another (the end-to-end run under xvfb-run does).
#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("VELMORA-tests"));
    QCoreApplication::setApplicationName(QStringLiteral("Velmora Sonvara 2.0 tests"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
