// main() of the shell's tests: a QApplication on the offscreen platform unless one is chosen,
// with the program's style (the flat menus over Fusion) and Fusion's own light palette.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/glintmenu.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication::setStyle(new sonvara::CGlintMenuStyle);
    QApplication app(argc, argv);
    QApplication::setPalette(QApplication::style()->standardPalette());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
