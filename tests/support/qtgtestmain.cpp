// main() for GoogleTest suites that need a Qt application object: QApplication when
// SONVARA_TEST_WIDGETS is defined (offscreen unless the environment names a platform),
// QCoreApplication otherwise.
#include <gtest/gtest.h>

#include <cstdlib>

#ifdef SONVARA_TEST_WIDGETS
#include <QApplication>
#else
#include <QCoreApplication>
#endif

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
#ifdef SONVARA_TEST_WIDGETS
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication app(argc, argv);
#else
    QCoreApplication app(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
